// The markup engine on a generated book (MKED_BENCH_MB, 100 MB by default): in memory, and
// the qdm commands file to file with their peak memory.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/common/book_gen.h"
#include "editor/clipboard.h"
#include "editor/edit_box.h"
#include "editor/file_io.h"
#include "markup/auto_section.h"
#include "markup/check.h"
#include "markup/insert.h"
#include "markup/numbering.h"
#include "markup/tags.h"

extern char** environ;

namespace {

size_t BookBytes() {
    return qdmbench::BookMegabytes() << 20;
}

const std::string& Book() {
    static const std::string book = qdmbench::GenerateBook(BookBytes());
    return book;
}

const std::string& SectionedBook() {
    static const std::string text = qdm::AutoSectionText(Book());
    return text;
}

class Discard : public qdm::IClipboard {
  public:
    void SetText(std::string_view) override {}
    std::string Text() const override { return {}; }
};

// A text model as qdm uses it: no edit history, cut text dropped.
struct BatchEdit {
    Discard clipboard;
    qdm::CEditBox edit;
    explicit BatchEdit(std::string text) {
        edit.SetHistoryEnabled(false);
        edit.SetClipboard(&clipboard);
        edit.SetText(std::move(text));
    }
};

void TextCounters(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["text_MB"] = static_cast<double>(bytes) / (1 << 20);
}

void BM_AutoSection(benchmark::State& state) {
    BatchEdit doc(Book());
    for (auto _ : state) {
        state.PauseTiming();
        doc.edit.SetText(Book());
        state.ResumeTiming();
        qdm::AutoSection(doc.edit);
    }
    TextCounters(state, Book().size());
}

void BM_CheckDocument(benchmark::State& state) {
    BatchEdit doc(SectionedBook());
    std::string message;
    for (auto _ : state) {
        message.clear();
        if (!qdm::CheckDocument(doc.edit, message)) state.SkipWithError("check failed");
    }
    TextCounters(state, SectionedBook().size());
}

void BM_CheckMarkup(benchmark::State& state) {
    std::string message;
    for (auto _ : state) benchmark::DoNotOptimize(qdm::CheckMarkup(SectionedBook(), message));
    TextCounters(state, SectionedBook().size());
}

void BM_NumberSectionsIntoNewText(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(qdm::NumberSections(SectionedBook()));
    TextCounters(state, SectionedBook().size());
}

// Offset of the first line of the first section that begins at or after `from`.
size_t SectionLine(std::string_view text, size_t from) {
    return text.find(">\r\n", text.find("<vsection=", from)) + 3;
}

// An emphasis around the start of a section in the middle of the book, then one in the next
// section, and so on.
void BM_InsertTag(benchmark::State& state) {
    BatchEdit doc(SectionedBook());
    size_t line = SectionLine(doc.edit.Text(), doc.edit.Text().size() / 2);
    std::string message;
    for (auto _ : state) {
        doc.edit.SetSelection(static_cast<int32_t>(line), static_cast<int32_t>(line + 4));
        if (!qdm::InsertTag(qdm::TAG_EMPH, doc.edit, message)) state.SkipWithError("refused");
        line = SectionLine(doc.edit.Text(), line);
    }
    TextCounters(state, SectionedBook().size());
}

// The first insertion into a text just read from a file, whose buffer has no room to grow.
void BM_InsertTagFirstAfterLoad(benchmark::State& state) {
    BatchEdit doc("");
    const size_t line = SectionLine(SectionedBook(), SectionedBook().size() / 2);
    std::string message;
    for (auto _ : state) {
        state.PauseTiming();
        std::string exact(SectionedBook());
        exact.shrink_to_fit();
        doc.edit.SetText(std::move(exact));
        doc.edit.SetSelection(static_cast<int32_t>(line), static_cast<int32_t>(line + 4));
        state.ResumeTiming();
        if (!qdm::InsertTag(qdm::TAG_EMPH, doc.edit, message)) state.SkipWithError("refused");
    }
    TextCounters(state, SectionedBook().size());
}

void BM_FindEnclosingTagBeforeEverySection(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(qdm::FindEnclosingTag(SectionedBook(), 0));
    TextCounters(state, SectionedBook().size());
}

// ---- file to file -------------------------------------------------------------------------

struct ChildRun {
    double seconds = 0;
    double peakMB = 0;
    int status = -1;
};

ChildRun RunQdm(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::string exe = QDM_EXE;
    argv.push_back(exe.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    ChildRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        struct rusage usage {};
        wait4(pid, &run.status, 0, &usage);
        run.peakMB = static_cast<double>(usage.ru_maxrss) / 1024;  // ru_maxrss is in KB
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("mked-bench-" + name)).string();
}

void ReportChild(benchmark::State& state, const ChildRun& run, double inputMB) {
    state.SetIterationTime(run.seconds);
    if (run.status != 0) state.SkipWithError("qdm failed");
    state.counters["peak_MB"] = run.peakMB;
    state.counters["peak_per_input"] = run.peakMB / inputMB;
}

void BM_QdmAuto(benchmark::State& state) {
    const std::string in = qdmbench::BookFile(BookBytes());
    const double inputMB = static_cast<double>(std::filesystem::file_size(in)) / (1 << 20);
    for (auto _ : state)
        ReportChild(state, RunQdm({"auto", "-o", TempPath("auto.qdm"), in}), inputMB);
}

void BM_QdmCheck(benchmark::State& state) {
    const std::string in = qdmbench::BookFile(BookBytes());
    const std::string qdmFile = TempPath("check.qdm");
    RunQdm({"auto", "-o", qdmFile, in});
    const double inputMB = static_cast<double>(std::filesystem::file_size(qdmFile)) / (1 << 20);
    for (auto _ : state) ReportChild(state, RunQdm({"check", qdmFile}), inputMB);
}

void BM_QdmInsert(benchmark::State& state) {
    const std::string qdmFile = TempPath("insert.qdm");
    RunQdm({"auto", "-o", qdmFile, qdmbench::BookFile(BookBytes())});
    const size_t line = SectionLine(SectionedBook(), SectionedBook().size() / 2);
    const std::string sel = std::to_string(line) + ":" + std::to_string(line + 4);
    const double inputMB = static_cast<double>(std::filesystem::file_size(qdmFile)) / (1 << 20);
    for (auto _ : state)
        ReportChild(state,
                    RunQdm({"insert", "emph", "--sel", sel, "-o", TempPath("ins.qdm"), qdmFile}),
                    inputMB);
}

// How much of a save is the fsync that makes it durable.
void BM_WriteFileAtomic(benchmark::State& state) {
    const std::string path = TempPath("write.qdm");
    for (auto _ : state) qdm::WriteFileAtomic(path, SectionedBook());
    TextCounters(state, SectionedBook().size());
}

void BM_WriteWithoutFsync(benchmark::State& state) {
    const std::string path = TempPath("write-nosync.qdm");
    for (auto _ : state) {
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(SectionedBook().data(), 1, SectionedBook().size(), f);
        std::fclose(f);
    }
    TextCounters(state, SectionedBook().size());
}

}  // namespace

BENCHMARK(BM_AutoSection)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CheckDocument)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CheckMarkup)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_NumberSectionsIntoNewText)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_InsertTag)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_InsertTagFirstAfterLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FindEnclosingTagBeforeEverySection)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_QdmAuto)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_QdmCheck)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_QdmInsert)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_WriteFileAtomic)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WriteWithoutFsync)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
