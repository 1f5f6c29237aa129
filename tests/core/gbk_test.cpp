#include "editor/gbk.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "editor/codec.h"

namespace gbk = qdm::gbk;

namespace {

using gbk::npos;

TEST(GbkCharacters, LeadByteFollowedByTrailFormsOneCharacter) {
    struct Case {
        std::string text;
        size_t pos;
        size_t len;
    };
    const Case cases[] = {
        {"\x81\x40", 0, 2},  // lowest trail
        {"\xFE\xFE", 0, 2},  // highest lead and trail
        {"\x81\x7E", 0, 2},  // trail in the ASCII range
        {"\x81\x7F", 0, 2},  // 0x7F is a trail by the byte rule, though nothing maps there
        {"\x81\x3F", 0, 1},  // below 0x40: two characters
        {"\x81\xFF", 0, 1},  // 0xFF never trails
        {"\x80\x40", 0, 1},  // 0x80 never leads
        {"\xFF\x40", 0, 1},  // 0xFF never leads
        {"a\xB0", 1, 1},     // lead byte at the end of the text
    };
    for (const Case& c : cases) EXPECT_EQ(gbk::CharLen(c.text, c.pos), c.len) << c.text;
}

TEST(GbkCharacters, BoundariesAreCountedFromTheStartOfTheText) {
    // B0 A1 B0 A1 | 41: the second byte of each pair is not a boundary.
    const std::string text =
        "\xB0\xA1\xB0\xA1"
        "A";
    const bool expected[] = {true, false, true, false, true, true};
    for (size_t i = 0; i <= text.size(); ++i) EXPECT_EQ(gbk::IsBoundary(text, i), expected[i]) << i;
    // A run of bytes that could all lead: parity decides.
    const std::string run = "\xB0\xB0\xB0\xB0\xB0";
    EXPECT_TRUE(gbk::IsBoundary(run, 2));
    EXPECT_FALSE(gbk::IsBoundary(run, 3));
    EXPECT_TRUE(gbk::IsBoundary(run, 5));
    EXPECT_EQ(gbk::PrevCharStart(run, 5), 4u);  // the last lead stands alone
    EXPECT_EQ(gbk::PrevCharStart(run, 4), 2u);
}

// Long runs of bytes that could all lead, walked back over sixteen at a time, with a known
// boundary anywhere before: the same answer as counting characters from the start.
TEST(GbkCharacters, BoundariesInLongRunsOfLeadsAgreeWithCountingFromTheStart) {
    const char alphabet[] = {'\xB0', '\xA1', '\xFE', '\x81', '\xB5', 'a', '\x80', '\xFF'};
    std::mt19937 rng(5);
    for (int round = 0; round < 2000; ++round) {
        std::string text(1 + rng() % 120, ' ');
        for (char& c : text) c = alphabet[rng() % (rng() % 8 == 0 ? 8 : 5)];
        std::vector<bool> boundary(text.size() + 1, false);
        for (size_t i = 0; i < text.size(); i += gbk::CharLen(text, i)) boundary[i] = true;
        boundary[text.size()] = true;
        for (size_t pos = 0; pos <= text.size(); ++pos) {
            size_t known = rng() % (pos + 1);
            while (!boundary[known]) --known;
            EXPECT_EQ(gbk::IsBoundary(text, pos, known), boundary[pos]) << round << " " << pos;
        }
    }
}

TEST(GbkSearch, MatchesOnlyWhereACharacterBegins) {
    // "A" = 0x41 also appears as the trail of B0 41.
    const std::string text =
        "\xB0"
        "AxA";
    EXPECT_EQ(gbk::Find(text, "A", 0), 3u);
    EXPECT_EQ(gbk::Find(text, "A", 1), 3u);  // a start inside a character moves past it
    // A two-byte word found only across a character boundary is no match.
    const std::string across = "\xB0\xA1\xB0\xA1";
    EXPECT_EQ(gbk::Find(across, "\xA1\xB0", 0), npos);
    EXPECT_EQ(gbk::Find(across, "\xB0\xA1", 1), 2u);
    EXPECT_EQ(gbk::Find("abc", "", 0), npos);
    EXPECT_EQ(gbk::Find("abc", "c", 3), npos);
}

TEST(GbkSearch, LongRunsOfFalseCandidatesStayLinear) {
    // Every odd offset holds the needle's bytes as a second byte: a quadratic boundary test
    // would take minutes here.
    std::string text;
    for (int i = 0; i < 200000; ++i) text += "\xB0\xC1";
    text += "\xC1\xB0";
    EXPECT_EQ(gbk::Find(text, "\xC1\xB0", 0), text.size() - 2);
}

TEST(GbkFormat, FillsPlaceholdersWithoutReadingSecondBytesAsPercent) {
    EXPECT_EQ(gbk::Format("%d%%", "33"), "33%");
    EXPECT_EQ(gbk::Format("%s \xD6\xD0 %s", "x", "y"), "x \xD6\xD0 y");
    // 0x25 ('%') cannot be a trail, but a lead before "%s" must not swallow it.
    EXPECT_EQ(gbk::Format("\xB0%s", "z"), "\xB0z");
}

TEST(GbkCodec, RoundTripsEveryMappedCharacterAndRejectsTheRest) {
    EXPECT_EQ(gbk::Lit("宋体"), "\xCB\xCE\xCC\xE5");
    EXPECT_EQ(gbk::ToUtf8("\xCB\xCE\xCC\xE5\r\n"), "宋体\r\n");
    EXPECT_EQ(gbk::DecodeSingle(0x80), u'\u20AC');
    EXPECT_EQ(gbk::DecodePair(0x81, 0x7F), u'\uFFFD');
    EXPECT_EQ(gbk::EncodeChar(U'\u00AD'), "");  // ICU would silently drop a soft hyphen
    EXPECT_EQ(gbk::EncodeChar(U'\u200B'), "");
    EXPECT_EQ(gbk::EncodeChar(U'\U0001F600'), "");
    EXPECT_FALSE(gbk::FromUtf8("a\xF0\x9F\x98\x80").has_value());
    EXPECT_FALSE(gbk::FromUtf8("\xC3").has_value());  // cut UTF-8
    int mapped = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            char16_t c = gbk::DecodePair(lead, trail);
            if (c == u'\uFFFD') continue;
            ++mapped;
            std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            ASSERT_EQ(gbk::EncodeChar(c), bytes) << std::hex << lead << " " << trail;
        }
    EXPECT_EQ(mapped, 23940);
}

TEST(GbkCodec, UnmappedBytesShowAsReplacementButKeepTheirUnits) {
    // A lone lead byte at the end, and 0xA0 which maps to nothing.
    EXPECT_EQ(gbk::ToUtf8("a\xB0"), "a\xEF\xBF\xBD");
    EXPECT_EQ(gbk::ToUtf8("\x81\x30"),
              "\xEF\xBF\xBD"
              "0");
}

}  // namespace
