#pragma once
// A generated book and polyphone dictionary for measuring the dialogs: GBK Chinese text in
// lines of varying length with CR LF breaks, and a dictionary of two-character words whose
// occurrences are sprinkled through the book. Deterministic for a given seed.
#include <cstddef>
#include <cstdint>
#include <string>

namespace dialogbench {

struct PolyCorpus {
    std::string book;        // GBK
    std::string dictionary;  // the dictionary file's bytes
};

// A book of about `bookBytes` with `entries` dictionary entries; about one character in
// `wordEvery` starts a dictionary word.
PolyCorpus MakePolyCorpus(size_t bookBytes, int entries, int wordEvery = 40, uint32_t seed = 1234);

}  // namespace dialogbench
