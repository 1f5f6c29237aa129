// Inputs that a quadratic pass or a recursion per region would not survive. They assert
// results only; finishing at all (also under the sanitizers) is the point.
#include <gtest/gtest.h>

#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "markup/auto_section.h"
#include "markup/check.h"
#include "markup/insert.h"
#include "markup/numbering.h"

namespace gbk = qdm::gbk;

namespace {

using gbk::Lit;

std::string Repeat(std::string_view piece, size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i) out.append(piece);
    return out;
}

TEST(Pathological, HundredThousandUnclosedSectionBeginTags) {
    const std::string text = Repeat("<vsection=", 100000);
    std::string message;
    EXPECT_EQ(qdm::CheckMarkup(text, message), 0);
    EXPECT_EQ(message, Lit("section 没有结束标志"));
    const std::string numbered = qdm::NumberSections(text);
    EXPECT_EQ(qdm::CountSections(numbered), 100000);
    EXPECT_EQ(numbered.substr(numbered.size() - 17), "<vsection=100000>");
    EXPECT_EQ(qdm::FindEnclosingTag(text, 500000).kind, nullptr);

    qdm::CEditBox edit;
    edit.SetText(text);
    edit.SetSelection(-1, -1);  // caret at the end
    message.clear();
    EXPECT_FALSE(qdm::InsertSection(edit, message));
    EXPECT_EQ(message, Lit("此位置缺少section结束标志;"));
    qdm::AutoSection(edit);
    EXPECT_EQ(edit.Text(), text);
}

TEST(Pathological, MillionOneLineSections) {
    std::string book = Repeat("0123456789\r\n", 1000000);
    qdm::CEditBox edit;
    edit.SetHistoryEnabled(false);
    edit.SetText(book);
    qdm::AutoSection(edit);
    EXPECT_EQ(qdm::CountSections(edit.Text()), 1000000);
    std::string message;
    EXPECT_TRUE(qdm::CheckDocument(edit, message));

    // The caret in the last section's text: the search walks past a million regions.
    const int32_t last = static_cast<int32_t>(edit.Text().rfind("0123456789"));
    edit.SetSelection(last, last + 10);
    EXPECT_TRUE(qdm::InsertTag(qdm::TAG_EMPH, edit, message)) << message;
    // Before the first section: every region lies after the position.
    EXPECT_EQ(qdm::FindEnclosingTag(edit.Text(), 0).kind, nullptr);
    edit.SetSelection(edit.Length(), edit.Length());
    EXPECT_TRUE(qdm::InsertSection(edit, message)) << message;
}

TEST(Pathological, OneMegabyteLine) {
    const std::string line = Repeat("\xB0\xA1<", 350000);  // a "<" that never starts a tag
    qdm::CEditBox edit;
    edit.SetText(line);
    qdm::AutoSection(edit);
    EXPECT_EQ(qdm::CountSections(edit.Text()), 1);
    std::string message;
    EXPECT_TRUE(qdm::CheckDocument(edit, message));
    edit.SetSelection(600000, 600003);
    EXPECT_TRUE(qdm::InsertTag(qdm::TAG_TRANS, edit, message)) << message;
}

TEST(Pathological, StrayEndStringsAfterARegionAreWalkedOnce) {
    const std::string text = "x<vsection=1>a</vsection>" + Repeat("</vsection>", 200000);
    EXPECT_EQ(qdm::FindEnclosingTag(text, 0).kind, nullptr);
    const qdm::EnclosingTag inside = qdm::FindEnclosingTag(text, 12);
    ASSERT_NE(inside.kind, nullptr);
    EXPECT_EQ(inside.end, 14);
}

TEST(Pathological, DeepAlternationOfTags) {
    // Many regions side by side in one section: a recursion per region would overflow.
    const std::string flat = "<vsection=1>" +
                             Repeat("<vreadernote><vemph>x</vemph></vreadernote>", 200000) +
                             "</vsection>";
    std::string message;
    EXPECT_EQ(qdm::CheckMarkup(flat, message), -1);

    // Emphasis and translation opened alternately 100 000 deep, then all closed.
    const std::string deep =
        Repeat("<vemph><vtrans>", 100000) + "x" + Repeat("</vtrans></vemph>", 100000);
    EXPECT_EQ(qdm::CheckMarkup(deep, message), 7);
    EXPECT_EQ(message, Lit("重点 中不能嵌套 译文"));
    const qdm::EnclosingTag at = qdm::FindEnclosingTag(deep, 1500000);
    ASSERT_NE(at.kind, nullptr);
    EXPECT_EQ(at.kind->number, qdm::TAG_TRANS);
    EXPECT_EQ(at.contentStart, 1500000);
}

}  // namespace
