#include "polyphone/poly_engine.h"

#include <gtest/gtest.h>

namespace {

struct ReplaceCase {
    const char* name;
    std::string text, word, rep;
    std::string expected;
    int count;
};

TEST(PolyReplace, OnePassFromLeftToRight) {
    const std::vector<ReplaceCase> cases = {
        {"replacement beginning with its word", "ab ab", "ab", "abc", "abc abc", 2},
        {"a processed text is left alone", "abc abc", "ab", "abc", "abc abc", 0},
        {"replacement holding its word", "b", "b", "ab", "ab", 1},
        {"and once more", "ab", "b", "ab", "aab", 1},
        {"word and replacement equal", "xax", "a", "a", "xax", 0},
        {"near the end, shorter than the replacement", "xxab", "ab", "abcdef", "xxabcdef", 1},
        {"shrinking", "aXbXc", "X", "", "abc", 2},
        {"empty replacement goes on at the deletion point", "aabb", "ab", "", "ab", 1},
        {"growing", "-a-a-", "a", "long", "-long-long-", 2},
        {"markup is plain text", "<vsection=1>", "section", "S", "<vS=1>", 1},
        // 0xB0 0xA1 0xB0 0xA1: the pair A1 B0 sits across two characters.
        {"no match across a character boundary", "\xB0\xA1\xB0\xA1", "\xA1\xB0", "X",
         "\xB0\xA1\xB0\xA1", 0},
        // 0x81 0x41 is one character whose second byte looks like 'A'.
        {"no match on a second byte that looks like ASCII",
         "\x81"
         "AA",
         "A", "b",
         "\x81"
         "Ab",
         1},
        // Deleting the space lets 0xB0 pair with 0xA1: the search goes on after that pair.
        {"a deletion that joins a lone lead byte to the next byte", "\xB0 \xA1 ", " ", "",
         "\xB0\xA1", 2},
        // The inserted 0xB0 pairs with the next 'a', which is then no character of its own.
        {"a replacement ending in a lone lead byte pairs with the next byte", "aa", "a", "\xB0",
         "\xB0"
         "a",
         1},
    };
    for (const ReplaceCase& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(qdm::ReplaceWordInText(text, c.word, c.rep), c.count) << c.name;
        EXPECT_EQ(text, c.expected) << c.name;
    }
}

}  // namespace
