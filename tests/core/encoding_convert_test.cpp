#include "editor/encoding_convert.h"

#include <gtest/gtest.h>

#include <string>

#include "editor/codec.h"
#include "editor/t2s.h"

namespace {

using qdm::Encoding;

// UTF-8 to the other encodings, through the system's own decoders' inverse where it is
// plain (UTF-16) and through known bytes otherwise.
std::string Utf16(const std::u16string& s, bool bigEndian) {
    std::string out;
    for (char16_t u : s) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

qdm::Conversion Convert(std::string_view bytes, Encoding from, qdm::ConvertOptions options = {}) {
    qdm::Conversion out;
    std::string error;
    EXPECT_TRUE(qdm::ConvertToGbk(bytes, from, options, out, error)) << error;
    return out;
}

// 春眠不觉晓，“处处”闻啼鸟 ABC 😀 𠮷 (the emoji and the ideograph are outside GBK).
const char kUtf8[] =
    "\xE6\x98\xA5\xE7\x9C\xA0\xE4\xB8\x8D\xE8\xA7\x89\xE6\x99\x93\xEF\xBC\x8C\xE2\x80\x9C\xE5"
    "\xA4\x84\xE5\xA4\x84\xE2\x80\x9D\xE9\x97\xBB\xE5\x95\xBC\xE9\xB8\x9F ABC\r\n\xF0\x9F\x98"
    "\x80 \xF0\xA0\xAE\xB7\n";
const std::u16string kUtf16 =
    u"\u6625\u7720\u4E0D\u89C9\u6653\uFF0C\u201C\u5904\u5904\u201D\u95FB\u557C\u9E1F ABC\r\n"
    u"\U0001F600 \U00020BB7\n";

TEST(EncodingConversion, EveryEncodingGivesTheSameGbkTextAndReport) {
    const std::string head = *qdm::gbk::FromUtf8(
        "\xE6\x98\xA5\xE7\x9C\xA0\xE4\xB8\x8D\xE8\xA7\x89\xE6\x99\x93\xEF\xBC\x8C\xE2\x80\x9C\xE5"
        "\xA4\x84\xE5\xA4\x84\xE2\x80\x9D\xE9\x97\xBB\xE5\x95\xBC\xE9\xB8\x9F ABC");
    const std::string expected = head + "\r\n? ?\r\n";
    // GB18030 holds both characters outside GBK in four bytes each.
    const std::string gb18030 = head + "\r\n\x94\x39\xFC\x36 \x95\x34\xB2\x35\n";
    struct Case {
        Encoding from;
        std::string bytes;
    } cases[] = {
        {Encoding::Utf8, kUtf8},
        {Encoding::Utf8, std::string("\xEF\xBB\xBF") + kUtf8},
        {Encoding::Utf16Le, "\xFF\xFE" + Utf16(kUtf16, false)},
        {Encoding::Utf16Le, Utf16(kUtf16, false)},
        {Encoding::Utf16Be, "\xFE\xFF" + Utf16(kUtf16, true)},
        {Encoding::Gb18030, gb18030},
    };
    for (const Case& c : cases) {
        const qdm::Conversion out = Convert(c.bytes, c.from);
        EXPECT_EQ(out.text, expected) << qdm::EncodingName(c.from);
        EXPECT_EQ(out.report.from, c.from);
        EXPECT_EQ(out.report.unmappable, 2);
        EXPECT_EQ(out.report.malformed, 0);
        EXPECT_EQ(out.report.newlines, 1);  // the final LF; the CR LF stays
        ASSERT_EQ(out.report.examples.size(), 2u);
        EXPECT_EQ(out.report.examples[0].codepoint, U'\U0001F600');
        EXPECT_EQ(out.report.examples[0].line, 2);
        EXPECT_EQ(out.report.examples[0].column, 1);
        EXPECT_EQ(out.report.examples[1].codepoint, U'\U00020BB7');
        EXPECT_EQ(out.report.examples[1].column, 3);
    }
}

TEST(EncodingConversion, Big5ConvertsTraditionalCharactersThatGbkHolds) {
    // 學而時習之 in Big5.
    const qdm::Conversion out = Convert("\xBE\xC7\xA6\xD3\xAE\xC9\xB2\xDF\xA4\xA7", Encoding::Big5);
    EXPECT_EQ(qdm::gbk::ToUtf8(out.text),
              "\xE5\xAD\xB8\xE8\x80\x8C\xE6\x99\x82\xE7\xBF\x92\xE4\xB9\x8B");
    EXPECT_EQ(out.report.unmappable, 0);
}

TEST(EncodingConversion, LineBreaksBecomeCrLfUnlessKept) {
    struct Case {
        std::string in, out;
        int64_t newlines;
    } cases[] = {
        {"a\nb\n", "a\r\nb\r\n", 2},     {"a\rb\r", "a\r\nb\r\n", 2},
        {"a\r\nb\r\n", "a\r\nb\r\n", 0}, {"\n\r\r\n\r", "\r\n\r\n\r\n\r\n", 3},
        {"no break", "no break", 0},
    };
    for (const Case& c : cases) {
        const qdm::Conversion out = Convert(c.in, Encoding::Utf8);
        EXPECT_EQ(out.text, c.out) << c.in;
        EXPECT_EQ(out.report.newlines, c.newlines) << c.in;
        qdm::ConvertOptions keep;
        keep.keepNewlines = true;
        const qdm::Conversion kept = Convert(c.in, Encoding::Utf8, keep);
        EXPECT_EQ(kept.text, c.in);
        EXPECT_EQ(kept.report.newlines, 0);
    }
}

TEST(EncodingConversion, LinesAndColumnsCountCharactersAcrossEveryKindOfBreak) {
    // x😀 | y\r\n | z😀 | \n\n😀  : lone CR, CR LF, LF.
    const std::string in = "x\xF0\x9F\x98\x80\ry\r\nz\xF0\x9F\x98\x80\n\n\xF0\x9F\x98\x80";
    const qdm::Conversion out = Convert(in, Encoding::Utf8);
    ASSERT_EQ(out.report.examples.size(), 3u);
    EXPECT_EQ(out.report.examples[0].line, 1);
    EXPECT_EQ(out.report.examples[0].column, 2);
    EXPECT_EQ(out.report.examples[1].line, 3);
    EXPECT_EQ(out.report.examples[1].column, 2);
    EXPECT_EQ(out.report.examples[2].line, 5);
    EXPECT_EQ(out.report.examples[2].column, 1);
}

TEST(EncodingConversion, SubstituteIsTheUsersAndAnEmptyOneDeletes) {
    qdm::ConvertOptions options;
    options.substitute = *qdm::gbk::FromUtf8("\xE2\x96\xA1");  // □
    EXPECT_EQ(Convert("a\xF0\x9F\x98\x80"
                      "b",
                      Encoding::Utf8, options)
                  .text,
              "a" + options.substitute + "b");
    options.substitute.clear();
    const qdm::Conversion deleted = Convert(
        "a\xF0\x9F\x98\x80"
        "b",
        Encoding::Utf8, options);
    EXPECT_EQ(deleted.text, "ab");
    EXPECT_EQ(deleted.report.unmappable, 1);
}

TEST(EncodingConversion, CharactersIcuWouldDropSilentlyAreCounted) {
    // U+00AD soft hyphen and U+200B zero-width space encode to nothing "successfully" in ICU.
    const qdm::Conversion out = Convert(
        "a\xC2\xAD"
        "b\xE2\x80\x8B"
        "c",
        Encoding::Utf8);
    EXPECT_EQ(out.text, "a?b?c");
    EXPECT_EQ(out.report.unmappable, 2);
}

TEST(EncodingConversion, EveryLostCharacterIsCountedAndTheFirstHundredListed) {
    std::string in;
    for (int i = 0; i < 250; ++i) in += "\xF0\x9F\x98\x80";
    const qdm::Conversion out = Convert(in, Encoding::Utf8);
    EXPECT_EQ(out.report.unmappable, 250);
    EXPECT_EQ(out.report.examples.size(), qdm::kMaxExamples);
    EXPECT_EQ(out.report.examples.back().column, 100);
    EXPECT_EQ(out.text, std::string(250, '?'));
}

TEST(EncodingConversion, MalformedInputIsReportedWhereItIsAndReplaced) {
    struct Case {
        const char* what;
        Encoding from;
        std::string bytes;
        std::string text;
        char32_t codepoint;
        int64_t column, byteOffset;
    } cases[] = {
        {"UTF-8 cut before its last byte", Encoding::Utf8,
         "ab\xE4\xB8"
         "c",
         "ab?c", U'\uFFFD', 3, 2},
        {"UTF-8 cut at the end", Encoding::Utf8, "ab\xE4\xB8", "ab?", U'\uFFFD', 3, 2},
        {"a stray continuation byte", Encoding::Utf8, "\x80z", "?z", U'\uFFFD', 1, 0},
        {"an encoded surrogate", Encoding::Utf8, "\xED\xA0\x80", "???", U'\uFFFD', 1, 0},
        {"a lone high surrogate", Encoding::Utf16Le,
         std::string("a\0\x3D\xD8"
                     "b\0",
                     6),
         "a?b", U'\xD83D', 2, 2},
        {"a lone low surrogate", Encoding::Utf16Be, std::string("\xDE\x00\0b", 4), "?b", U'\xDE00',
         1, 0},
        {"an odd final byte", Encoding::Utf16Le, std::string("a\0b", 3), "a?", U'\uFFFD', 2, 2},
        {"GB18030 cut inside a four-byte code", Encoding::Gb18030, "a\x81\x30", "a?", U'\uFFFD', 2,
         1},
        {"an unmapped Big5 code", Encoding::Big5, "a\xA3\xC1", "a?", U'\uFFFD', 2, 1},
    };
    for (const Case& c : cases) {
        const qdm::Conversion out = Convert(c.bytes, c.from);
        EXPECT_EQ(out.text, c.text) << c.what;
        ASSERT_FALSE(out.report.examples.empty()) << c.what;
        const qdm::LostChar& first = out.report.examples[0];
        EXPECT_TRUE(first.malformed) << c.what;
        EXPECT_EQ(first.codepoint, c.codepoint) << c.what;
        EXPECT_EQ(first.line, 1) << c.what;
        EXPECT_EQ(first.column, c.column) << c.what;
        EXPECT_EQ(first.byteOffset, c.byteOffset) << c.what;
        EXPECT_EQ(out.report.malformed, out.report.unmappable) << c.what;
    }
}

TEST(EncodingConversion, GbkInputIsReturnedByteForByte) {
    const std::string bytes = "\xB0\xA1\xFF\x80\n\x81\x30";
    const qdm::Conversion out = Convert(bytes, Encoding::Gbk);
    EXPECT_EQ(out.text, bytes);
    EXPECT_EQ(out.report.newlines, 0);
}

TEST(EncodingConversion, GbkLineBreaksBecomeCrLfAndNothingElseChanges) {
    const struct {
        std::string in, out;
        int64_t rewritten;
    } cases[] = {
        {"", "", 0},
        {"a\nb\n", "a\r\nb\r\n", 2},
        {"a\r\nb", "a\r\nb", 0},
        {"a\rb\r", "a\r\nb\r\n", 2},
        {"\r\r\n\n", "\r\n\r\n\r\n", 2},
        {"\xB0\n\xB0\xA1\xFF\x80\n", "\xB0\r\n\xB0\xA1\xFF\x80\r\n", 2},  // a lone lead byte
        {std::string("x\0\ny", 4), std::string("x\0\r\ny", 5), 1},
    };
    for (const auto& c : cases) {
        int64_t rewritten = -1;
        EXPECT_EQ(qdm::GbkWithCrLf(c.in, rewritten), c.out);
        EXPECT_EQ(rewritten, c.rewritten);
    }
}

TEST(EncodingConversion, TraditionalBecomesSimplifiedWhenAsked) {
    if (!qdm::T2sAvailable()) GTEST_SKIP() << "built without OpenCC";
    qdm::ConvertOptions options;
    options.t2s = true;
    // 學習 (Big5) -> 学习
    const qdm::Conversion out = Convert("\xBE\xC7\xB2\xDF\n", Encoding::Big5, options);
    EXPECT_EQ(qdm::gbk::ToUtf8(out.text), "\xE5\xAD\xA6\xE4\xB9\xA0\r\n");
    EXPECT_EQ(out.report.newlines, 1);
}

}  // namespace
