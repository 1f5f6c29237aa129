// Working on a whole book (MKED_BENCH_MB, 100 MB by default): every fault at once.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/common/book_gen.h"
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

}  // namespace

BENCHMARK(BM_CheckMarkupAll)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
