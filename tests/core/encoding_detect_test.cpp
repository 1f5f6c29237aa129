#include "editor/encoding_detect.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

const std::string kDir = std::string(MKED_TEST_DATA) + "/encoding/";

TEST(EncodingDetection, EveryCorpusFileIsDetectedAsListed) {
    std::ifstream list(kDir + "expected.tsv");
    ASSERT_TRUE(list.good());
    std::string line;
    int files = 0;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#') continue;
        const std::string file = line.substr(0, line.find('\t'));
        const std::string expected = line.substr(line.find('\t') + 1);
        const std::string bytes = ReadFile(kDir + file);
        ASSERT_FALSE(bytes.empty()) << file;
        EXPECT_EQ(qdm::EncodingName(qdm::DetectEncoding(bytes)), expected) << file;
        ++files;
    }
    EXPECT_GT(files, 150);
}

TEST(EncodingDetection, GbkIsChosenWithoutClearEvidence) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"ASCII only", "Chapter 1\r\n"},
        {"a lone lead byte", "\xB0"},
        {"valid in no encoding", "\xB0\xA1\xFF\x80\xC0\xAF"},
        {"a four-byte sequence amid invalid bytes", "\x81\x30\x81\x30\xFF"},
        {"a GBK character valid as two-byte UTF-8 (U+00B7)", "\xC2\xB7"},
        {"UTF-8 cut inside its only character", "\xE4\xB8"},
        {"a four-byte sequence beyond the assigned range", "\x84\x31\xA5\x30"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qdm::DetectEncoding(c.bytes), qdm::Encoding::Gbk) << c.what;
}

TEST(EncodingDetection, ByteOrderMarksDecideFirst) {
    EXPECT_EQ(qdm::DetectEncoding("\xEF\xBB\xBF"), qdm::Encoding::Utf8);
    EXPECT_EQ(qdm::DetectEncoding(std::string("\xFF\xFE\x2D\x4E", 4)), qdm::Encoding::Utf16Le);
    EXPECT_EQ(qdm::DetectEncoding(std::string("\xFE\xFF\x4E\x2D", 4)), qdm::Encoding::Utf16Be);
    // A mark followed by bytes that are not valid UTF-8 still decides; the converter reports them.
    EXPECT_EQ(qdm::DetectEncoding("\xEF\xBB\xBF\xB0\xA1"), qdm::Encoding::Utf8);
}

TEST(EncodingDetection, Utf16WithoutMarkTakesTheByteOrderOfItsAsciiZeros) {
    EXPECT_EQ(qdm::ResolveUtf16(std::string("A\0B\0", 4)), qdm::Encoding::Utf16Le);
    EXPECT_EQ(qdm::ResolveUtf16(std::string("\0A\0B", 4)), qdm::Encoding::Utf16Be);
    EXPECT_EQ(qdm::ResolveUtf16("\x2D\x4E"), qdm::Encoding::Utf16Le);
    EXPECT_EQ(qdm::ResolveUtf16("\xFE\xFF"), qdm::Encoding::Utf16Be);
}

TEST(EncodingDetection, Utf8IsValidatedOverTheWholeText) {
    // A megabyte of UTF-8 (4 characters a line), then GBK text at the very end.
    std::string text;
    while (text.size() < (1 << 20)) text += "\xE5\xBA\x8A\xE5\x89\x8D\xE6\x98\x8E\xE6\x9C\x88\n";
    EXPECT_EQ(qdm::DetectEncoding(text), qdm::Encoding::Utf8);
    std::string gbkTail;
    for (int i = 0; i < 400; ++i) gbkTail += "\xB4\xB2\xC7\xB0\r\n";
    EXPECT_EQ(qdm::DetectEncoding(text + gbkTail), qdm::Encoding::Gbk);
    // A few damaged bytes do not make a UTF-8 book GBK, nor does a character cut by the end.
    std::string damaged = text;
    damaged[damaged.size() / 2] = '\xB0';
    EXPECT_EQ(qdm::DetectEncoding(damaged), qdm::Encoding::Utf8);
    EXPECT_EQ(qdm::DetectEncoding(text + "\xE5\xBA"), qdm::Encoding::Utf8);
}

TEST(EncodingDetection, Big5IsDecidedOnSamplesSpreadOverTheText) {
    const std::string big5 = ReadFile(kDir + "qianziwen.big5.txt");
    const std::string gbk = ReadFile(kDir + "qianziwen.gbk.txt");
    std::string book;
    while (book.size() < (2 << 20)) book += big5;
    EXPECT_EQ(qdm::DetectEncoding(book), qdm::Encoding::Big5);
    const std::string sample = qdm::SampleForBig5(book);
    EXPECT_LE(sample.size(), 4u * 64 * 1024 + 4);
    EXPECT_EQ(sample.back(), '\n');
    book.clear();
    while (book.size() < (2 << 20)) book += gbk;
    EXPECT_EQ(qdm::DetectEncoding(book), qdm::Encoding::Gbk);
}

// The scan takes eight double-byte bytes at a time; whatever follows such a run, at any
// alignment and at the very end, must be judged as it would be on its own.
TEST(EncodingDetection, Gb18030ScanJudgesWhatFollowsLongDoubleByteRuns) {
    struct Case {
        const char* tail;
        int64_t fourByte;
        bool valid;
    };
    const Case cases[] = {
        {"", 0, true},
        {"\x81\x30\x81\x30", 1, true},
        {"\x81\x30\x81\x30\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1", 1, true},
        {"\x80", 0, false},
        {"\xFF", 0, false},
        {"\xB0", 0, false},
        {"\xB0\x7F", 0, false},
        {"\xB0\xA1\xB0\xA1\xB0\xA1\xFF\xA1", 0, false},
        {"\xB0\xA1\xB0\xA1\xB0\xA1\xB0\x80", 0, true},
        {"\xB0\xA1\xB0\xA1\xB0\xA1\x80\xA1", 0, false},
        {"a\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1", 0, true},
    };
    for (const Case& c : cases) {
        for (const char* lead : {"", "a", "ab", "abc"}) {
            for (int pairs = 0; pairs < 40; ++pairs) {  // faults in every word of a block
                std::string text = lead;
                for (int k = 0; k < pairs; ++k) text += "\xB0\xA1";
                text += c.tail;
                const qdm::Gb18030Evidence e = qdm::ScanGb18030(text);
                SCOPED_TRACE(testing::Message()
                             << "tail " << c.tail << " lead " << lead << " pairs " << pairs);
                EXPECT_EQ(e.valid, c.valid);
                EXPECT_EQ(e.fourByte, c.fourByte);
            }
        }
    }
}

}  // namespace
