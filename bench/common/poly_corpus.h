#pragma once
// Generated books and polyphone dictionaries for the benchmarks: GBK Chinese text in
// paragraphs (CR LF) of sentences with full-width punctuation, and dictionaries of two- and
// three-character words with pinyin or homophone replacements. The book uses the words at
// realistic rates: about half of the dictionary occurs, a few words very often and most
// rarely (Zipf), about one occurrence per 25 bytes (0.8 million in 20 MB).
#include <cstdint>
#include <string>
#include <vector>

namespace polybench {

struct Dictionary {
    std::vector<std::string> words;         // GBK
    std::vector<std::string> replacements;  // GBK
    std::string FileBytes() const;          // "WORD======>>REPLACEMENT\n" lines
};

Dictionary MakeDictionary(int entries, uint32_t seed);

// A book of about `bytes` bytes using the words of `dict`; `wordEvery` is the mean distance
// in bytes between two dictionary words.
std::string MakeBook(const Dictionary& dict, size_t bytes, uint32_t seed, size_t wordEvery = 25);

}  // namespace polybench
