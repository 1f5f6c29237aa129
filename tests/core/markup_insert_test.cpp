#include <gtest/gtest.h>

#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "editor/undo_history.h"
#include "markup/insert.h"
#include "markup/tags.h"

namespace {

using gbk::Lit;
using qdm::CEditBox;

struct Outcome {
    bool ok;
    std::string text;
    int32_t selStart, selEnd;
    std::string message;
};

constexpr int32_t kSection = -1;  // InsertSection; any other kind goes to InsertTag

Outcome Apply(int32_t kind, std::string text, int32_t start, int32_t end) {
    CEditBox edit;
    edit.SetText(std::move(text));
    edit.SetSelection(start, end);
    std::string message;
    const bool ok =
        kind == kSection ? qdm::InsertSection(edit, message) : qdm::InsertTag(kind, edit, message);
    Outcome o{ok, std::string(edit.Text()), 0, 0, message};
    edit.GetSelection(o.selStart, o.selEnd);
    return o;
}

struct InsertCase {
    const char* name;
    int32_t kind;
    std::string text;
    int32_t start, end;
    Outcome want;
};

const std::string kSec = "<vsection=1>abc</vsection>";  // end string at 15

TEST(Insertion, WrapsTheSelectionOrRefusesWithTheEditorsMessages) {
    const std::string note = "<vsection=1>a<vreadernote>xy</vreadernote>b</vsection>";
    const std::string emph = "<vsection=1>a<vemph>xy</vemph>b</vsection>";
    const InsertCase cases[] = {
        {"section into an empty text",
         kSection,
         "",
         0,
         0,
         {true, "\r\n<vsection=\r\n\r\n</vsection> \r\n", 30, 30, ""}},
        {"section before an existing one",
         kSection,
         kSec,
         0,
         0,
         {true, "\r\n<vsection=\r\n\r\n</vsection> \r\n" + kSec, 30, 30, ""}},
        {"section after an existing one",
         kSection,
         kSec,
         26,
         26,
         {true, kSec + "\r\n<vsection=\r\n\r\n</vsection> \r\n", 56, 56, ""}},
        {"section nested in a section",
         kSection,
         kSec,
         13,
         13,
         {false, kSec, 0, 10, Lit("section之间不能嵌套;")}},
        {"section ending inside a stray end string",
         kSection,
         "ab</vemph>",
         0,
         5,
         {false, "ab</vemph>", 2, 10, Lit("不能在标志中插入section;")}},
        {"reader note outside every section",
         2,
         "plain",
         1,
         1,
         {false, "plain", 1, 1, Lit("请先新建一个SECTION,在插入读者注")}},
        {"author note inside a reader note",
         3,
         note,
         28,
         28,
         {false, note, 26, 26, Lit("不能在 读者注 中插入 作者注")}},
        {"emphasis inside a reader note",
         5,
         note,
         26,
         28,
         {true,
          "<vsection=1>a<vreadernote>\r\n<vemph>\r\nxy\r\n</vemph>\r\n</vreadernote>b</vsection>",
          51, 51, ""}},
        {"reverse section inside an emphasis",
         6,
         emph,
         21,
         21,
         {false, emph, 20, 20, Lit("不能在 重点 中插入 反向section")}},
        {"note running past the section's end",
         2,
         kSec,
         13,
         27,
         {false, kSec, 13, 26, Lit("插入位置错误")}},
        {"note ending exactly at the end string",
         2,
         kSec,
         12,
         15,
         {true, "<vsection=1>\r\n<vreadernote>\r\nabc\r\n</vreadernote>\r\n</vsection>", 50, 50,
          ""}},
        {"reverse section splits at the caret",
         6,
         kSec,
         13,
         13,
         {true, "<vsection=1>a\r\n</vsection>\r\n\r\n<vsection=\r\nbc</vsection>", 42, 42, ""}},
        {"note inside the number field",
         2,
         kSec,
         11,
         11,
         {false, kSec, 11, 11, Lit("不能在标志中插入读者注")}},
        {"note ending inside an emphasis begin string",
         2,
         emph,
         12,
         15,
         {false, emph, 12, 15, Lit("不能在标志中插入读者注")}},
        {"unknown kind", 7, kSec, 13, 13, {false, kSec, 13, 13, Lit("未知格式")}},
        {"kind 1 through InsertTag cannot stand in a section",
         1,
         kSec,
         13,
         13,
         {false, kSec, 10, 10, Lit("不能在 section 中插入 section")}},
    };
    for (const InsertCase& c : cases) {
        const Outcome got = Apply(c.kind, c.text, c.start, c.end);
        EXPECT_EQ(got.ok, c.want.ok) << c.name;
        EXPECT_EQ(got.text, c.want.text) << c.name;
        EXPECT_EQ(got.selStart, c.want.selStart) << c.name;
        EXPECT_EQ(got.selEnd, c.want.selEnd) << c.name;
        EXPECT_EQ(got.message, c.want.message) << c.name;
    }
}

TEST(Insertion, LeavesTwoRecordsAndTheSelectedTextOnTheClipboard) {
    CEditBox edit;
    edit.SetText(kSec);
    edit.Clipboard().SetText("before");
    edit.SetSelection(12, 15);
    std::string message;
    ASSERT_TRUE(qdm::InsertTag(qdm::TAG_EMPH, edit, message));
    EXPECT_EQ(edit.Clipboard().Text(), "abc");
    ASSERT_EQ(edit.History().Count(), 2);
    EXPECT_EQ(edit.History().Newest(1).kind, qdm::kDeleteSelection);
    EXPECT_EQ(edit.History().Newest(1).removed, "abc");
    EXPECT_EQ(edit.History().Newest(0).kind, qdm::kReplaceSelection);
    EXPECT_EQ(edit.History().Newest(0).inserted, "\r\n<vemph>\r\nabc\r\n</vemph>\r\n");
    ASSERT_TRUE(edit.Undo().ok);  // one step undoes the whole insertion
    EXPECT_EQ(edit.Text(), kSec);

    edit.SetSelection(13, 13);  // an empty selection leaves the clipboard alone
    edit.Clipboard().SetText("kept");
    ASSERT_TRUE(qdm::InsertTag(qdm::TAG_EMPH, edit, message));
    EXPECT_EQ(edit.Clipboard().Text(), "kept");

    const int32_t records = edit.History().Count();
    edit.SetSelection(0, 0);
    EXPECT_FALSE(qdm::InsertTag(qdm::TAG_EMPH, edit, message));
    EXPECT_EQ(edit.History().Count(), records);
    EXPECT_EQ(edit.Clipboard().Text(), "kept");
}

TEST(Insertion, OnlyAnUnknownKindKeepsWhatTheMessageHeld) {
    CEditBox edit;
    const std::string old = Lit("旧;");
    std::string message = old;
    EXPECT_FALSE(qdm::InsertTag(0, edit, message));
    EXPECT_EQ(message, old + Lit("未知格式"));
    message = old;
    EXPECT_FALSE(qdm::InsertTag(qdm::TAG_EMPH, edit, message));
    EXPECT_EQ(message, Lit("请先新建一个SECTION,在插入重点"));
    message = old;
    EXPECT_TRUE(qdm::InsertSection(edit, message));
    EXPECT_EQ(message, "");
}

}  // namespace
