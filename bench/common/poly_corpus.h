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

// `pinyinOnly`: every replacement is pinyin (ASCII), the common shape of a real dictionary;
// otherwise a fifth of them are homophones (GBK characters).
Dictionary MakeDictionary(int entries, uint32_t seed, bool pinyinOnly = false);

// A book of about `bytes` bytes using the words of `dict`; `wordEvery` is the mean distance
// in bytes between two dictionary words.
std::string MakeBook(const Dictionary& dict, size_t bytes, uint32_t seed, size_t wordEvery = 25);

// The dense worst case: a book of about `bytes` bytes drawn at random from the 230 most common
// characters, with full-width punctuation and a CR LF about every 20 characters, and
// `entries` entries of 1 to 4 random characters from the same set (about 1.3 % of them single
// characters), each replaced by itself followed by "(k)", k from 1 to 5.
struct DenseCase {
    Dictionary dict;
    std::string book;
};
DenseCase MakeDenseCase(size_t bytes, int entries, uint32_t seed);

}  // namespace polybench
