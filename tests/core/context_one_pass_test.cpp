// 多音字检查's one prediction pass against the two it replaces, on random books.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "editor/codec.h"
#include "editor/gbk.h"
#include "polyphone/context_audit.h"
#include "shipped_model.h"

namespace {

namespace gbk = qdm::gbk;

std::vector<std::string> SampleSentences() {
    std::ifstream in(std::string(MKED_TEST_DATA) + "/readings/dev-sample.sent");
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) {
        for (size_t m; (m = line.find("\xE2\x96\x81")) != std::string::npos;) line.erase(m, 3);
        if (auto text = gbk::FromUtf8(line)) out.push_back(*text);
    }
    return out;
}

// Sentences of the sample in random order up to `bytes`, with now and then bytes a book may
// hold that are no sentence: stray lead bytes, ASCII, a bare line feed.
std::string RandomBook(std::mt19937& rng, size_t bytes) {
    static const std::vector<std::string> sentences = SampleSentences();
    static const char* const strays[] = {"\x81", "abc ", "\n", "\xFE\x30", "\r\n\r\n"};
    std::uniform_int_distribution<size_t> pick(0, sentences.size() - 1), stray(0, 9);
    std::string book;
    while (book.size() < bytes) {
        book += sentences[pick(rng)];
        const size_t s = stray(rng);
        book += s < 5 ? strays[s] : "\r\n";
    }
    return book;
}

// A dictionary of a few two-character words of the book itself, so that its coverage falls
// among the polyphones.
qdm::PolyDictSnapshot RandomDict(std::mt19937& rng, const std::string& book) {
    std::uniform_int_distribution<size_t> at(0, book.size() - 8);
    std::string dict;
    for (int n = 0; n < 6; ++n) {
        const size_t pos = gbk::BoundaryAtOrAfter(book, at(rng));
        if (gbk::CharLen(book, pos) != 2 || gbk::CharLen(book, pos + 2) != 2) continue;
        dict += book.substr(pos, 4) + "======>>" + gbk::Lit("甲乙") + "\n";
    }
    return qdm::PolyDictSnapshot{dict};
}

void ExpectSameReadings(const std::vector<std::vector<qdm::PolyContextReading>>& got,
                        const std::vector<std::vector<qdm::PolyContextReading>>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        ASSERT_EQ(got[i].size(), want[i].size());
        for (size_t j = 0; j < want[i].size(); ++j) {
            EXPECT_EQ(got[i][j].reading, want[i][j].reading);
            EXPECT_EQ(got[i][j].defaultReading, want[i][j].defaultReading);
            EXPECT_EQ(got[i][j].confidence, want[i][j].confidence);
            EXPECT_EQ(got[i][j].occurrences, want[i][j].occurrences);
            EXPECT_EQ(got[i][j].misread, want[i][j].misread);
        }
    }
}

void ExpectSameFix(const qdm::PolySmartResult& got, const qdm::PolySmartResult& want) {
    EXPECT_EQ(got.text, want.text);
    EXPECT_EQ(got.predicted, want.predicted);
    EXPECT_EQ(got.fixed, want.fixed);
    EXPECT_EQ(got.unfixable, want.unfixable);
    ASSERT_EQ(got.edits.size(), want.edits.size());
    for (size_t i = 0; i < want.edits.size(); ++i) {
        EXPECT_EQ(got.edits[i].offset, want.edits[i].offset);
        EXPECT_EQ(got.edits[i].before, want.edits[i].before);
        EXPECT_EQ(got.edits[i].after, want.edits[i].after);
    }
}

struct Book {
    unsigned seed;
    size_t bytes;  // past 1 MiB the prediction runs in pieces on two threads
};

void PrintTo(const Book& b, std::ostream* os) {
    *os << "seed " << b.seed << ", " << b.bytes << " bytes";
}

class OnePassAudit : public ::testing::TestWithParam<Book> {};

TEST_P(OnePassAudit, GivesTheReadingsAndTheFixTheTwoSeparatePassesGive) {
    std::mt19937 rng(GetParam().seed);
    const std::string book = RandomBook(rng, GetParam().bytes);
    const qdm::PolyDictSnapshot dict = RandomDict(rng, book);
    const qdm::PolyContextModel& model = ShippedModel();
    const auto audit = qdm::AuditPolyphones({book}, dict, model.Table());
    for (qdm::PolyStyle style : {qdm::PolyStyle::Homophone, qdm::PolyStyle::Pinyin}) {
        const qdm::PolyAuditReadings got =
            qdm::ReadAuditContextsAndFix(audit, book, dict, model, style);
        ExpectSameReadings(got.readings, qdm::ReadAuditContexts(audit, book, dict, model));
        const qdm::PolySmartResult want =
            qdm::SmartFix(model, book, qdm::PolyCoveredRanges(book, dict), style);
        ExpectSameFix(got.fix, want);
        EXPECT_GT(want.fixed, 0);  // a fix to compare, or the comparison proves little
    }
    EXPECT_FALSE(audit.empty());
}

INSTANTIATE_TEST_SUITE_P(RandomBooks, OnePassAudit,
                         ::testing::Values(Book{1, 3000}, Book{2, 40000}, Book{3, 250000},
                                           Book{4, 1200000}));

TEST(OnePassAuditWithoutContexts, StillFixesTheWholeBook) {
    std::mt19937 rng(5);
    const std::string book = RandomBook(rng, 20000);
    const qdm::PolyDictSnapshot dict = RandomDict(rng, book);
    const qdm::PolyAuditReadings got =
        qdm::ReadAuditContextsAndFix({}, book, dict, ShippedModel(), qdm::PolyStyle::Homophone);
    EXPECT_TRUE(got.readings.empty());
    const qdm::PolySmartResult want = qdm::SmartFix(
        ShippedModel(), book, qdm::PolyCoveredRanges(book, dict), qdm::PolyStyle::Homophone);
    ExpectSameFix(got.fix, want);
    EXPECT_GT(want.fixed, 0);
}

}  // namespace
