// The audit against a plain reference scan, and its output line.
#include "polyphone/poly_audit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "editor/codec.h"
#include "editor/gbk.h"

namespace gbk = qdm::gbk;

namespace {

using qdm::PolyAuditChar;
using qdm::PolyAuditContext;

// 行 长 重 have two readings, the rest one; 中 and 。 are outside the table.
qdm::PolyReadingTable SmallTable() {
    qdm::PolyReadingTable table;
    std::string error;
    const bool ok = table.Parse(gbk::Lit("# test\n行 xing2 hang2\n银 yin2\n长 chang2 zhang3\n"
                                         "大 da4\n重 zhong4 chong2\n新 xin1\n航 hang2\n"),
                                error);
    EXPECT_TRUE(ok) << error;
    return table;
}

qdm::PolyDictSnapshot Dict(std::string_view utf8) {
    return qdm::PolyDictSnapshot(gbk::Lit(utf8));
}

// The definition, written plainly: entries in order, each taking its word's occurrences from
// left to right that overlap nothing taken; then every window around every uncovered
// polyphonic character counted in full.
std::vector<PolyAuditChar> ReferenceAudit(const std::string& text,
                                          const qdm::PolyDictSnapshot& dict,
                                          const qdm::PolyReadingTable& table) {
    std::vector<bool> taken(text.size(), false);
    for (int e = 0; e < dict.AppliedCount(); ++e) {
        const std::string word(dict.Word(static_cast<size_t>(e)));
        for (size_t pos = gbk::Find(text, word, 0); pos != gbk::npos;
             pos = gbk::Find(text, word, pos + 1)) {
            if (std::any_of(taken.begin() + pos, taken.begin() + pos + word.size(),
                            [](bool b) { return b; }))
                continue;
            std::fill(taken.begin() + pos, taken.begin() + pos + word.size(), true);
        }
    }
    // The text as characters; table characters keep their code, others stop a context.
    std::vector<size_t> starts;
    for (size_t pos = 0; pos < text.size(); pos += gbk::CharLen(text, pos)) starts.push_back(pos);
    auto code = [&](size_t i) -> uint16_t {
        const size_t pos = starts[i];
        if (gbk::CharLen(text, pos) != 2) return 0;
        const uint16_t c = qdm::PolyReadingTable::Code(static_cast<unsigned char>(text[pos]),
                                                       static_cast<unsigned char>(text[pos + 1]));
        return table.Known(c) ? c : 0;
    };
    std::map<std::string, int64_t> counts;
    std::map<std::string, std::map<std::pair<std::string, int>, int64_t>> windows;
    for (size_t i = 0; i < starts.size(); ++i) {
        const uint16_t c = code(i);
        if (!c || !table.IsPolyphonic(c) || taken[starts[i]]) continue;
        const std::string ch = text.substr(starts[i], 2);
        ++counts[ch];
        for (size_t from = i >= 3 ? i - 3 : 0; from <= i; ++from) {
            for (size_t to = i + 1; to <= std::min(starts.size(), from + 4); ++to) {
                if (to - from < 2) continue;
                bool ok = true;
                for (size_t k = from; k < to; ++k) ok = ok && code(k);
                if (ok)
                    ++windows[ch][{text.substr(starts[from], 2 * (to - from)),
                                   static_cast<int>(i - from)}];
            }
        }
    }
    std::vector<PolyAuditChar> out;
    for (const auto& [ch, count] : counts) {
        struct W {
            std::string text;
            int before;
            int64_t count;
        };
        std::vector<W> all;
        for (const auto& [key, n] : windows[ch]) all.push_back({key.first, key.second, n});
        std::sort(all.begin(), all.end(), [](const W& a, const W& b) {
            if (a.count != b.count) return a.count > b.count;
            if (a.text.size() != b.text.size()) return a.text.size() > b.text.size();
            return a.text < b.text;
        });
        // Each text once: a window with the characters of one chosen is listed through it,
        // and what lies inside it with its count is passed over too.
        std::vector<W> chosen, shown;
        for (const W& w : all) {
            if (chosen.size() == 3) break;
            bool sameText = false, inside = false;
            for (const W& x : chosen) sameText |= x.text == w.text;
            for (const W& x : shown) {
                const int shift = x.before - w.before;
                inside |= x.count == w.count && shift >= 0 &&
                          x.text.compare(2 * shift, w.text.size(), w.text) == 0 &&
                          2 * shift + w.text.size() <= x.text.size();
            }
            if (sameText) {
                shown.push_back(w);
            } else if (!inside) {
                chosen.push_back(w);
                shown.push_back(w);
            }
        }
        PolyAuditChar c;
        c.ch = ch;
        c.readings = table.JoinedReadings(qdm::PolyReadingTable::Code(
            static_cast<unsigned char>(ch[0]), static_cast<unsigned char>(ch[1])));
        c.count = count;
        for (const W& w : chosen) c.contexts.push_back({w.text, w.count});
        out.push_back(c);
    }
    std::stable_sort(out.begin(), out.end(), [](const PolyAuditChar& a, const PolyAuditChar& b) {
        return a.count > b.count;
    });
    return out;
}

TEST(PolyAudit, MatchesThePlainScanOnRandomBooksAndDictionaries) {
    const qdm::PolyReadingTable table = SmallTable();
    const std::vector<std::string> units = {gbk::Lit("行"), gbk::Lit("银"), gbk::Lit("长"),
                                            gbk::Lit("大"), gbk::Lit("重"), gbk::Lit("新"),
                                            gbk::Lit("中"), gbk::Lit("。"), "a",
                                            "\r\n"};
    std::mt19937 rng(11);
    auto pick = [&](size_t n, size_t len) {
        std::string s;
        for (size_t i = 0; i < len; ++i) s += units[rng() % n];
        return s;
    };
    for (int round = 0; round < 400; ++round) {
        std::string dict;
        const int entries = static_cast<int>(rng() % 6);
        for (int e = 0; e < entries; ++e)
            dict += pick(7, 1 + rng() % 3) + "======>>" + pick(8, rng() % 3) + "\n";
        if (rng() % 8 == 0) dict += "broken\n" + pick(7, 2) + "======>>x\n";
        const std::string text = pick(units.size(), rng() % 300);
        const std::string half = pick(units.size(), rng() % 100);
        const qdm::PolyDictSnapshot snap(dict);
        const auto got = qdm::AuditPolyphones({text, half}, snap, table);
        ASSERT_EQ(ReferenceAudit(text + "\n" + half, snap, table), got) << "round " << round << "\n"
                                                                        << gbk::ToUtf8(dict) << "\n"
                                                                        << gbk::ToUtf8(text);
    }
}

TEST(PolyAudit, CoversOnlyWhatProcessingReplacesInItsOrder) {
    const qdm::PolyReadingTable table = SmallTable();
    const std::string text = gbk::Lit("银行长大，行长重新");
    struct Case {
        const char* dict;
        std::vector<std::string> counted;  // "行 2": the character and its uncovered count
    };
    const std::vector<Case> cases = {
        {"", {"长 2", "行 2", "重 1"}},
        {"银行======>>银航\n", {"长 2", "行 1", "重 1"}},
        // 银 is taken first, so 银行 never matches there
        {"银======>>yin\n银行======>>银航\n", {"长 2", "行 2", "重 1"}},
        // 行长 at 2 overlaps 银行 taken before it
        {"银行======>>x\n行长======>>y\n", {"长 1", "重 1"}},
        // a malformed line ends the dictionary: 行长 is never applied
        {"银行======>>x\nbad\n行长======>>y\n", {"长 2", "行 1", "重 1"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> counted;
        for (const PolyAuditChar& a : qdm::AuditPolyphones({text}, Dict(c.dict), table))
            counted.push_back(gbk::ToUtf8(a.ch) + " " + std::to_string(a.count));
        std::vector<std::string> want;
        for (const std::string& s : c.counted) want.push_back(s);
        EXPECT_EQ(want, counted) << c.dict;
    }
}

TEST(PolyAudit, EachContextIsListedOnceWhereverTheCharacterStandsInIt) {
    const qdm::PolyReadingTable table = SmallTable();
    // 行 stands first and second in 行行: two places, one context.
    const std::string text = gbk::Lit("行行，行行，行行，银行，银行，行长");
    const auto got = qdm::AuditPolyphones({text}, Dict(""), table);
    ASSERT_FALSE(got.empty());
    ASSERT_EQ(got[0].ch, gbk::Lit("行"));
    std::vector<std::string> contexts;
    for (const PolyAuditContext& k : got[0].contexts)
        contexts.push_back(gbk::ToUtf8(k.text) + " " + std::to_string(k.count));
    EXPECT_EQ(contexts, (std::vector<std::string>{"行行 3", "银行 2", "行长 1"}));
}

TEST(PolyAudit, LinePrintsReadingsCountAndContextsWithGroupedDigits) {
    PolyAuditChar c{gbk::Lit("行"),
                    "xing2/hang2",
                    1204,
                    {{gbk::Lit("行动"), 312}, {gbk::Lit("银行"), 40}, {gbk::Lit("一行"), 12}}};
    EXPECT_EQ("行 xing2/hang2: 1,204 次 — 行动 312, 银行 40, 一行 12",
              gbk::ToUtf8(qdm::FormatAuditLine(c)));
    c.contexts.clear();
    c.count = 7;
    EXPECT_EQ("行 xing2/hang2: 7 次", gbk::ToUtf8(qdm::FormatAuditLine(c)));
    EXPECT_EQ("1,000,000", qdm::GroupDigits(1000000));
    EXPECT_EQ("999", qdm::GroupDigits(999));
}

}  // namespace
