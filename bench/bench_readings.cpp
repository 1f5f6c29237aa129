// Readings from context over a 20 MB book of real sentences (the dev sample repeated): the
// prediction in process, and `qdm readings` and `qdm polyphone --smart` (with the starter
// dictionary) as children, with their wall time and peak memory.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "bench/common/child_run.h"
#include "bench/common/scratch.h"
#include "editor/codec.h"
#include "polyphone/context_audit.h"
#include "polyphone/context_model.h"
#include "polyphone/poly_res.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kBookBytes = 20u << 20;

fs::path Scratch() {
    static const fs::path dir = qdmbench::ScratchDir("qdm-bench-read-");
    return dir;
}

const std::string& Book() {
    static const std::string book = [] {
        std::ifstream in(std::string(MKED_TEST_DATA) + "/readings/dev-sample.sent");
        std::string sentences;
        for (std::string line; std::getline(in, line);) {
            for (size_t m; (m = line.find("\xE2\x96\x81")) != std::string::npos;) line.erase(m, 3);
            if (auto gbk = qdm::gbk::FromUtf8(line)) sentences += *gbk + "\r\n";
        }
        std::string out;
        while (out.size() + sentences.size() <= kBookBytes) out += sentences;
        out.append(sentences, 0, kBookBytes - out.size());
        return out;
    }();
    return book;
}

const std::string& BookFile() {
    static const std::string path = [] {
        const std::string p = (Scratch() / "book.txt").string();
        std::ofstream(p, std::ios::binary) << Book();
        return p;
    }();
    return path;
}

const qdm::PolyContextModel& Model() {
    static const qdm::PolyContextModel model = [] {
        qdm::PolyContextModel m;
        std::string error;
        if (!m.LoadDefault(error)) std::fprintf(stderr, "%s\n", error.c_str());
        return m;
    }();
    return model;
}

void BM_PredictBook(benchmark::State& state) {
    size_t count = 0, changed = 0;
    for (auto _ : state) {
        const std::vector<qdm::PolyPrediction> all = Model().Predict(Book());
        count = all.size();
        changed = 0;
        for (const qdm::PolyPrediction& p : all) changed += p.Changed();
    }
    state.counters["polyphones"] = static_cast<double>(count);
    state.counters["changed"] = static_cast<double>(changed);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Book().size()));
}
BENCHMARK(BM_PredictBook)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SmartFixBook(benchmark::State& state) {
    int64_t fixed = 0;
    for (auto _ : state)
        fixed = qdm::SmartFix(Model(), Book(), {}, qdm::PolyStyle::Homophone).fixed;
    state.counters["fixed"] = static_cast<double>(fixed);
}
BENCHMARK(BM_SmartFixBook)->Unit(benchmark::kMillisecond)->Iterations(3);

// What 多音字检查 works out when it opens, and again after 全部修正: the audit under the
// starter dictionary, the readings of its contexts and the fix of the rest.
void BM_AuditReadingsAndFixBook(benchmark::State& state) {
    std::ifstream in(qdm::FindResource(qdm::StarterFileName(qdm::PolyStyle::Homophone)),
                     std::ios::binary);
    const qdm::PolyDictSnapshot dict{std::string(std::istreambuf_iterator<char>(in), {})};
    int64_t fixed = 0;
    size_t characters = 0;
    for (auto _ : state) {
        const auto audit = qdm::AuditPolyphones({Book()}, dict, Model().Table());
        const qdm::PolyAuditReadings r =
            qdm::ReadAuditContextsAndFix(audit, Book(), dict, Model(), qdm::PolyStyle::Homophone);
        fixed = r.fix.fixed;
        characters = r.readings.size();
    }
    state.counters["characters"] = static_cast<double>(characters);
    state.counters["fixed"] = static_cast<double>(fixed);
}
BENCHMARK(BM_AuditReadingsAndFixBook)->Unit(benchmark::kMillisecond)->Iterations(3);

void Child(benchmark::State& state, const std::vector<std::string>& args) {
    for (auto _ : state) {
        const qdmbench::ChildRun r = qdmbench::RunMeasured(args);
        if (r.status != 0) state.SkipWithError("qdm failed");
        state.SetIterationTime(r.seconds);
        state.counters["cpu_ms"] = r.cpu * 1000;
        state.counters["peak_MB"] = r.peakMB;
    }
}

void BM_QdmReadings(benchmark::State& state) {
    Child(state, {QDM_EXE, "readings", "--json", BookFile()});
}
BENCHMARK(BM_QdmReadings)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_QdmReadingsChanged(benchmark::State& state) {
    Child(state, {QDM_EXE, "readings", "--changed", BookFile()});
}
BENCHMARK(BM_QdmReadingsChanged)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_QdmPolyphoneSmart(benchmark::State& state) {
    const std::string dict = qdm::FindResource(qdm::StarterFileName(qdm::PolyStyle::Homophone));
    Child(state, {QDM_EXE, "polyphone", "--smart", "--dict", dict, BookFile(), "-o",
                  (Scratch() / "smart.txt").string()});
}
BENCHMARK(BM_QdmPolyphoneSmart)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_QdmPolyphonePlain(benchmark::State& state) {
    const std::string dict = qdm::FindResource(qdm::StarterFileName(qdm::PolyStyle::Homophone));
    Child(state, {QDM_EXE, "polyphone", "--dict", dict, BookFile(), "-o",
                  (Scratch() / "plain.txt").string()});
}
BENCHMARK(BM_QdmPolyphonePlain)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (const int child = qdmbench::MeasureChildMain(argc, argv); child >= 0) return child;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(Scratch());
    return 0;
}
