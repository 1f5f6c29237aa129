#include "bench/common/poly_dialog_corpus.h"

#include <random>
#include <unordered_set>
#include <vector>

namespace dialogbench {
namespace {

// A character from the first level of GB 2312 (common Hanzi): lead 0xB0-0xD7, trail
// 0xA1-0xFE.
void AppendHan(std::string& out, std::mt19937& rng) {
    out += static_cast<char>(0xB0 + rng() % 40);
    out += static_cast<char>(0xA1 + rng() % 94);
}

}  // namespace

PolyCorpus MakePolyCorpus(size_t bookBytes, int entries, int wordEvery, uint32_t seed) {
    std::mt19937 rng(seed);
    PolyCorpus c;
    std::vector<std::string> words;
    std::unordered_set<std::string> seen;
    while (static_cast<int>(words.size()) < entries) {
        std::string w;
        AppendHan(w, rng);
        AppendHan(w, rng);
        if (!seen.insert(w).second) continue;
        std::string r = w.substr(0, 2);
        AppendHan(r, rng);
        c.dictionary += w + "======>>" + r + "\n";
        words.push_back(std::move(w));
    }
    c.book.reserve(bookBytes + 512);
    while (c.book.size() < bookBytes) {
        const int chars = 20 + static_cast<int>(rng() % 180);
        for (int i = 0; i < chars; ++i) {
            if (!words.empty() && rng() % static_cast<uint32_t>(wordEvery) == 0)
                c.book += words[rng() % words.size()];
            else if (rng() % 16 == 0)
                c.book += "\xA3\xAC";  // full-width comma
            else
                AppendHan(c.book, rng);
        }
        c.book += "\xA1\xA3\r\n";  // full stop, line break
    }
    return c;
}

}  // namespace dialogbench
