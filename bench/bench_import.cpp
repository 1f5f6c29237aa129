// Importing a book in UTF-8: qdm import file to file against glibc's iconv on the same file,
// and the detection every Open runs.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/common/book_gen.h"
#include "bench/common/child_run.h"
#include "editor/codec.h"
#include "editor/encoding_convert.h"
#include "editor/encoding_detect.h"
#include "editor/file_io.h"

namespace {

namespace fs = std::filesystem;

std::string TempPath(const std::string& name) {
    return (fs::temp_directory_path() / ("mked-bench-import-" + name)).string();
}

// The benchmark book (100 MB of GBK by default) in UTF-8, about 1.5 times as large: written once
// and kept beside the GBK book.
const std::string& Utf8BookFile() {
    static const std::string path = [] {
        const std::string gbkPath = qdmbench::BookFile(qdmbench::BookMegabytes() << 20);
        const std::string utf8Path = gbkPath + ".utf8";
        std::error_code ec;
        if (!fs::exists(utf8Path, ec)) {
            qdm::FileText book;
            qdm::ReadTextFile(gbkPath, book);
            // The generator's few codes that map to nothing or to private use (ICU maps some
            // that glibc refuses) would stop iconv: they become a common character, in place.
            std::string utf8 = qdm::gbk::ToUtf8(book.text);
            for (size_t at = 0; at + 2 < utf8.size(); ++at)
                if (utf8[at] == '\xEE' || utf8.compare(at, 3, "\xEF\xBF\xBD") == 0)
                    utf8.replace(at, 3, "\xE7\x9A\x84");  // 的
            qdm::WriteFileAtomic(utf8Path, utf8);
        }
        return utf8Path;
    }();
    return path;
}

using qdmbench::ChildRun;

ChildRun Run(const std::vector<std::string>& words) {
    return qdmbench::RunMeasured(words);
}

// Each iteration runs both programs on the same file, one after the other, so the ratio holds
// even while the machine's load changes.
void BM_ImportVersusIconv(benchmark::State& state) {
    const std::string in = Utf8BookFile();
    double qdmWall = 0, qdmCpu = 0, iconvWall = 0, iconvCpu = 0;
    for (auto _ : state) {
        const ChildRun qdm = Run({QDM_EXE, "import", "-o", TempPath("qdm.txt"), in});
        const ChildRun iconv =
            Run({"/usr/bin/iconv", "-f", "utf-8", "-t", "gbk", "-o", TempPath("iconv.txt"), in});
        if (qdm.status != 0 || iconv.status != 0) state.SkipWithError("a child failed");
        state.SetIterationTime(qdm.seconds);
        qdmWall += qdm.seconds;
        qdmCpu += qdm.cpu;
        iconvWall += iconv.seconds;
        iconvCpu += iconv.cpu;
    }
    state.counters["input_MB"] = static_cast<double>(fs::file_size(in)) / 1e6;
    state.counters["qdm_cpu_ms"] = qdmCpu * 1000 / state.iterations();
    state.counters["iconv_ms"] = iconvWall * 1000 / state.iterations();
    state.counters["iconv_cpu_ms"] = iconvCpu * 1000 / state.iterations();
    state.counters["ratio_wall"] = qdmWall / iconvWall;
    state.counters["ratio_cpu"] = qdmCpu / iconvCpu;
}

template <bool kUtf8>
void BM_Detect(benchmark::State& state) {
    const std::string path =
        kUtf8 ? Utf8BookFile() : qdmbench::BookFile(qdmbench::BookMegabytes() << 20);
    qdm::MappedFile file;
    file.Open(path);
    const qdm::Encoding expected = kUtf8 ? qdm::Encoding::Utf8 : qdm::Encoding::Gbk;
    for (auto _ : state)
        if (qdm::DetectEncoding(file.Bytes()) != expected) state.SkipWithError("misdetected");
    state.SetBytesProcessed(static_cast<int64_t>(file.Bytes().size()) * state.iterations());
}

// The conversion alone, in memory.
void BM_ConvertInMemory(benchmark::State& state) {
    qdm::MappedFile file;
    file.Open(Utf8BookFile());
    for (auto _ : state) {
        qdm::Conversion out;
        std::string error;
        qdm::ConvertToGbk(file.Bytes(), qdm::Encoding::Utf8, {}, out, error);
        benchmark::DoNotOptimize(out.text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(file.Bytes().size()) * state.iterations());
}

}  // namespace

BENCHMARK(BM_ImportVersusIconv)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_Detect<true>)->Name("BM_DetectUtf8Book")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Detect<false>)->Name("BM_DetectGbkBook")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ConvertInMemory)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Iterations(5);
int main(int argc, char** argv) {
    if (const int child = qdmbench::MeasureChildMain(argc, argv); child >= 0) return child;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
