#include <gtest/gtest.h>

#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "editor/undo_history.h"
#include "markup/insert.h"
#include "markup/tags.h"

namespace gbk = qdm::gbk;

namespace {

using gbk::Lit;
using qdm::CEditBox;

constexpr int32_t kSection = -1;  // InsertSection; any other kind goes to InsertTag

struct InsertCase {
    const char* name;
    int32_t kind;
    std::string text;
    int32_t start, end;
    // what the operation leaves: its result, the text, the selection, the message (UTF-8)
    bool ok;
    std::string result;
    int32_t selStart, selEnd;
    const char* message;
};

const std::string kSec = "<vsection=1>abc</vsection>";  // end string at 15
const std::string kNewSection = "\r\n<vsection=\r\n\r\n</vsection> \r\n";

TEST(Insertion, WrapsTheSelectionOrRefusesWithTheEditorsMessages) {
    const std::string note = "<vsection=1>a<vreadernote>xy</vreadernote>b</vsection>";
    const std::string emph = "<vsection=1>a<vemph>xy</vemph>b</vsection>";
    // clang-format off
    const InsertCase cases[] = {
        {"section into an empty text", kSection, "", 0, 0, true, kNewSection, 30, 30, ""},
        {"section at the < of a section", kSection, kSec, 0, 0, true, kNewSection + kSec, 30, 30, ""},
        {"section after a section", kSection, kSec, 26, 26, true, kSec + kNewSection, 56, 56, ""},
        {"section in a section", kSection, kSec, 13, 13, false, kSec, 0, 10, "section之间不能嵌套;"},
        {"section ending inside a stray end string", kSection, "ab</vemph>", 0, 5,
         false, "ab</vemph>", 2, 10, "不能在标志中插入section;"},
        {"reader note outside every section", 2, "plain", 1, 1,
         false, "plain", 1, 1, "请先新建一个SECTION,在插入读者注"},
        {"author note in a reader note", 3, note, 28, 28,
         false, note, 26, 26, "不能在 读者注 中插入 作者注"},
        {"emphasis in a reader note", 5, note, 26, 28, true,
         "<vsection=1>a<vreadernote>\r\n<vemph>\r\nxy\r\n</vemph>\r\n</vreadernote>b</vsection>",
         51, 51, ""},
        {"reverse section in an emphasis", 6, emph, 21, 21,
         false, emph, 20, 20, "不能在 重点 中插入 反向section"},
        {"note running past the section's end", 2, kSec, 13, 27,
         false, kSec, 13, 26, "插入位置错误"},
        {"note ending exactly at the end string", 2, kSec, 12, 15, true,
         "<vsection=1>\r\n<vreadernote>\r\nabc\r\n</vreadernote>\r\n</vsection>", 50, 50, ""},
        {"reverse section splits at the caret", 6, kSec, 13, 13, true,
         "<vsection=1>a\r\n</vsection>\r\n\r\n<vsection=\r\nbc</vsection>", 42, 42, ""},
        {"note in the number field", 2, kSec, 11, 11, false, kSec, 11, 11, "不能在标志中插入读者注"},
        {"note ending inside a begin string", 2, emph, 12, 15,
         false, emph, 12, 15, "不能在标志中插入读者注"},
        {"unknown kind", 7, kSec, 13, 13, false, kSec, 13, 13, "未知格式"},
        {"kind 1 through InsertTag", 1, kSec, 13, 13,
         false, kSec, 10, 10, "不能在 section 中插入 section"},
    };
    // clang-format on
    for (const InsertCase& c : cases) {
        CEditBox edit;
        edit.SetText(c.text);
        edit.SetSelection(c.start, c.end);
        std::string message;
        EXPECT_EQ(c.kind == kSection
                      ? qdm::InsertSection(edit, message)
                      : qdm::InsertTag(static_cast<qdm::TagNumber>(c.kind), edit, message),
                  c.ok)
            << c.name;
        EXPECT_EQ(edit.Text(), c.result) << c.name;
        int32_t s = 0, e = 0;
        edit.GetSelection(s, e);
        EXPECT_EQ(s, c.selStart) << c.name;
        EXPECT_EQ(e, c.selEnd) << c.name;
        EXPECT_EQ(message, Lit(c.message)) << c.name;
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
    EXPECT_FALSE(qdm::InsertTag(static_cast<qdm::TagNumber>(0), edit, message));
    EXPECT_EQ(message, old + Lit("未知格式"));
    message = old;
    EXPECT_FALSE(qdm::InsertTag(qdm::TAG_EMPH, edit, message));
    EXPECT_EQ(message, Lit("请先新建一个SECTION,在插入重点"));
    message = old;
    EXPECT_TRUE(qdm::InsertSection(edit, message));
    EXPECT_EQ(message, "");
}

}  // namespace
