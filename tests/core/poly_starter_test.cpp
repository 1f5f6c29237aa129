// The shipped starter dictionary and reading table, and merging one dictionary into another.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "editor/codec.h"
#include "editor/file_io.h"
#include "editor/gbk.h"
#include "polyphone/poly_dict.h"
#include "polyphone/poly_lint.h"
#include "polyphone/poly_list.h"
#include "polyphone/poly_merge.h"
#include "polyphone/poly_readings.h"
#include "polyphone/poly_rows.h"

namespace fs = std::filesystem;

namespace gbk = qdm::gbk;

namespace {

std::string Resource(std::string_view name) {
    const std::string path = qdm::FindResource(name);
    qdm::FileText file;
    EXPECT_TRUE(qdm::ReadTextFile(path, file)) << name;
    return file.text;
}

const qdm::PolyReadingTable& Table() {
    static const qdm::PolyReadingTable table = [] {
        qdm::PolyReadingTable t;
        std::string error;
        EXPECT_TRUE(t.Load(qdm::FindResource(qdm::kPolyReadingsFile), error)) << error;
        return t;
    }();
    return table;
}

uint16_t CodeAt(std::string_view s, size_t pos) {
    return qdm::PolyReadingTable::Code(static_cast<unsigned char>(s[pos]),
                                       static_cast<unsigned char>(s[pos + 1]));
}

// Whether `rep` can be read as exactly `pinyin` ("yin2hang2"): a respelled character by one of
// its readings, a character kept from `word` by one of its syllables in any tone (the source
// writes tone changes in context, 一 yi4, 不 bu2, and the neutral tone without a number).
bool ReadsAs(const qdm::PolyReadingTable& table, std::string_view word, std::string_view rep,
             std::string_view pinyin) {
    if (rep.empty()) return pinyin.empty();
    const bool kept = word.substr(0, 2) == rep.substr(0, 2);
    for (std::string r : table.Readings(CodeAt(rep, 0))) {
        if (kept && r.back() >= '1' && r.back() <= '5') r.pop_back();
        if (pinyin.substr(0, r.size()) != r) continue;
        std::string_view rest = pinyin.substr(r.size());
        if (kept && !rest.empty() && rest[0] >= '1' && rest[0] <= '5' &&
            ReadsAs(table, word.substr(2), rep.substr(2), rest.substr(1)))
            return true;
        if (ReadsAs(table, word.substr(2), rep.substr(2), rest)) return true;
    }
    return false;
}

TEST(PolyStarter, EveryEntryIsValidWithinLimitsAndLongerWordsComeFirst) {
    for (qdm::PolyStyle style : {qdm::PolyStyle::Homophone, qdm::PolyStyle::Pinyin}) {
        const qdm::PolyDictSnapshot dict(Resource(qdm::StarterFileName(style)));
        ASSERT_GE(dict.LineCount(), 5000u);
        ASSERT_LE(dict.LineCount(), 20000u);
        EXPECT_EQ(static_cast<int>(dict.LineCount()), dict.AppliedCount());
        for (size_t i = 0; i < dict.LineCount(); ++i) {
            EXPECT_LE(dict.Word(i).size(), qdm::kPolyMaxWordBytes) << i;
            EXPECT_LE(dict.Replacement(i).size(), qdm::kPolyMaxReplacementBytes) << i;
            EXPECT_FALSE(dict.Replacement(i).empty()) << i;
        }
        // Nothing for the lint to say: no duplicate, no shorter word ahead of a longer one
        // that holds it, no replacement holding its word, no CR.
        const auto findings = qdm::LintPolyDictionary(dict);
        EXPECT_TRUE(findings.empty()) << gbk::ToUtf8(findings.front().message);
    }
}

TEST(PolyStarter, HomophonesReadExactlyAsThePinyinOfTheSameWord) {
    const qdm::PolyReadingTable& table = Table();
    EXPECT_GT(table.PolyphonicCount(), 300u);
    const qdm::PolyDictSnapshot homo(Resource(qdm::StarterFileName(qdm::PolyStyle::Homophone)));
    const qdm::PolyDictSnapshot pinyin(Resource(qdm::StarterFileName(qdm::PolyStyle::Pinyin)));
    ASSERT_EQ(homo.LineCount(), pinyin.LineCount());
    for (size_t i = 0; i < homo.LineCount(); ++i) {
        const std::string_view word = homo.Word(i), rep = homo.Replacement(i);
        ASSERT_EQ(word, pinyin.Word(i)) << i;
        ASSERT_EQ(word.size(), rep.size()) << gbk::ToUtf8(word);
        bool changed = false;
        for (size_t pos = 0; pos < word.size(); pos += 2) {
            if (word.substr(pos, 2) == rep.substr(pos, 2)) continue;
            changed = true;
            // Only polyphonic characters are respelled, each by a character of one reading.
            EXPECT_TRUE(table.IsPolyphonic(CodeAt(word, pos))) << gbk::ToUtf8(word);
            EXPECT_EQ(1u, table.Readings(CodeAt(rep, pos)).size()) << gbk::ToUtf8(rep);
        }
        EXPECT_TRUE(changed) << gbk::ToUtf8(word);
        // The respelled word reads exactly as the source data reads the word.
        EXPECT_TRUE(ReadsAs(table, word, rep, pinyin.Replacement(i)))
            << gbk::ToUtf8(word) << " " << gbk::ToUtf8(rep) << " " << pinyin.Replacement(i);
    }
}

TEST(PolyStarter, ProposalsFollowTheStyleRule) {
    const qdm::PolyReadingTable& table = Table();
    EXPECT_EQ("yin2xing2", table.Propose(gbk::Lit("银行"), qdm::PolyStyle::Pinyin));
    const std::string homo = table.Propose(gbk::Lit("银行a"), qdm::PolyStyle::Homophone);
    EXPECT_EQ(gbk::Lit("银"), homo.substr(0, 2));
    EXPECT_EQ(1u, table.Readings(CodeAt(homo, 2)).size());
    EXPECT_EQ("a", homo.substr(4));
}

class PolyMerge : public ::testing::Test {
  protected:
    void SetUp() override {
        m_path = (fs::temp_directory_path() / ("qdm-merge-" + std::to_string(::getpid()))).string();
        fs::remove(m_path);
    }
    void TearDown() override { fs::remove(m_path); }
    std::string Read() {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string m_path;
};

TEST_F(PolyMerge, AppendsNewWordsKeepsEveryOtherByteAndAddsNothingTheSecondTime) {
    const std::string mine = gbk::Lit("银行======>>yin2hang2\r\n坏行\n半行");
    std::ofstream(m_path, std::ios::binary) << mine;
    const std::string incoming =
        gbk::Lit("银行======>>银航\n长大======>>掌大\r\n无效\n长大======>>x\n");
    qdm::PolyMergeCount first;
    ASSERT_TRUE(qdm::MergeIntoPolyFile(m_path, incoming, first));
    EXPECT_EQ(1, first.added);
    EXPECT_EQ(2, first.skipped);
    // The last line without LF is ended, as adding one entry ends it.
    EXPECT_EQ(mine + "\n" + gbk::Lit("长大======>>掌大\n"), Read());
    qdm::PolyMergeCount second;
    ASSERT_TRUE(qdm::MergeIntoPolyFile(m_path, incoming, second));
    EXPECT_EQ(0, second.added);
    EXPECT_EQ(3, second.skipped);
    EXPECT_EQ(mine + "\n" + gbk::Lit("长大======>>掌大\n"), Read());
}

TEST_F(PolyMerge, ADictionaryHoldingANulByteIsNotRewritten) {
    const std::string mine = gbk::Lit("银行======>>x\n") + std::string("\0rest\n", 6);
    std::ofstream(m_path, std::ios::binary) << mine;
    qdm::PolyMergeCount count;
    EXPECT_FALSE(qdm::MergeIntoPolyFile(m_path, gbk::Lit("长大======>>掌大\n"), count));
    EXPECT_EQ(mine, Read());
}

TEST_F(PolyMerge, CreatesAMissingDictionaryAndExportsOnlyValidEntries) {
    qdm::PolyMergeCount count;
    ASSERT_TRUE(qdm::MergeIntoPolyFile(m_path, gbk::Lit("长大======>>掌大\n"), count));
    EXPECT_EQ(gbk::Lit("长大======>>掌大\n"), Read());
    EXPECT_EQ(gbk::Lit("a======>>b\nc======>>\n"),
              qdm::ExportPolyEntries(gbk::Lit("a======>>b\n======>>x\nbad\nc======>>\ntail")));
}

}  // namespace

namespace {

TEST(PolyList, SearchLooksInWordAndReplacementAtCharacterStarts) {
    const std::vector<std::string> rows = {gbk::Lit("银行======>>yin2hang2"),
                                           gbk::Lit("行长======>>航长"), gbk::Lit("坏行没有分隔"),
                                           "\xB0\xA1\xB0\xA1======>>x"};
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), qdm::FilterPolyRows(rows, ""));
    EXPECT_EQ((std::vector<int>{0, 1, 2}), qdm::FilterPolyRows(rows, gbk::Lit("行")));
    EXPECT_EQ((std::vector<int>{1}), qdm::FilterPolyRows(rows, gbk::Lit("航")));
    EXPECT_EQ((std::vector<int>{0}), qdm::FilterPolyRows(rows, "hang2"));
    EXPECT_EQ((std::vector<int>{}), qdm::FilterPolyRows(rows, "======>>"));
    EXPECT_EQ((std::vector<int>{}), qdm::FilterPolyRows(rows, "\xA1\xB0"));  // across a boundary
}

