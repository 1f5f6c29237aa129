#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "editor/gbk.h"
#include "markup/check.h"
#include "markup/tags.h"

namespace {

namespace gbk = qdm::gbk;

using gbk::Lit;
constexpr size_t npos = std::string::npos;

// Just past the end string of the top-level section of the check from `from` whose content
// holds `fault`, or npos: a plain walk over the top-level regions.
size_t HoldingSectionEnd(std::string_view text, size_t from, size_t fault) {
    for (size_t s = from;;) {
        const qdm::TagKind* kind = nullptr;
        size_t b = npos;
        for (const qdm::TagKind& k : qdm::ScannedKinds()) {
            const size_t at = text.find(k.begin, s);
            if (at != npos && (b == npos || at < b)) b = at, kind = &k;
        }
        if (!kind || b >= fault) return npos;
        const size_t d = text.find(kind->end, b);
        if (d == npos) return npos;
        if (fault < d) return kind->number == qdm::TAG_SECTION ? d + kind->end.size() : npos;
        s = d + kind->end.size();
    }
}

// The first entry is CheckMarkup's; each later one is CheckMarkup's on the rest of the book
// from the resume point the rule names.
void ExpectPartsAgreeWithCheckMarkup(std::string_view text, const std::string& name) {
    const std::vector<qdm::MarkupFault> faults = qdm::CheckMarkupAll(text);
    size_t from = 0;
    for (size_t i = 0;; ++i) {
        std::string message;
        const int32_t p = qdm::CheckMarkup(text.substr(from), message);
        if (p < 0 || i == qdm::kMaxMarkupFaults) {
            EXPECT_EQ(faults.size(), i) << name;
            return;
        }
        ASSERT_LT(i, faults.size()) << name;
        EXPECT_EQ(faults[i].offset, static_cast<int32_t>(from) + p) << name << " entry " << i;
        EXPECT_EQ(faults[i].message, message) << name << " entry " << i;
        const size_t fault = from + p;
        const size_t held = HoldingSectionEnd(text, from, fault);
        from = text.find(qdm::kSectionBegin, held != npos ? held : fault + 1);
        if (from == npos) {
            EXPECT_EQ(faults.size(), i + 1) << name;
            return;
        }
    }
}

struct AllCase {
    const char* name;
    std::string text;
    std::vector<qdm::MarkupFault> faults;
};

TEST(CheckMarkupAll, ResumesAtTheSectionAfterTheOneHoldingEachFault) {
    const std::string end = "</vsection>";
    const std::string emph = Lit("重点 没有结束标志");
    const std::string nest = Lit("读者注 中不能嵌套 作者注");
    const std::string open = Lit("section 没有结束标志");
    const AllCase cases[] = {
        {"sound book", "<vsection=1>a" + end + "<vsection=2>b" + end, {}},
        {"one fault per section",
         "<vsection=1><vemph>" + end + "<vsection=2>ok" + end +
             "<vsection=3><vreadernote><vauthornote>x</vauthornote></vreadernote>" + end,
         {{12, emph}, {80, nest}}},
        {"a second fault in the same section is not reported",
         "<vsection=1><vemph>a<vemph>" + end,
         {{12, emph}}},
        // The stray section begin string lies inside the first section, whose end is the
        // one "</vsection>": nothing comes after it.
        {"section begun inside a section", "<vsection=1>a<vsection=2>b" + end + "c", {{13, open}}},
        {"unclosed sections outside any section, one each",
         "<vsection=a<vsection=b",
         {{0, open}, {11, open}}},
        {"fault outside sections resumes at the next begin string",
         "<vreadernote><vauthornote></vauthornote></vreadernote>x<vsection=1><vemph>" + end,
         {{13, nest}, {67, emph}}},
        {"the stray text between sections is skipped",
         "<vsection=1><vemph>" + end + "<vemph>x<vsection=2>y" + end,
         {{12, emph}}},
    };
    for (const AllCase& c : cases) {
        const std::vector<qdm::MarkupFault> got = qdm::CheckMarkupAll(c.text);
        ASSERT_EQ(got.size(), c.faults.size()) << c.name;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].offset, c.faults[i].offset) << c.name << " entry " << i;
            EXPECT_EQ(got[i].message, c.faults[i].message) << c.name << " entry " << i;
        }
        ExpectPartsAgreeWithCheckMarkup(c.text, c.name);
    }
}

TEST(CheckMarkupAll, AgreesWithCheckMarkupOnTheFuzzCorpus) {
    const std::filesystem::path corpus =
        std::filesystem::path(MKED_TEST_DATA) / "../../fuzz/corpus/markup_fuzz";
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        // As the fuzz target reads it: five bytes of parameters, then the text up to a NUL.
        const std::string text = bytes.substr(std::min<size_t>(5, bytes.size()));
        ExpectPartsAgreeWithCheckMarkup(text.substr(0, text.find('\0')), entry.path());
        ++files;
    }
    EXPECT_GT(files, 20u);
}

// A book of `sections` sections, some of them broken in one of the ways a hand-edited book
// is, with notes and stray tags between them.
std::string FaultyBook(std::mt19937& rng, int sections) {
    const char* bodies[] = {
        "text",
        "<vemph>e</vemph>",
        "<vreadernote>r<vemph>e</vemph></vreadernote>",
        "<vemph>unclosed",                                          // missing end
        "<vreadernote><vauthornote>a</vauthornote></vreadernote>",  // nesting
        "<vtrans>t<vemph>e</vtrans></vemph>",                       // crossing
        "<vsection=in",                                             // section begun inside
        "</vemph>stray",
        "<vauthornote>open",
    };
    const char* between[] = {"",
                             "\r\n",
                             "<vemph>loose",
                             "<vreadernote>n</vreadernote>",
                             "</vsection>",
                             "<vtrans><vemph>",
                             "<vsection=open"};
    std::uniform_int_distribution<size_t> body(0, std::size(bodies) - 1);
    std::uniform_int_distribution<size_t> gap(0, std::size(between) - 1);
    std::uniform_int_distribution<int> coin(0, 9);
    std::string book;
    for (int i = 0; i < sections; ++i) {
        book += "<vsection=" + std::to_string(i + 1) + ">";
        for (int k = coin(rng) % 3; k >= 0; --k) book += bodies[body(rng)];
        book += "</vsection>";
        if (coin(rng) < 3) book += between[gap(rng)];
    }
    return book;
}

TEST(CheckMarkupAll, AgreesWithCheckMarkupOnGeneratedFaultyBooks) {
    std::mt19937 rng(10);
    for (int round = 0; round < 300; ++round) {
        const std::string book = FaultyBook(rng, 1 + round % 40);
        ExpectPartsAgreeWithCheckMarkup(book, "round " + std::to_string(round));
    }
}

TEST(CheckMarkupAll, StopsAtTheLimitWithEveryEntryBeforeIt) {
    std::string book;
    for (int i = 0; i < 1500; ++i) book += "<vsection=1><vemph></vsection>";
    const std::vector<qdm::MarkupFault> faults = qdm::CheckMarkupAll(book);
    ASSERT_EQ(faults.size(), qdm::kMaxMarkupFaults);
    EXPECT_EQ(faults.back().offset, 999 * 30 + 12);
    EXPECT_EQ(qdm::CheckMarkupAll(book, 3).size(), 3u);
    ExpectPartsAgreeWithCheckMarkup(book, "1500 faults");
}

}  // namespace
