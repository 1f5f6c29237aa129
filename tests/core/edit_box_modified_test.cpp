// The modified state: does the text differ from the one last loaded or saved?
#include <gtest/gtest.h>

#include <functional>

#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "markup/check.h"
#include "markup/insert.h"
#include "markup/numbering.h"

namespace {

using qdm::CEditBox;

struct Case {
    const char* name;
    const char* text;  // the saved text, UTF-8
    std::function<void(CEditBox&)> act;
    bool modified;
};

void Undo(CEditBox& b) {
    ASSERT_TRUE(b.Undo().ok);
}
void Redo(CEditBox& b) {
    ASSERT_TRUE(b.Redo().ok);
}

const Case kCases[] = {
    {"typing", "abc", [](CEditBox& b) { b.TypeText("x"); }, true},
    {"typing then undo", "abc", [](CEditBox& b) { b.TypeText("x"), Undo(b); }, false},
    {"typing undone and redone", "abc", [](CEditBox& b) { b.TypeText("x"), Undo(b), Redo(b); },
     true},
    {"typing undone, redone and undone again", "abc",
     [](CEditBox& b) { b.TypeText("x"), Undo(b), Redo(b), Undo(b); }, false},
    {"two typed characters, one undone", "abc",
     [](CEditBox& b) { b.TypeText("x"), b.TypeText("y"), Undo(b); }, true},
    {"merged deletes undone in one step", "abcdef",
     [](CEditBox& b) { b.PressDelete(), b.PressDelete(), b.PressDelete(), Undo(b); }, false},
    {"backspace at the start changes nothing", "abc", [](CEditBox& b) { b.PressBackspace(); },
     false},
    {"delete at the end changes nothing", "abc",
     [](CEditBox& b) { b.SetSelection(3, 3), b.PressDelete(); }, false},
    {"a selection typed over with itself", "abc",
     [](CEditBox& b) { b.SetSelection(0, 1), b.TypeText("a"); }, false},
    {"the same text set again", "abc", [](CEditBox& b) { b.SetText("abc"); }, false},
    {"another text set", "abc", [](CEditBox& b) { b.SetText("abd"); }, true},
    {"renumbering a numbered book", "<vsection=1>a</vsection><vsection=2>b</vsection>",
     [](CEditBox& b) { qdm::RenumberSections(b); }, false},
    {"renumbering a misnumbered book", "<vsection=1>a</vsection><vsection=5>b</vsection>",
     [](CEditBox& b) { qdm::RenumberSections(b); }, true},
    {"renumbering an unnumbered book", "<vsection=a</vsection>",
     [](CEditBox& b) { qdm::RenumberSections(b); }, true},
    {"a check that finds nothing to renumber", "<vsection=1>a</vsection>",
     [](CEditBox& b) {
         std::string message;
         qdm::CheckDocument(b, message);
     },
     false},
    {"typing undone after a check that changed nothing", "<vsection=1>a</vsection>",
     [](CEditBox& b) {
         b.TypeText("x");
         qdm::RenumberSections(b);
         Undo(b);
     },
     false},
    {"a tag insertion undone", "abc",
     [](CEditBox& b) {
         std::string message;
         b.SetSelection(0, 3);
         ASSERT_TRUE(qdm::InsertSection(b, message)) << message;
         Undo(b);
     },
     false},
    {"a kept text put back, even when equal", "abc",
     [](CEditBox& b) { b.RestoreText("abc", "/books/a.txt"); }, true},
};

TEST(EditModified, FollowsWhetherTheTextDiffersFromTheSavedOne) {
    for (const Case& c : kCases) {
        CEditBox box;
        box.SetText(qdm::gbk::Lit(c.text));
        box.ClearModified();
        c.act(box);
        EXPECT_EQ(box.IsModified(), c.modified) << c.name;
    }
}

TEST(EditModified, UndoingPastTheSavedTextMarksItModifiedAgain) {
    CEditBox box;
    box.SetText("");
    box.ClearModified();
    box.TypeText("a");
    box.ClearModified();  // saved with "a"
    box.TypeText("b");
    EXPECT_TRUE(box.IsModified());
    Undo(box);
    EXPECT_FALSE(box.IsModified());
    Undo(box);
    EXPECT_EQ(box.Text(), "");
    EXPECT_TRUE(box.IsModified());
}

TEST(EditModified, TextStateChangesWithTheBytesAndComesBackWithUndo) {
    CEditBox box;
    box.SetText("abc");
    const uint64_t saved = box.TextState();
    box.SetText("abc");
    EXPECT_EQ(box.TextState(), saved);
    box.TypeText("x");
    EXPECT_NE(box.TextState(), saved);
    Undo(box);
    EXPECT_EQ(box.TextState(), saved);
}

TEST(EditModified, RestoringKeepsTheBytesAndTheirFile) {
    CEditBox box;
    const std::string bytes("\xB0\xA1\r\x80\xFF\nz", 7);
    box.RestoreText(bytes, "/books/a.qdm");
    EXPECT_EQ(box.Text(), bytes);
    EXPECT_EQ(box.GetFilePath(), "/books/a.qdm");
    EXPECT_TRUE(box.IsModified());
    int32_t s, e;
    box.GetSelection(s, e);
    EXPECT_EQ(e, 0);
}

}  // namespace