TEST(PolyList, EditingARowChecksAsAddingDoesExceptAgainstItself) {
    const std::vector<std::string> rows = {gbk::Lit("银行======>>a"), gbk::Lit("长大======>>b")};
    EXPECT_EQ(qdm::PolyRowCheck::Ok, qdm::CheckEditedPolyRow(rows, 0, gbk::Lit("银行"), "a"));
    EXPECT_EQ(qdm::PolyRowCheck::Exists, qdm::CheckEditedPolyRow(rows, 1, gbk::Lit("银行"), "a"));
    EXPECT_EQ(qdm::PolyRowCheck::EmptyReplacement, qdm::CheckEditedPolyRow(rows, 0, "x", ""));
    EXPECT_EQ(qdm::PolyRowCheck::WordTooLong,
              qdm::CheckEditedPolyRow(rows, 0, std::string(16, 'x'), "a"));
}

TEST(PolyList, ProposalTakesTheStarterEntryFirstThenTheRule) {
    const std::string starter = gbk::Lit("银行======>>银航\n");
    EXPECT_EQ(gbk::Lit("银航"), qdm::ProposePolyReplacement(
                                    gbk::Lit("银行"), qdm::PolyStyle::Homophone, Table(), starter));
    EXPECT_EQ("xing2dong4", qdm::ProposePolyReplacement(gbk::Lit("行动"), qdm::PolyStyle::Pinyin,
                                                        Table(), starter));
}

}  // namespace

namespace {

TEST(ShadowedPolyRows, FindsTheImportedWordsThatAShorterWordOfTheUserChangesFirst) {
    const std::string have1 = gbk::Lit("行"), have2 = gbk::Lit("长大"), have3 = gbk::Lit("A");
    const std::vector<std::string_view> have{have1, have2, have3};
    const std::vector<std::string> added{
        gbk::Lit("银行======>>yin2hang2"),      // holds 行
        gbk::Lit("重要======>>zhong4yao4"),     // holds nothing of the user's
        gbk::Lit("长大成人======>>zhang3da4"),  // holds 长大
        std::string("\xB0"
                    "A======>>x"),  // "A" only as a second byte: not a character
        gbk::Lit("坏行"),           // no entry: never counted
    };
    std::vector<std::string> by;
    EXPECT_EQ(qdm::ShadowedPolyRows(have, added, &by), (std::vector<size_t>{0, 2}));
    EXPECT_EQ(by, (std::vector<std::string>{have1, have2}));
    EXPECT_TRUE(qdm::ShadowedPolyRows({}, added).empty());
}

}  // namespace
