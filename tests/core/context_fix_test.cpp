// The fix of misread polyphones and the bytes of a dictionary run it must leave alone.
#include <gtest/gtest.h>

#include <fstream>
#include <numeric>

#include "editor/codec.h"
#include "editor/gbk.h"
#include "polyphone/context_model.h"
#include "polyphone/poly_engine.h"
#include "shipped_model.h"

namespace {

using qdm::gbk::Lit;

const qdm::PolyContextModel& Model() {
    return ShippedModel();
}

uint16_t CodeAt(std::string_view s, size_t pos) {
    return qdm::PolyReadingTable::Code(static_cast<unsigned char>(s[pos]),
                                       static_cast<unsigned char>(s[pos + 1]));
}

// A book's worth of sentences: the dev sample, its marks taken out, in GBK.
std::string SampleBook() {
    std::ifstream in(std::string(MKED_TEST_DATA) + "/readings/dev-sample.sent");
    std::string book;
    for (std::string line; std::getline(in, line);) {
        for (size_t m; (m = line.find("\xE2\x96\x81")) != std::string::npos;) line.erase(m, 3);
        if (auto gbk = qdm::gbk::FromUtf8(line)) book += *gbk + "\r\n";
    }
    return book;
}

std::string Apply(std::string text, const std::vector<qdm::PolyFixEdit>& edits) {
    for (auto e = edits.rbegin(); e != edits.rend(); ++e)
        text.replace(e->offset, e->before.size(), e->after);
    return text;
}

// Every ~97th byte run of 6 (the dictionary's stretches, at character starts).
std::vector<qdm::PolyByteRange> SomeKeptRanges(std::string_view text) {
    std::vector<qdm::PolyByteRange> kept;
    size_t next = 0;
    for (size_t pos = 0; pos < text.size(); pos += qdm::gbk::CharLen(text, pos))
        if (pos >= next) {
            kept.push_back({pos, std::min(text.size(), pos + 6)});
            next = pos + 97;
        }
    return kept;
}

class SmartFixOverABook : public ::testing::TestWithParam<qdm::PolyStyle> {};

TEST_P(SmartFixOverABook, ChangesOnlyMisreadCharactersOutsideTheKeptBytesAndSpellsThemRight) {
    const qdm::PolyStyle style = GetParam();
    const std::string book = SampleBook();
    const std::vector<qdm::PolyByteRange> kept = SomeKeptRanges(book);
    const std::vector<qdm::PolyPrediction> predictions = Model().Predict(book);
    const qdm::PolySmartResult r = qdm::SmartFix(Model(), book, kept, style);

    EXPECT_EQ(Apply(book, r.edits), r.text);  // the edits are the whole change
    EXPECT_EQ(static_cast<int64_t>(r.edits.size()), r.fixed);
    EXPECT_GT(r.fixed, 100);
    EXPECT_LE(r.fixed + r.unfixable, r.predicted);
    size_t next = 0, edit = 0, changed = 0;
    auto range = kept.begin();
    for (const qdm::PolyPrediction& p : predictions) {
        while (range != kept.end() && range->end <= p.offset) ++range;
        const bool inKept = range != kept.end() && range->begin < p.offset + 2;
        if (!inKept && p.Changed()) ++changed;
        if (edit == r.edits.size() || r.edits[edit].offset != p.offset) continue;
        const qdm::PolyFixEdit& e = r.edits[edit++];
        EXPECT_TRUE(p.Changed()) << p.offset;
        EXPECT_FALSE(inKept) << p.offset;
        EXPECT_GE(e.offset, next);  // in order, each on a whole character
        EXPECT_EQ(e.before, book.substr(p.offset, 2));
        next = e.offset + 2;
        if (style == qdm::PolyStyle::Pinyin) {
            EXPECT_EQ(e.after, p.reading);
        } else {
            ASSERT_EQ(e.after.size(), 2u);
            const auto& readings = Model().Table().Readings(CodeAt(e.after, 0));
            EXPECT_EQ(readings, std::vector<std::string>{std::string(p.reading)}) << p.offset;
        }
    }
    EXPECT_EQ(edit, r.edits.size());  // no edit where no prediction stands
    EXPECT_EQ(static_cast<int64_t>(changed), r.fixed + r.unfixable);
    // Everything not edited keeps its bytes, so every GBK boundary stays where it was.
    EXPECT_EQ(r.text.size() - book.size(),
              std::accumulate(r.edits.begin(), r.edits.end(), size_t{0},
                              [](size_t n, const qdm::PolyFixEdit& e) {
                                  return n + e.after.size() - e.before.size();
                              }));
}

INSTANTIATE_TEST_SUITE_P(BothStyles, SmartFixOverABook,
                         ::testing::Values(qdm::PolyStyle::Homophone, qdm::PolyStyle::Pinyin));

TEST(SmartFix, RespellsTheCharactersReadOtherwiseThanAlone) {
    const std::string text = Lit("他是银行的行长，也常常要还钱。");
    const qdm::PolySmartResult homophone =
        qdm::SmartFix(Model(), text, {}, qdm::PolyStyle::Homophone);
    const qdm::PolySmartResult pinyin = qdm::SmartFix(Model(), text, {}, qdm::PolyStyle::Pinyin);
    EXPECT_EQ(homophone.text, Lit("他是银航的航掌，也常常要环钱。"));
    EXPECT_EQ(pinyin.text, Lit("他是银hang2的hang2zhang3，也常常要huan2钱。"));
    EXPECT_EQ(homophone.fixed, 4);
    EXPECT_EQ(homophone.predicted, pinyin.predicted);
}

TEST(SmartFix, LeavesWhatTheDictionaryWroteAlone) {
    const std::string text = Lit("银行行长");
    // The dictionary wrote 行长 (as it stands); only the first 行 is left to fix.
    const qdm::PolySmartResult r =
        qdm::SmartFix(Model(), text, {{4, 8}}, qdm::PolyStyle::Homophone);
    EXPECT_EQ(r.text, Lit("银航行长"));
    EXPECT_EQ(r.predicted, 1);
    ASSERT_EQ(r.edits.size(), 1u);
    EXPECT_EQ(r.edits[0].offset, 2u);
    // A range that ends inside a character still keeps it.
    EXPECT_EQ(qdm::SmartFix(Model(), text, {{0, 3}}, qdm::PolyStyle::Homophone).text,
              Lit("银行航掌"));
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

struct RangesCase {
    const char* name;
    std::string before, after;
    std::vector<std::pair<size_t, size_t>> ranges;
};

TEST(DictionaryChangedRanges, FindTheBytesTheDictionaryWrote) {
    const std::vector<RangesCase> cases = {
        {"nothing changed", Lit("银行行长"), Lit("银行行长"), {}},
        {"one character", Lit("在银行里"), Lit("在银航里"), {{4, 6}}},
        {"two stretches", Lit("银行，行长"), Lit("银航，航掌"), {{2, 4}, {6, 10}}},
        {"longer spelling", Lit("去银行了"), Lit("去yin2hang2了"), {{2, 11}}},
        {"at the very end", Lit("银行"), Lit("银航"), {{2, 4}}},
        {"a deletion writes nothing", Lit("甲乙丙丁戊"), Lit("甲丙丁戊"), {}},
        {"a shared character further on",
         Lit("是银行的行长"),
         "\xCA\xC7yin2hang2" + Lit("的行长"),
         {{2, 11}}},
        {"a replacement longer than the window",
         Lit("在银行里"),
         Lit("在") + std::string(100, 'x') + Lit("里"),
         {{2, 102}}},
        {"replacements side by side, longer than the window",
         Lit("甲") + Repeat(Lit("银行"), 30) + Lit("乙丙丁"),
         Lit("甲") + Repeat("yin2hang2", 30) + Lit("乙丙丁"),
         {{2, 272}}},
        {"ascii around", "ab" + Lit("行长") + "cd", "ab" + Lit("航掌") + "cd", {{2, 6}}},
    };
    for (const RangesCase& c : cases) {
        std::vector<std::pair<size_t, size_t>> got;
        for (const qdm::PolyByteRange& r : qdm::DictionaryChangedRanges(c.before, c.after))
            got.emplace_back(r.begin, r.end);
        EXPECT_EQ(got, c.ranges) << c.name;
    }
}

TEST(DictionaryChangedRanges, LeaveTheOriginalTextInOrderAfterARealRun) {
    for (qdm::PolyStyle style : {qdm::PolyStyle::Homophone, qdm::PolyStyle::Pinyin}) {
        const std::string book = SampleBook();
        const qdm::CPolyDict dict(qdm::FindResource(qdm::StarterFileName(style)));
        std::string after = book;
        ASSERT_GT(qdm::ApplyDictionary(dict, after), 100);
        size_t from = 0, kept = 0, pos = 0;
        for (const qdm::PolyByteRange& r : qdm::DictionaryChangedRanges(book, after)) {
            // What lies between two written stretches is text the run kept, so it follows
            // on in the original.
            const std::string_view between = std::string_view(after).substr(from, r.begin - from);
            pos = book.find(between, pos);
            ASSERT_NE(pos, std::string::npos) << r.begin;
            pos += between.size();
            kept += between.size();
            from = r.end;
        }
        EXPECT_EQ(book.compare(book.size() - (after.size() - from), std::string::npos, after, from),
                  0);
        EXPECT_GT(kept, book.size() * 9 / 10);
    }
}

}  // namespace
