#include "editor/unit_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "editor/gbk.h"

namespace gbk = qdm::gbk;

namespace {

using qdm::UnitChange;
using qdm::UnitIndex;

// Unit starts by a plain walk from offset 0, plus the end of the text.
std::vector<int32_t> Starts(const std::string& text) {
    std::vector<int32_t> starts;
    for (size_t p = 0; p < text.size(); p += gbk::UnitLen(text, p))
        starts.push_back(static_cast<int32_t>(p));
    starts.push_back(static_cast<int32_t>(text.size()));
    return starts;
}

// Line starts by a plain byte scan: a line starts after LF, and after a CR not followed by LF.
std::vector<int32_t> LineStarts(const std::string& text) {
    std::vector<int32_t> starts{0};
    for (size_t p = 0; p < text.size(); ++p) {
        const bool crAlone = text[p] == '\r' && (p + 1 == text.size() || text[p + 1] != '\n');
        if (text[p] == '\n' || crAlone) starts.push_back(static_cast<int32_t>(p + 1));
    }
    return starts;
}

// Checks every `stride`-th line's start and the bytes around it, the last line, and the line of
// every `stride`-th byte.
void ExpectLinesMatchScan(const UnitIndex& index, const std::string& text, size_t stride) {
    const std::vector<int32_t> starts = LineStarts(text);
    ASSERT_EQ(index.Lines(), static_cast<int32_t>(starts.size()));
    auto checkLine = [&](size_t line) {
        ASSERT_EQ(index.LineStart(text, static_cast<int32_t>(line)), starts[line])
            << "line " << line;
    };
    for (size_t line = 0; line < starts.size(); line += stride) checkLine(line);
    checkLine(starts.size() - 1);
    ASSERT_EQ(index.LineStart(text, index.Lines()), static_cast<int32_t>(text.size()));
    auto lineOf = [&](int32_t byte) {
        auto it = std::upper_bound(starts.begin(), starts.end(), byte);
        return static_cast<int32_t>(it - starts.begin()) - 1;
    };
    auto check = [&](int32_t byte) {
        if (byte < 0 || byte > static_cast<int32_t>(text.size())) return;
        ASSERT_EQ(index.LineOfByte(text, byte), lineOf(byte)) << "byte " << byte;
    };
    for (size_t line = 0; line < starts.size(); line += stride) {
        check(starts[line] - 1);
        check(starts[line]);
    }
    for (size_t b = 0; b <= text.size(); b += stride) check(static_cast<int32_t>(b));
}

// Checks every `stride`-th unit (each lookup walks up to a chunk).
void ExpectMatchesWalk(const UnitIndex& index, const std::string& text, size_t stride = 1) {
    const std::vector<int32_t> starts = Starts(text);
    ASSERT_EQ(index.Units() + 1, static_cast<int32_t>(starts.size()));
    ASSERT_EQ(index.Bytes(), static_cast<int32_t>(text.size()));
    auto check = [&](size_t u) {
        ASSERT_EQ(index.ByteOfUnit(text, static_cast<int32_t>(u)), starts[u]) << "unit " << u;
        ASSERT_EQ(index.UnitOfByte(text, starts[u]), static_cast<int32_t>(u));
        if (u + 1 < starts.size() && starts[u + 1] - starts[u] == 2) {
            ASSERT_EQ(index.UnitOfByte(text, starts[u] + 1), static_cast<int32_t>(u));
        }
    };
    for (size_t u = 0; u < starts.size(); u += stride) check(u);
    check(starts.size() - 1);
    ExpectLinesMatchScan(index, text, stride);
}

// Applies the edit to text and index and checks that the reported change turns the old unit
// sequence into the new one.
void Edit(UnitIndex& index, std::string& text, int32_t pos, int32_t removed,
          const std::string& inserted) {
    const std::vector<int32_t> before = Starts(text);
    text.replace(pos, removed, inserted);
    const UnitChange c = index.Update(text, pos, removed, static_cast<int32_t>(inserted.size()));
    const std::vector<int32_t> after = Starts(text);
    const int32_t delta = static_cast<int32_t>(inserted.size()) - removed;
    ASSERT_LE(c.byte, pos);
    ASSERT_EQ(after[c.unit], c.byte);
    ASSERT_EQ(after[c.unit + c.newUnits], c.byte + c.newBytes);
    for (int32_t u = 0; u <= c.unit; ++u) ASSERT_EQ(before[u], after[u]);
    const size_t oldTail = before.size() - (c.unit + c.oldUnits);
    ASSERT_EQ(oldTail, after.size() - (c.unit + c.newUnits));
    for (size_t k = 0; k < oldTail; ++k)
        ASSERT_EQ(before[c.unit + c.oldUnits + k] + delta, after[c.unit + c.newUnits + k]);
    ExpectMatchesWalk(index, text, 97);
}

std::string Book(size_t lines) {
    std::string text;
    for (size_t i = 0; i < lines; ++i) {
        text += "\xA1\xA1\xA1\xA1\xB5\xDA";  // full-width spaces and a character
        text += std::string(i % 7, 'a');
        text += std::string(2 * (i % 90), '\xB0');  // pairs of B0 B0
        text += (i % 5 == 0) ? "\n" : (i % 11 == 0 ? "\r" : "\r\n");
    }
    return text;
}

TEST(UnitIndex, LookupsAgreeWithAWalkFromTheStart) {
    const std::string texts[] = {"", "a", "\r\n", "\r\r\n\n", "\xB0\xA1x\xB0", Book(400)};
    for (const std::string& text : texts) {
        UnitIndex index;
        index.Reset(text);
        ExpectMatchesWalk(index, text);
    }
}

// Runs of bytes that may each lead or trail a pair, of every length around a word and across a
// chunk's end, broken by each byte that ends such a run.
TEST(UnitIndex, RunsOfDoubleBytesPairUpAsAWalkPairsThem) {
    for (const char stopper : {'a', '\x80', '\xFF', '\r', '\n', '\x40'}) {
        for (const size_t run : {1, 2, 7, 8, 9, 15, 16, 17, 4095, 4096, 4097}) {
            for (const size_t before : {0, 1, 4090}) {
                std::string text(before, 'x');
                for (size_t i = 0; i < run; ++i) text += static_cast<char>(0x81 + i % 0x7E);
                text += stopper;
                text += std::string(run % 5, '\xB0');
                UnitIndex index;
                index.Reset(text);
                // A pairing gone wrong shifts every unit after it, so a sparse walk sees it.
                ExpectMatchesWalk(index, text, 13);
            }
        }
    }
}

TEST(UnitIndex, EditsThatRepairUnitsAcrossTheirEdgesAreReported) {
    struct Case {
        const char* what;
        std::string text;
        int32_t pos, removed;
        std::string inserted;
    };
    const Case cases[] = {
        {"LF typed after a lone CR joins it", "ab\rcd", 3, 0, "\n"},
        {"CR typed before an LF joins it", "ab\ncd", 2, 0, "\r"},
        {"deleting the LF of a CR LF leaves a lone CR", "a\r\nb", 2, 1, ""},
        {"a break typed into a line splits it", "\xB0\xA1\xB0\xA1", 2, 0, "\r\n"},
        {"deleting between CR and LF joins them", "a\rx\nb", 2, 1, ""},
        {"a trail byte after a lone lead byte pairs with it", "a\xB0\r\nb", 2, 0, "\xA1"},
        {"deleting the byte after a lead byte pairs it with the next",
         "\xB0"
         "a\xA1",
         1, 1, ""},
        {"a lead byte inserted into a run of lead bytes shifts the pairing", "\xB0\xB0\xB0\xB0", 0,
         0, "\xB0"},
        {"deleting a trail byte leaves its lead byte alone", "\xB0\xA1\r", 1, 1, ""},
        {"LF inserted at a chunk start after a lone CR", std::string(4095, 'a') + "\rb", 4096, 0,
         "\n"},
        {"trail byte inserted at a chunk start after a lead byte",
         std::string(4095, 'a') + "\xB0\rb", 4096, 0, "\xA1"},
        {"removing everything", "\xB0\xA1\r\n", 0, 4, ""},
        {"filling an empty text", "", 0, 0, "a\r\n\xB0\xA1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string text = c.text;
        UnitIndex index;
        index.Reset(text);
        Edit(index, text, c.pos, c.removed, c.inserted);
    }
}

TEST(UnitIndex, RandomEditsOnABookKeepTheIndexExact) {
    std::mt19937 rng(7);
    std::string text = Book(600);  // several chunks
    UnitIndex index;
    index.Reset(text);
    const std::string pieces[] = {
        "\r\n", "\r", "\n", "\xB0\xA1", "\xB0", "\xA1", "x", "", std::string(5000, 'y')};
    for (int step = 0; step < 300; ++step) {
        const int32_t size = static_cast<int32_t>(text.size());
        int32_t pos = static_cast<int32_t>(rng() % (size + 1));
        int32_t removed = static_cast<int32_t>(rng() % 4 == 0 ? rng() % 6000 : rng() % 3);
        removed = std::min(removed, size - pos);
        Edit(index, text, pos, removed, pieces[rng() % std::size(pieces)]);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
