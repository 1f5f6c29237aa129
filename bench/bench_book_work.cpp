// Working on a whole book: every fault at once (MKED_BENCH_MB, 100 MB by default), and
// replacing every occurrence of a name in a 20 MB book.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/common/book_gen.h"
#include "editor/edit_box.h"
#include "editor/replace.h"
#include "markup/auto_section.h"
#include "markup/check.h"

namespace {

constexpr size_t kFaults = 1000;

// The auto-sectioned book with `faults` sections broken, evenly spread: every other one an
// emphasis without its end string (the check looks for it up to the end of the book), the
// rest an author note inside a reader note.
std::string FaultyBook(size_t faults) {
    const std::string text =
        qdm::AutoSectionText(qdmbench::GenerateBook(qdmbench::BookMegabytes() << 20));
    std::string out;
    out.reserve(text.size() + faults * 64);
    size_t copied = 0;
    for (size_t i = 0; i < faults; ++i) {
        const size_t at = text.find(">\r\n", text.find("<vsection=", text.size() / faults * i)) + 3;
        out.append(text, copied, at - copied);
        out += i % 2 ? "<vreadernote><vauthornote>x</vauthornote></vreadernote>" : "<vemph>";
        copied = at;
    }
    out.append(text, copied);
    return out;
}

void BM_CheckMarkupAll(benchmark::State& state) {
    const std::string text = FaultyBook(kFaults);
    size_t found = 0;
    for (auto _ : state) {
        const std::vector<qdm::MarkupFault> faults = qdm::CheckMarkupAll(text);
        found = faults.size();
    }
    if (found != kFaults) state.SkipWithError("unexpected fault count");
    state.counters["faults"] = static_cast<double>(found);
    state.counters["text_MB"] = static_cast<double>(text.size()) / (1 << 20);
}

constexpr size_t kNovelBytes = 20 << 20;
constexpr size_t kNames = 100000;

// A 20 MB book with `name` at the start of a line every 200 bytes or so: 100,000 times.
std::string NovelWithNames(const std::string& name) {
    const std::string book = qdmbench::GenerateBook(kNovelBytes);
    std::string out;
    out.reserve(book.size() + kNames * name.size());
    size_t copied = 0, placed = 0;
    for (size_t p = 0; placed < kNames; ++placed) {
        p = book.find("\r\n", std::max(p, placed * (book.size() / kNames))) + 2;
        out.append(book, copied, p - copied).append(name);
        copied = p;
    }
    out.append(book, copied);
    return out;
}

// 全部替换 as the editor runs it: with the edit history on, so the one record is made too.
void ReplaceAllNames(benchmark::State& state, const std::string& name, qdm::FindOptions options,
                     const std::string& pattern) {
    qdm::CEditBox edit;
    edit.SetText(NovelWithNames(name));
    const qdm::CTextFinder finder(pattern, options);
    const std::string replacement = "\xC0\xEE\xCB\xC4\xCB\xC4";  // 李四四
    int32_t count = 0;
    for (auto _ : state) {
        count = qdm::ReplaceAll(edit, finder, replacement).count;
        state.PauseTiming();
        if (!edit.Undo().ok) state.SkipWithError("undo failed");
        state.ResumeTiming();
    }
    if (count < static_cast<int32_t>(kNames)) state.SkipWithError("names missing");
    state.counters["replaced"] = count;
    state.counters["text_MB"] = static_cast<double>(edit.Length()) / (1 << 20);
}

void BM_ReplaceAllChineseName(benchmark::State& state) {
    const std::string zhangSan = "\xD5\xC5\xC8\xFD";  // 张三
    ReplaceAllNames(state, zhangSan, {}, zhangSan);
}

// Case folding looks at every candidate's bytes itself instead of a library search.
void BM_ReplaceAllLatinNameIgnoringCase(benchmark::State& state) {
    ReplaceAllNames(state, "Zhang", {false, true}, "zhang");
}

}  // namespace

BENCHMARK(BM_ReplaceAllChineseName)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReplaceAllLatinNameIgnoringCase)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CheckMarkupAll)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
