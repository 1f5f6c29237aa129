#include <gtest/gtest.h>

#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "markup/check.h"
#include "markup/tags.h"

namespace gbk = qdm::gbk;

namespace {

using gbk::Lit;
using qdm::CanNest;
using qdm::KindByNumber;

struct MarkupCase {
    const char* name;
    std::string text;
    int32_t fault;
    std::string message;
};

TEST(CheckMarkup, ReportsTheFirstFaultInWalkOrder) {
    const std::string sec = "<vsection=1>", end = "</vsection>";
    const std::string pad(100, 'x');
    const MarkupCase cases[] = {
        {"empty", "", -1, ""},
        {"stray end strings pass", "</vemph>" + end, -1, ""},
        {"notes outside sections pass", "<vemph>a</vemph><vreadernote>b</vreadernote>", -1, ""},
        {"unclosed section", pad + "<vsection=", 100, Lit("section 没有结束标志")},
        {"author note in reader note",
         sec + "<vreadernote><vauthornote>a</vauthornote></vreadernote>" + end, 25,
         Lit("读者注 中不能嵌套 作者注")},
        {"emphasis in translation passes", sec + "<vtrans><vemph>a</vemph></vtrans>" + end, -1, ""},
        {"offset counts from the whole text",
         sec + "a" + end + sec + "<vemph><vtrans>t</vtrans></vemph>" + end, 43,
         Lit("重点 中不能嵌套 译文")},
        {"missing end found before nesting", sec + "a<vsection=2>b" + end, 13,
         Lit("section 没有结束标志")},
        {"crossing regions", sec + "<vemph>a" + end + "</vemph>", 12, Lit("重点 没有结束标志")},
        {"content before following regions", sec + "<vemph>" + end + "<vtrans>" + end, 12,
         Lit("重点 没有结束标志")},
        {"end string must lie inside the range", "<vemph>a</vemp", 0, Lit("重点 没有结束标志")},
    };
    for (const MarkupCase& c : cases) {
        std::string message = "old;";
        EXPECT_EQ(qdm::CheckMarkup(c.text, message), c.fault) << c.name;
        EXPECT_EQ(message, "old;" + c.message) << c.name;
    }
}

TEST(CheckDocument, NumbersSectionsThenPutsTheCaretOnTheFault) {
    qdm::CEditBox edit;
    edit.SetText("<vsection=\r\na</vsection><vsection=9>b</vsection>");
    std::string message;
    EXPECT_TRUE(qdm::CheckDocument(edit, message));
    EXPECT_EQ(edit.Text(), "<vsection=1>\r\na</vsection><vsection=2>b</vsection>");
    EXPECT_EQ(message, "");

    edit.SetText("x<vsection=\r\n<vemph>a</vsection>");
    edit.SetSelection(30, 30);
    EXPECT_FALSE(qdm::CheckDocument(edit, message));
    EXPECT_EQ(edit.Text(), "x<vsection=1>\r\n<vemph>a</vsection>");
    EXPECT_EQ(message, Lit("重点 没有结束标志"));
    int32_t s = 0, e = 0;
    edit.GetSelection(s, e);
    EXPECT_EQ(s, 15);
    EXPECT_EQ(e, 15);
}

struct EnclosingCase {
    const char* name;
    std::string text;
    int32_t pos;
    int32_t kind;  // 0: none
    int32_t contentStart, end;
};

TEST(FindEnclosingTag, FindsTheRegionFromItsContentStartToItsEndString) {
    const std::string s = "<vsection=12>ab<vemph>cd</vemph>ef</vsection>";
    const EnclosingCase cases[] = {
        {"inside the number field", s, 11, 1, 10, 34},
        {"on the < of the begin string", s, 0, 0, -1, -1},
        {"just before an emphasis", s, 15, 1, 10, 34},
        {"inside the emphasis", s, 22, 5, 22, 24},
        {"on the first byte of the end string", s, 24, 5, 22, 24},
        {"after the section", s + "zz", 46, 0, -1, -1},
        {"stray end before the section's end", "<vsection=1>ab</vemph>cd</vsection>", 13, 0, -1,
         -1},
        {"regions after the position are skipped", "x<vemph>a</vemph><vemph>b</vemph>", 0, 0, -1,
         -1},
        {"a later region of the same kind encloses nothing before it",
         "<vsection=1>a</vsection>b<vsection=2>c</vsection>", 24, 0, -1, -1},
    };
    for (const EnclosingCase& c : cases) {
        const qdm::EnclosingTag r = qdm::FindEnclosingTag(c.text, c.pos);
        EXPECT_EQ(r.kind ? r.kind->number : 0, c.kind) << c.name;
        EXPECT_EQ(r.contentStart, c.contentStart) << c.name;
        EXPECT_EQ(r.end, c.end) << c.name;
    }
}

struct PlacementCase {
    const char* name;
    std::string text;
    int32_t start, length;
    int32_t fault;
    const char* message;  // UTF-8
};

TEST(CheckSectionPlacement, RefusesSelectionsThatBreakSections) {
    const std::string sec = "<vsection=1>abc</vsection>";  // 26 bytes, end string at 15
    const PlacementCase cases[] = {
        {"no sections", "plain text", 2, 3, -1, ""},
        {"selection before, ending at the <", "ab" + sec, 0, 2, -1, ""},
        {"selection after the end string", sec, 26, 0, -1, ""},
        {"starts 3 bytes into the begin string", sec, 3, 0, 0, "不能在标志中插入section;"},
        {"starts 3 bytes into the end string", sec, 18, 0, 15, "不能在标志中插入section;"},
        {"starts before, overlaps the begin", "ab" + sec, 1, 2, 2, "section之间不能相交;"},
        {"caret inside", sec, 12, 0, 0, "section之间不能嵌套;"},
        {"caret on the end string's <", sec, 15, 0, 0, "section之间不能嵌套;"},
        {"broken section before the selection", "<vsection=1>a" + sec + "zz", 41, 0, 13,
         "错误section开始标志;"},
        {"unclosed section after the selection", "zz<vsection=", 0, 1, 2,
         "此位置缺少section结束标志;"},
        {"later sections are not examined", "zz" + sec + "<vsection=", 0, 1, -1, ""},
    };
    for (const PlacementCase& c : cases) {
        std::string message;
        EXPECT_EQ(qdm::CheckSectionPlacement(c.text, c.start, c.length, message), c.fault)
            << c.name;
        EXPECT_EQ(message, Lit(c.message)) << c.name;
    }
}

}  // namespace
