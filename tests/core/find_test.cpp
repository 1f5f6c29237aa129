#include "editor/find.h"

#include <gtest/gtest.h>

#include <random>

#include "editor/gbk.h"

namespace {

namespace gbk = qdm::gbk;

using qdm::CTextFinder;
using qdm::FindOptions;
constexpr size_t npos = CTextFinder::npos;

struct FindCase {
    const char* name;
    std::string text, pattern;
    FindOptions options;
    size_t from, hi;
    size_t next;      // Next(text, from, hi)
    size_t previous;  // Previous(text, from, hi)
};

TEST(TextFinder, FindsWhatTheUserSees) {
    const FindOptions exact{true, false}, fold{false, false}, word{true, true};
    const size_t end = npos;
    const FindCase cases[] = {
        {"a lone lead byte stands alone",
         "\x81"
         "0x0",
         "0", exact, 0, end, 1, 3},
        {"a trail byte that looks like ASCII is no match",
         "\xB0"
         "AxA",
         "A", exact, 0, end, 3, 3},
        {"nor with case folding",
         "\xB0"
         "ax",
         "A", fold, 0, end, npos, npos},
        {"the trail of a pattern character never folds", "\xB0\x61", "\xB0\x41", fold, 0, end, npos,
         npos},
        {"ASCII letters fold", "xAbC", "abc", fold, 0, end, 1, 1},
        {"not when the case must match", "xAbC", "abc", exact, 0, end, npos, npos},
        {"a pair across a boundary is no match", "\xB0\xA1\xB0\xA1", "\xA1\xB0", exact, 0, end,
         npos, npos},
        {"CR LF inside a pattern", "a\r\nb\r\n", "\r\nb", exact, 0, end, 1, 1},
        {"a lone CR", "a\rb\r\n", "\r", exact, 0, end, 1, 3},
        {"a letter that is the second byte of a pair is passed over",
         "\xB0\x61"
         "a",
         "a", exact, 0, end, 2, 2},
        {"the range bounds the match", "abcabc", "bc", exact, 2, 5, npos, npos},
        {"inside the range", "abcabc", "bc", exact, 1, 6, 1, 4},
        {"the previous match ends before the position", "aaaa", "aa", exact, 0, 3, 0, 1},
        {"whole words: a letter before", "xab ab", "ab", word, 0, end, 4, 4},
        {"whole words: Chinese around a Latin word",
         "\xD6\xD0"
         "ab\xD6\xD0",
         "ab", word, 0, end, 2, 2},
        {"whole words: a trail byte before is no letter",
         "\xB0\x61"
         "ab",
         "ab", word, 0, end, 2, 2},
        {"whole words: digits join a word", "a12 12", "12", word, 0, end, 4, 4},
        {"whole words: a Chinese pattern matches anywhere", "\xCB\xB5\xD6\xD0\xCE\xC4", "\xD6\xD0",
         word, 0, end, 2, 2},
        {"whole words: only the word edge of the pattern counts", "ab\xD6\xD0x", "\xD6\xD0", word,
         0, end, 2, 2},
        {"the empty pattern finds nothing", "abc", "", exact, 0, end, npos, npos},
    };
    for (const FindCase& c : cases) {
        const CTextFinder finder(c.pattern, c.options);
        EXPECT_EQ(finder.Next(c.text, c.from, c.hi), c.next) << c.name;
        EXPECT_EQ(finder.Previous(c.text, c.from, c.hi), c.previous) << c.name;
    }
}

// The rules spelled out on every character boundary, for random texts.
size_t RefNext(std::string_view text, std::string_view pattern, FindOptions o, size_t from,
               size_t hi, bool last) {
    size_t found = npos;
    std::vector<bool> boundary(text.size() + 1, false);
    for (size_t i = 0; i < text.size(); i += gbk::CharLen(text, i)) boundary[i] = true;
    boundary[text.size()] = true;
    auto word = [](char c) { return qdm::IsWordByte(static_cast<unsigned char>(c)); };
    for (size_t c = from; c + pattern.size() <= std::min(hi, text.size()); ++c) {
        if (!boundary[c] || pattern.empty()) continue;
        bool same = true;
        for (size_t i = 0; i < pattern.size(); i += gbk::CharLen(pattern, i)) {
            const size_t len = gbk::CharLen(pattern, i);
            const bool letter = len == 1 && std::isalpha(static_cast<unsigned char>(pattern[i]));
            for (size_t k = 0; k < len; ++k)
                same = same && (letter && !o.matchCase
                                    ? std::tolower(static_cast<unsigned char>(text[c + i])) ==
                                          std::tolower(static_cast<unsigned char>(pattern[i]))
                                    : text[c + i + k] == pattern[i + k]);
        }
        if (!same) continue;
        if (o.wholeWord) {
            const size_t e = c + pattern.size();
            const bool firstWord = gbk::CharLen(pattern, 0) == 1 && word(pattern[0]);
            size_t lastStart = 0;
            for (size_t i = 0; i < pattern.size(); i += gbk::CharLen(pattern, i)) lastStart = i;
            const bool lastWord = gbk::CharLen(pattern, lastStart) == 1 && word(pattern.back());
            if (firstWord && c > 0 && boundary[c - 1] && word(text[c - 1])) continue;
            if (lastWord && e < text.size() && word(text[e])) continue;
        }
        found = c;
        if (!last) return c;
    }
    return found;
}

TEST(TextFinder, AgreesWithTheRulesOnRandomTexts) {
    const char alphabet[] = {'\x81', '\xB0', '\xA1', 'A', 'a',    'b',    'B',   '_',
                             '1',    '\r',   '\n',   ' ', '\xFF', '\x7F', '\x40'};
    std::mt19937 rng(7);
    auto pick = [&] { return alphabet[rng() % sizeof alphabet]; };
    for (int round = 0; round < 4000; ++round) {
        std::string text(rng() % 40, ' '), pattern(1 + rng() % 3, ' ');
        for (char& c : text) c = pick();
        for (char& c : pattern) c = pick();
        // A search text comes from the user's characters: never a lone lead byte at its end.
        if (gbk::IsLead(static_cast<unsigned char>(pattern.back())) &&
            gbk::IsBoundary(pattern, pattern.size() - 1))
            pattern.back() = 'a';
        const FindOptions o{rng() % 2 == 0, rng() % 2 == 0};
        const CTextFinder finder(pattern, o);
        size_t from = rng() % (text.size() + 1), hi = rng() % (text.size() + 2);
        from = gbk::BoundaryAtOrAfter(text, from);
        EXPECT_EQ(finder.Next(text, from, hi), RefNext(text, pattern, o, from, hi, false)) << round;
        EXPECT_EQ(finder.Previous(text, from, hi), RefNext(text, pattern, o, from, hi, true))
            << round;
    }
}

// Chinese text (runs of bytes that could all lead, longer than the sixteen a step looks at)
// with the pattern's first bytes often standing across a character: the pattern taken from
// the text itself, at any offset, so that it is there, and there on the wrong foot too.
TEST(TextFinder, AgreesWithTheRulesOnLongRunsOfChineseText) {
    const char alphabet[] = {'\xB5', '\xC4', '\xB0', '\xA1', '\xC4', '\xB5', 'a', '\n'};
    std::mt19937 rng(11);
    for (int round = 0; round < 3000; ++round) {
        std::string text(20 + rng() % 200, ' ');
        for (char& c : text) c = alphabet[rng() % (rng() % 4 == 0 ? 8 : 6)];
        const size_t at = rng() % (text.size() - 4);
        std::string pattern = text.substr(at, 1 + rng() % 4);
        if (gbk::IsLead(static_cast<unsigned char>(pattern.back())) &&
            gbk::IsBoundary(pattern, pattern.size() - 1))
            pattern.back() = 'a';  // as in the test above: never a lone lead at the end
        const FindOptions o{true, false};
        const CTextFinder finder(pattern, o);
        const size_t from = gbk::BoundaryAtOrAfter(text, rng() % text.size());
        const size_t hi = rng() % 3 == 0 ? rng() % (text.size() + 1) : text.size();
        EXPECT_EQ(finder.Next(text, from, hi), RefNext(text, pattern, o, from, hi, false)) << round;
    }
}

TEST(TextFinder, SearchesLongTextsPieceByPiece) {
    // Pure Chinese text (every byte could lead a pair) around a word far from both ends.
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "\xB0\xA1";
    text += "ab";
    for (int i = 0; i < 100000; ++i) text += "\xB0\xA1";
    const CTextFinder finder("ab", {});
    EXPECT_EQ(finder.Previous(text, 0, text.size()), 200000u);
    EXPECT_EQ(finder.Previous(text, 0, 200001), npos);
    const CTextFinder pair("\xA1\xB0", {});
    EXPECT_EQ(pair.Previous(text, 0, text.size()), npos);
    EXPECT_EQ(pair.Next(text, 0), npos);

    // ASCII text: a match lying across the edge of the window looked at first.
    std::string plain(300000, 'a');
    plain.replace(300000 - 65536 - 1, 3, "xyz");
    const CTextFinder xyz("XYZ", {});
    EXPECT_EQ(xyz.Previous(plain, 0, plain.size()), 300000u - 65536 - 1);
    EXPECT_EQ(xyz.Previous(plain, 300000 - 65536, plain.size()), npos);

    // Case folding looks for the first byte a piece at a time: matches at a piece's edge.
    for (size_t at : {4094u, 4095u, 4096u, 8191u}) {
        std::string t(9000, 'b');
        t[at] = 'A';
        EXPECT_EQ(CTextFinder("ab", {}).Next(t, 0), at) << at;
        EXPECT_EQ(CTextFinder("ab", {}).Next(t, 0, at + 1), npos) << at;
    }
}

}  // namespace
