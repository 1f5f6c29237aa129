// Polyphone processing on generated books: one 20 MB file with 10 000 and 50 000 entries,
// file to file, and a directory of 2 000 files of 10 KB; `qdm polyphone` against the one-pass
// probe (MKED_QREP names its executable) on pinyin dictionaries, and on the dense worst case.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "bench/common/child_run.h"
#include "bench/common/poly_corpus.h"
#include "bench/common/scratch.h"
#include "editor/file_io.h"
#include "editor/gbk.h"
#include "polyphone/poly_dir.h"
#include "polyphone/poly_engine.h"
#include "polyphone/poly_file.h"
#include "polyphone/poly_match.h"

namespace gbk = qdm::gbk;

namespace fs = std::filesystem;

namespace {

constexpr size_t kBookBytes = 20u << 20;

fs::path Scratch() {
    static const fs::path dir = qdmbench::ScratchDir("qdm-bench-poly-");
    return dir;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

const polybench::Dictionary& Dict(int entries) {
    static std::map<int, polybench::Dictionary> dicts;
    auto it = dicts.find(entries);
    if (it == dicts.end()) it = dicts.emplace(entries, polybench::MakeDictionary(entries, 7)).first;
    return it->second;
}

// Reads the book, applies a freshly read dictionary, writes the result to another file.
void BM_PolyphoneFileToFile(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    const fs::path dictPath = Scratch() / ("dict" + std::to_string(entries) + ".ini");
    const fs::path in = Scratch() / ("book" + std::to_string(entries) + ".txt");
    const fs::path out = Scratch() / ("out" + std::to_string(entries) + ".txt");
    WriteBytes(dictPath, Dict(entries).FileBytes());
    WriteBytes(in, polybench::MakeBook(Dict(entries), kBookBytes, 11));
    int64_t replacements = 0;
    for (auto _ : state) {
        qdm::CPolyDict dict(dictPath.string());
        std::string text;
        qdm::PolyFileResult refused;
        if (!qdm::LoadFileForPolyphone(in.string(), text, refused))
            state.SkipWithError(refused.Reason().c_str());
        replacements = qdm::ApplyDictionary(dict, text);
        if (!qdm::WriteFileAtomic(out.string(), text)) state.SkipWithError("write failed");
    }
    state.counters["replacements"] = static_cast<double>(replacements);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(kBookBytes));
}
BENCHMARK(BM_PolyphoneFileToFile)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// How many entries of the dictionary occur in the book at all, found with the run's matcher.
void BM_PolyphoneCorpusShape(benchmark::State& state) {
    const fs::path dictPath = Scratch() / "dict-shape.ini";
    WriteBytes(dictPath, Dict(10000).FileBytes());
    const std::string book = polybench::MakeBook(Dict(10000), kBookBytes, 11);
    qdm::CPolyDict dict(dictPath.string());
    const qdm::PolyMatchIndex& ix = dict.Snapshot()->MatchIndex();
    size_t occurring = 0, occurrences = 0;
    for (auto _ : state) {
        std::vector<bool> seen(ix.WordCount());
        occurrences = 0;
        const auto* p = reinterpret_cast<const unsigned char*>(book.data());
        for (size_t i = 0; i < book.size(); i += gbk::CharLen(book, i))
            ix.MatchAt(p + i, book.size() - i, [&](uint32_t w) {
                seen[w] = true;
                ++occurrences;
            });
        occurring = static_cast<size_t>(std::count(seen.begin(), seen.end(), true));
    }
    state.counters["entries_occurring"] = static_cast<double>(occurring);
    state.counters["occurrences"] = static_cast<double>(occurrences);
}
BENCHMARK(BM_PolyphoneCorpusShape)->Unit(benchmark::kMillisecond)->Iterations(1);

// A generated dictionary and book written once under the temporary directory and reused.
struct CaseFiles {
    std::string dict, book;
};

template <class Make>
CaseFiles Cached(const std::string& name, Make&& make) {
    const fs::path dir = fs::temp_directory_path() / "mked-bench-poly-cases";
    const CaseFiles files{(dir / (name + ".ini")).string(), (dir / (name + ".txt")).string()};
    if (fs::exists(files.dict) && fs::exists(files.book)) return files;
    fs::create_directories(dir);
    const auto [dict, book] = make();
    WriteBytes(files.dict + ".tmp", dict);
    WriteBytes(files.book + ".tmp", book);
    fs::rename(files.book + ".tmp", files.book);
    fs::rename(files.dict + ".tmp", files.dict);
    return files;
}

CaseFiles PinyinCase(int entries) {
    return Cached("pinyin" + std::to_string(entries), [&] {
        const polybench::Dictionary d = polybench::MakeDictionary(entries, 7, true);
        return std::pair(d.FileBytes(), polybench::MakeBook(d, kBookBytes, 11));
    });
}

CaseFiles DenseCase() {
    return Cached("dense", [] {
        polybench::DenseCase c = polybench::MakeDenseCase(kBookBytes, 100000, 5);
        return std::pair(c.dict.FileBytes(), std::move(c.book));
    });
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

qdmbench::ChildRun RunQdmPolyphone(const CaseFiles& c, const std::string& out) {
    return qdmbench::RunMeasured({QDM_EXE, "polyphone", "--dict", c.dict, c.book, "-o", out});
}

// qdm and the probe one after the other in every iteration, on the same files; the time shown
// is qdm's, the probe's beside it. qdm writes atomically with an fsync, the probe does not.
void BM_PolyphoneAgainstProbe(benchmark::State& state) {
    const char* probe = std::getenv("MKED_QREP");
    const CaseFiles c = PinyinCase(static_cast<int>(state.range(0)));
    const std::string outQdm = (Scratch() / "qdm.txt").string();
    const std::string outProbe = (Scratch() / "probe.txt").string();
    double qdmCpu = 0, probeWall = 0, probeCpu = 0;
    bool same = true;
    for (auto _ : state) {
        const qdmbench::ChildRun q = RunQdmPolyphone(c, outQdm);
        if (q.status != 0) state.SkipWithError("qdm failed");
        state.SetIterationTime(q.seconds);
        qdmCpu += q.cpu;
        if (probe) {
            const qdmbench::ChildRun r =
                qdmbench::RunMeasured({probe, "fast", c.dict, c.book, outProbe});
            probeWall += r.seconds;
            probeCpu += r.cpu;
            same = same && ReadAll(outQdm) == ReadAll(outProbe);
        }
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["qdm_cpu_ms"] = qdmCpu / n * 1000;
    if (probe) {
        state.counters["probe_ms"] = probeWall / n * 1000;
        state.counters["probe_cpu_ms"] = probeCpu / n * 1000;
        state.counters["identical"] = same ? 1 : 0;
    }
}
BENCHMARK(BM_PolyphoneAgainstProbe)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

// The dense worst case file to file: the result is several times the book.
void BM_PolyphoneDense(benchmark::State& state) {
    const CaseFiles c = DenseCase();
    const std::string out = (Scratch() / "dense.txt").string();
    for (auto _ : state) {
        const qdmbench::ChildRun q = RunQdmPolyphone(c, out);
        if (q.status != 0) state.SkipWithError("qdm failed");
        state.SetIterationTime(q.seconds);
        state.counters["cpu_ms"] = q.cpu * 1000;
        state.counters["peak_MB"] = q.peakMB;
    }
    state.counters["out_MB"] = static_cast<double>(fs::file_size(out)) / (1 << 20);
}
BENCHMARK(BM_PolyphoneDense)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// The whole directory batch as the dialog and `qdm polyphone DIR` drive it, writes included.
void BM_PolyphoneDirectory(benchmark::State& state) {
    const fs::path root = Scratch() / "library";
    const fs::path dictPath = Scratch() / "dict-dir.ini";
    WriteBytes(dictPath, Dict(10000).FileBytes());
    std::vector<std::string> originals;
    const std::string book = polybench::MakeBook(Dict(10000), 2000 * 10240 + 20480, 13);
    for (int i = 0; i < 2000; ++i)
        originals.push_back(book.substr(static_cast<size_t>(i) * 10240, 10240));
    int64_t replacements = 0;
    int done = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(root);
        for (int i = 0; i < 2000; ++i) {
            const fs::path dir = root / ("shelf" + std::to_string(i / 100));
            fs::create_directories(dir);
            WriteBytes(dir / ("book" + std::to_string(i) + ".txt"),
                       originals[static_cast<size_t>(i)]);
        }
        state.ResumeTiming();
        qdm::CPolyDict dict(dictPath.string());
        qdm::CPolyDirBatch batch(dict, root.string());
        batch.Start();
        while (batch.Tick(std::chrono::milliseconds(10))) {
        }
        replacements = batch.Progress().wordsReplaced;
        done = batch.Progress().filesDone;
    }
    state.counters["files"] = done;
    state.counters["replacements"] = static_cast<double>(replacements);
}
BENCHMARK(BM_PolyphoneDirectory)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (const int child = qdmbench::MeasureChildMain(argc, argv); child >= 0) return child;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(Scratch());
    return 0;
}
