// The markup engine on a generated book (MKED_BENCH_MB, 100 MB by default): in memory, and
// the qdm commands file to file with their peak memory.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/common/book_gen.h"
#include "bench/common/child_run.h"
#include "editor/clipboard.h"
#include "editor/edit_box.h"
#include "editor/file_io.h"
#include "editor/text_buffer.h"
#include "markup/auto_section.h"
#include "markup/check.h"
#include "markup/insert.h"
#include "markup/numbering.h"
#include "markup/outline.h"
#include "markup/tags.h"

namespace {

using qdmbench::ChildRun;

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
    // The text gets the room a text read from a file has.
    explicit BatchEdit(std::string_view text) {
        edit.SetHistoryEnabled(false);
        edit.SetClipboard(&clipboard);
        std::string copy = qdm::NewTextBuffer(text.size());
        copy.append(text);
        edit.SetText(std::move(copy));
    }
};

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("mked-bench-" + name)).string();
}

void TextCounters(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["text_MB"] = static_cast<double>(bytes) / (1 << 20);
}

// As the editor and qdm do it: on a book just read from its file.
void BM_AutoSection(benchmark::State& state) {
    const std::string path = qdmbench::BookFile(BookBytes());
    BatchEdit doc("");
    for (auto _ : state) {
        state.PauseTiming();
        doc.edit.LoadFile(path);
        state.ResumeTiming();
        qdm::AutoSection(doc.edit);
    }
    TextCounters(state, Book().size());
}

// The same pass when the text's buffer has no room to grow: the result is a new text.
void BM_AutoSectionIntoNewText(benchmark::State& state) {
    const std::string& book = Book();  // generated before the clock runs
    for (auto _ : state) benchmark::DoNotOptimize(qdm::AutoSectionText(book));
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
    const std::string& text = SectionedBook();
    std::string message;
    for (auto _ : state) benchmark::DoNotOptimize(qdm::CheckMarkup(text, message));
    TextCounters(state, SectionedBook().size());
}

void BM_NumberSectionsIntoNewText(benchmark::State& state) {
    const std::string& text = SectionedBook();
    for (auto _ : state) benchmark::DoNotOptimize(qdm::NumberSections(text));
    TextCounters(state, SectionedBook().size());
}

// Offset of the first line of the first section that begins at or after `from`.
size_t SectionLine(std::string_view text, size_t from) {
    return text.find(">\r\n", text.find("<vsection=", from)) + 3;
}

// The outline's reading of the whole book, and its catching up with a keystroke in the middle
// (offsets moved only).
void BM_OutlineBuild(benchmark::State& state) {
    const std::string& text = SectionedBook();
    qdm::OutlineIndex index;
    for (auto _ : state) index.Build(text);
    TextCounters(state, text.size());
    state.counters["regions"] = index.Size();
}

void BM_OutlineKeystroke(benchmark::State& state) {
    std::string text = SectionedBook();
    qdm::OutlineIndex index;
    index.Build(text);
    const size_t at = SectionLine(text, text.size() / 2) + 4;
    bool moved = true;
    for (auto _ : state) {
        text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), 'x');
        moved &= index.Update(text, static_cast<int32_t>(at), 0, 1);
        text.erase(at, 1);
        moved &= index.Update(text, static_cast<int32_t>(at), 1, 0);
    }
    state.counters["regions"] = index.Size();
    state.counters["offsets_only"] = moved;
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

// The first insertion into a book just read from a file.
void BM_InsertTagAfterLoad(benchmark::State& state) {
    const std::string path = TempPath("after-load.qdm");
    qdm::WriteFileAtomic(path, SectionedBook());
    BatchEdit doc("");
    const size_t line = SectionLine(SectionedBook(), SectionedBook().size() / 2);
    std::string message;
    for (auto _ : state) {
        state.PauseTiming();
        doc.edit.LoadFile(path);
        doc.edit.SetSelection(static_cast<int32_t>(line), static_cast<int32_t>(line + 4));
        state.ResumeTiming();
        if (!qdm::InsertTag(qdm::TAG_EMPH, doc.edit, message)) state.SkipWithError("refused");
    }
    TextCounters(state, SectionedBook().size());
}

