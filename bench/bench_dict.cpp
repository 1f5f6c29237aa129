// The dictionary tools at scale: the audit of a 20 MB book against 10 000 entries, the lint of
// 50 000 entries and the settings list's search over as many rows.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "bench/common/poly_corpus.h"
#include "polyphone/poly_audit.h"
#include "polyphone/poly_lint.h"
#include "polyphone/poly_list.h"
#include "polyphone/poly_readings.h"

namespace {

constexpr size_t kBookBytes = 20u << 20;

const qdm::PolyReadingTable& Table() {
    static const qdm::PolyReadingTable table = [] {
        qdm::PolyReadingTable t;
        std::string error;
        if (!t.Load(qdm::FindResource(qdm::kPolyReadingsFile), error)) std::abort();
        return t;
    }();
    return table;
}

// The shared book, or the same book with a quarter of its filler characters turned into
// polyphonic ones (weighted 1/rank in the table's order), as dense as in real prose where
// 的, 了, 和, 为, 地 ... make up about a fifth of the text.
std::string Book(const polybench::Dictionary& dict, bool dense) {
    std::string book = polybench::MakeBook(dict, kBookBytes, 11);
    if (!dense) return book;
    std::vector<uint16_t> poly;
    for (uint32_t c = 0x8140; c < 0xFF00; ++c)
        if (Table().IsPolyphonic(static_cast<uint16_t>(c)))
            poly.push_back(static_cast<uint16_t>(c));
    std::vector<double> weights(poly.size());
    for (size_t r = 0; r < poly.size(); ++r) weights[r] = 1.0 / static_cast<double>(r + 1);
    std::shuffle(poly.begin(), poly.end(), std::mt19937(3));
    std::discrete_distribution<size_t> pick(weights.begin(), weights.end());
    std::mt19937 rng(5);
    for (size_t pos = 0; pos + 1 < book.size();) {
        const auto lead = static_cast<unsigned char>(book[pos]);
        if (lead < 0x81) {
            ++pos;
            continue;
        }
        if (lead >= 0xD8 && rng() % 4 == 0) {
            const uint16_t c = poly[pick(rng)];
            book[pos] = static_cast<char>(c >> 8);
            book[pos + 1] = static_cast<char>(c & 0xFF);
        }
        pos += 2;
    }
    return book;
}

void BM_AuditBook(benchmark::State& state) {
    const bool dense = state.range(0) != 0;
    const polybench::Dictionary dict = polybench::MakeDictionary(10000, 7);
    const std::string book = Book(dict, dense);
    Table();
    size_t chars = 0;
    for (auto _ : state) {
        qdm::PolyDictSnapshot snap(dict.FileBytes());
        const auto result = qdm::AuditPolyphones({book}, snap, Table());
        chars = result.size();
        benchmark::DoNotOptimize(result.data());
    }
    state.counters["polyphonic_chars_found"] = static_cast<double>(chars);
}
BENCHMARK(BM_AuditBook)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LintDictionary(benchmark::State& state) {
    const polybench::Dictionary dict = polybench::MakeDictionary(50000, 7);
    const qdm::PolyDictSnapshot snap(dict.FileBytes());
    size_t findings = 0;
    for (auto _ : state) findings = qdm::LintPolyDictionary(snap).size();
    state.counters["findings"] = static_cast<double>(findings);
}
BENCHMARK(BM_LintDictionary)->Unit(benchmark::kMillisecond);

// One keystroke of the settings list's search: a character that many rows hold.
void BM_FilterRows(benchmark::State& state) {
    const polybench::Dictionary dict = polybench::MakeDictionary(50000, 7);
    std::vector<std::string> rows;
    for (size_t i = 0; i < dict.words.size(); ++i)
        rows.push_back(dict.words[i] + "======>>" + dict.replacements[i]);
    const std::string needle = dict.words[0].substr(0, 2);
    size_t shown = 0;
    for (auto _ : state) shown = qdm::FilterPolyRows(rows, needle).size();
    state.counters["shown"] = static_cast<double>(shown);
}
BENCHMARK(BM_FilterRows)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