void BM_FindEnclosingTagBeforeEverySection(benchmark::State& state) {
    const std::string& text = SectionedBook();
    for (auto _ : state) benchmark::DoNotOptimize(qdm::FindEnclosingTag(text, 0));
    TextCounters(state, SectionedBook().size());
}

// ---- file to file -------------------------------------------------------------------------

std::string SelfPath() {
    return std::filesystem::read_symlink("/proc/self/exe").string();
}

ChildRun RunQdm(std::vector<std::string> args) {
    args.insert(args.begin(), QDM_EXE);
    return qdmbench::RunMeasured(args);
}

void ReportChild(benchmark::State& state, const ChildRun& run, double inputMB) {
    state.SetIterationTime(run.seconds);
    if (run.status != 0) state.SkipWithError("qdm failed");
    state.counters["child_cpu_ms"] = run.cpu * 1000;
    state.counters["peak_MB"] = run.peakMB;
    state.counters["peak_per_input"] = run.peakMB / inputMB;
    // On a machine shared with other work the best of the runs says most about the program.
    const double ms = run.seconds * 1000;
    if (!state.counters.count("best_ms") || ms < state.counters["best_ms"])
        state.counters["best_ms"] = ms;
}

void BM_QdmAuto(benchmark::State& state) {
    const std::string in = qdmbench::BookFile(BookBytes());
    const double inputMB = static_cast<double>(std::filesystem::file_size(in)) / (1 << 20);
    for (auto _ : state)
        ReportChild(state, RunQdm({"auto", "-o", TempPath("auto.qdm"), in}), inputMB);
}

// The yardstick for `qdm auto`: read the file, auto-section it in memory, write the result
// with one fsync; run as a child like qdm, so both pay for starting and ending a process.
int AutoYardstick(const char* in, const char* out) {
    const int fd = ::open(in, O_RDONLY);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) return 1;
    const auto size = static_cast<size_t>(st.st_size);
    char* text = static_cast<char*>(std::malloc(size));
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::read(fd, text + done, size - done);
        if (n <= 0) return 1;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    const std::string result = qdm::AutoSectionText(std::string_view(text, size));
    std::free(text);
    const int to = ::open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (to < 0) return 1;
    for (size_t done = 0; done < result.size();) {
        const ssize_t n = ::write(to, result.data() + done, result.size() - done);
        if (n <= 0) return 1;
        done += static_cast<size_t>(n);
    }
    return ::fsync(to) == 0 && ::close(to) == 0 ? 0 : 1;
}

void BM_AutoYardstick(benchmark::State& state) {
    const std::string in = qdmbench::BookFile(BookBytes());
    const double inputMB = static_cast<double>(std::filesystem::file_size(in)) / (1 << 20);
    for (auto _ : state)
        ReportChild(
            state,
            qdmbench::RunMeasured({SelfPath(), "--auto-yardstick", in, TempPath("yard.qdm")}),
            inputMB);
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
    const std::string& text = SectionedBook();
    for (auto _ : state) qdm::WriteFileAtomic(path, text);
    TextCounters(state, SectionedBook().size());
}

void BM_WriteWithoutFsync(benchmark::State& state) {
    const std::string path = TempPath("write-nosync.qdm");
    const std::string& text = SectionedBook();
    for (auto _ : state) {
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    TextCounters(state, SectionedBook().size());
}

}  // namespace

BENCHMARK(BM_AutoSection)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AutoSectionIntoNewText)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CheckDocument)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CheckMarkup)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OutlineBuild)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OutlineKeystroke)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_NumberSectionsIntoNewText)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_InsertTag)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_InsertTagAfterLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FindEnclosingTagBeforeEverySection)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_QdmAuto)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_AutoYardstick)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_QdmCheck)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_QdmInsert)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_WriteFileAtomic)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WriteWithoutFsync)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    if (const int child = qdmbench::MeasureChildMain(argc, argv); child >= 0) return child;
    if (argc == 4 && std::string(argv[1]) == "--auto-yardstick")
        return AutoYardstick(argv[2], argv[3]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
