#include "editor/edit_box.h"

#include <gtest/gtest.h>

#include "editor/gbk.h"

namespace {

using qdm::CEditBox;
using qdm::UndoRecord;
namespace gbk = qdm::gbk;

CEditBox Box(std::string text, int32_t start, int32_t end) {
    CEditBox box;
    box.SetText(std::move(text));
    box.SetSelection(start, end);
    return box;
}

struct Rec {
    int32_t kind;
    int32_t position;
    std::string removed;
    std::string inserted;
};

void ExpectNewest(const CEditBox& box, const Rec& want) {
    ASSERT_FALSE(box.History().Empty());
    const UndoRecord& r = box.History().Newest();
    EXPECT_EQ(r.kind, want.kind);
    EXPECT_EQ(r.position, want.position);
    EXPECT_EQ(r.removed, want.removed);
    EXPECT_EQ(r.inserted, want.inserted);
}

TEST(EditBoxSelection, ClampsAndReadsBytes) {
    CEditBox box = Box("ab\xB0\xA1\r\n", 2, 4);
    std::string sel;
    EXPECT_EQ(box.GetSelectedText(sel), 2);
    EXPECT_EQ(sel, "\xB0\xA1");
    box.SetSelection(0, -1);
    EXPECT_EQ(box.GetSelectedText(sel), 6);
    box.SetSelection(3, 3 + 10);
    int32_t s, e;
    box.GetSelection(s, e);
    EXPECT_EQ(s, 3);
    EXPECT_EQ(e, 6);
    box.SetSelection(4, 4);
    EXPECT_EQ(box.GetSelectedText(sel), 0);
    EXPECT_EQ(sel, "");
}

TEST(EditBoxSelection, SetTextPutsTheCaretAtZeroAndRecordsNothing) {
    CEditBox box = Box("abc", 2, 2);
    box.SetText("xyz");
    int32_t s, e;
    box.GetSelection(s, e);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(e, 0);
    EXPECT_TRUE(box.History().Empty());
}

TEST(EditBoxSelection, ReplaceAndCutWorkOnTheSelection) {
    CEditBox box = Box("abcdef", 1, 3);
    box.CutSelection();
    EXPECT_EQ(box.Text(), "adef");
    EXPECT_EQ(box.Clipboard().Text(), "bc");
    box.CutSelection();  // empty selection: clipboard kept
    EXPECT_EQ(box.Clipboard().Text(), "bc");
    box.SetSelection(1, 2);
    box.ReplaceSelection("");
    EXPECT_EQ(box.Text(), "aef");
    ExpectNewest(box, {qdm::kReplaceSelection, 1, "d", ""});
    box.ReplaceSelection("XY");
    EXPECT_EQ(box.Text(), "aXYef");
    int32_t s, e;
    box.GetSelection(s, e);
    EXPECT_EQ(s, 3);
    EXPECT_EQ(e, 3);
}

TEST(EditHistory, RingKeepsTwentyNineRecords) {
    CEditBox box;
    for (int i = 0; i < 29; ++i) box.RecordEdit(qdm::kTyping, i, "", "x");
    EXPECT_EQ(box.History().Count(), 29);
    box.RecordEdit(qdm::kTyping, 99, "", "y");
    EXPECT_EQ(box.History().Count(), 29);
    EXPECT_EQ(box.History().Newest().position, 99);
    EXPECT_EQ(box.History().Newest(28).position, 1);  // record 0 was dropped
}

TEST(EditHistory, DeleteKeyRecordsWhatItRemoves) {
    {
        CEditBox box = Box("abc", 0, 0);
        for (int i = 0; i < 3; ++i) box.PressDelete();
        EXPECT_EQ(box.History().Count(), 1);
        ExpectNewest(box, {qdm::kDeleteForward, 0, "abc", ""});
        EXPECT_EQ(box.Text(), "");
        box.PressDelete();  // empty text: nothing recorded
        EXPECT_EQ(box.History().Count(), 1);
    }
    struct Case {
        std::string text;
        std::string removed;
    };
    const Case cases[] = {
        {"\xB0\xA1z", "\xB0\xA1"},  // double-byte character
        {"\x81\x41z", "\x81\x41"},  // second byte in the ASCII range
        {"\r\nz", "\r\n"},          // CR LF
        {"\nz", "\n"},              // lone LF
        {"\rz", "\r"},              // lone CR
        {"\x80z", "\x80"},          // single-byte 0x80
        {"\xFFz", "\xFF"},
    };
    for (const Case& c : cases) {
        CEditBox box = Box(c.text, 0, 0);
        box.PressDelete();
        ExpectNewest(box, {qdm::kDeleteForward, 0, c.removed, ""});
        EXPECT_EQ(box.Text(), "z");
    }
}

TEST(EditHistory, DeleteAtTheEndRecordsAnEmptyRemovalAndMerges) {
    CEditBox box = Box("ab", 2, 2);
    box.PressDelete();
    box.PressDelete();
    EXPECT_EQ(box.History().Count(), 1);
    ExpectNewest(box, {qdm::kDeleteForward, 2, "", ""});
}

TEST(EditHistory, BackspaceRecordsTheCharacterBeforeTheCaret) {
    struct Case {
        std::string text;
        std::string removed;
    };
    const Case cases[] = {
        {"za", "a"},
        {"z\xB0\xA1", "\xB0\xA1"},
        {"z\x81\x41", "\x81\x41"},
        {"z\r\n", "\r\n"},
        {"z\n", "\n"},
        {"z\t", "\t"},
        {"\xB0\xB0\xB0", "\xB0"},  // a lone lead byte at the end is its own character
    };
    for (const Case& c : cases) {
        CEditBox box = Box(c.text, -1, -1);
        box.SetSelection(box.Length(), box.Length());
        box.PressBackspace();
        const int32_t pos = static_cast<int32_t>(c.text.size() - c.removed.size());
        ExpectNewest(box, {qdm::kDeleteBackward, pos, c.removed, ""});
        EXPECT_EQ(box.History().Count(), 1) << "the 0x08 character records nothing";
        EXPECT_EQ(box.Text(), c.text.substr(0, pos));
    }
    CEditBox atStart = Box("ab", 0, 0);
    atStart.PressBackspace();
    EXPECT_TRUE(atStart.History().Empty());
}

TEST(EditHistory, KeysOverASelectionRecordTheSelection) {
    CEditBox box = Box("abcd", 1, 3);
    box.PressBackspace();
    ExpectNewest(box, {qdm::kDeleteSelection, 1, "bc", ""});
    EXPECT_EQ(box.History().Count(), 1);
    box.SetSelection(0, 2);
    box.TypeText("x");
    ExpectNewest(box, {qdm::kTyping, 0, "ad", "x"});
    EXPECT_EQ(box.Text(), "x");
}

TEST(EditHistory, ACharacterRightAfterDeleteIsNotRecorded) {
    CEditBox box = Box("abc", 0, 0);
    box.PressDelete();
    box.TypeText("x");
    EXPECT_EQ(box.History().Count(), 1);
    box.TypeText("y");
    EXPECT_EQ(box.History().Count(), 2);
    ExpectNewest(box, {qdm::kTyping, 1, "", "y"});
}

TEST(EditUndo, ReplaysTypingAndDeletionsInReverse) {
    CEditBox box = Box("abc", 3, 3);
    box.TypeText("\xB0\xA1");
    box.PressBackspace();
    box.PressBackspace();
    box.SetSelection(0, 0);
    box.PressDelete();
    EXPECT_EQ(box.Text(), "b");
    ASSERT_TRUE(box.Undo().ok);
    EXPECT_EQ(box.Text(), "ab");
    ASSERT_TRUE(box.Undo().ok);  // the second Backspace took "c"
    EXPECT_EQ(box.Text(), "abc");
    int32_t s, e;
    box.GetSelection(s, e);
    EXPECT_EQ(s, 3);
    ASSERT_TRUE(box.Undo().ok);
    EXPECT_EQ(box.Text(), "abc\xB0\xA1");
    ASSERT_TRUE(box.Undo().ok);
    EXPECT_EQ(box.Text(), "abc");
    EXPECT_FALSE(box.Undo().ok);
}

TEST(EditUndo, UndoesADeleteSelectionAndReplacePairInOneStep) {
    CEditBox box = Box("abcdef", 2, 4);
    box.RecordEdit(qdm::kDeleteSelection, 2, "cd", "");
    box.CutSelection();
    box.ReplaceSelection("<cd>");
    EXPECT_EQ(box.Text(), "ab<cd>ef");
    ASSERT_TRUE(box.CanUndo());
    ASSERT_TRUE(box.Undo().ok);
    EXPECT_EQ(box.Text(), "abcdef");
    EXPECT_TRUE(box.History().Empty());
    int32_t s, e;
    box.GetSelection(s, e);
    EXPECT_EQ(s, 2);
    EXPECT_EQ(e, 4);
}

TEST(EditUndo, RefusesAfterAnUnrecordedChange) {
    CEditBox box = Box("abc", 3, 3);
    box.TypeText("d");
    box.ApplyWidgetEdit(0, 0, "zz");  // a paste from the context menu records nothing
    std::string why;
    EXPECT_FALSE(box.CanUndo(&why));
    EXPECT_FALSE(why.empty());
    qdm::UndoResult r = box.Undo();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(box.Text(), "zzabcd");

    box.TypeText("e");  // recorded again after the change: that one can be undone
    EXPECT_TRUE(box.Undo().ok);
    EXPECT_EQ(box.Text(), "zzabcd");
    EXPECT_FALSE(box.Undo().ok);

    CEditBox loaded = Box("abc", 0, 0);
    loaded.TypeText("x");
    loaded.SetText("other");
    EXPECT_FALSE(loaded.Undo().ok);
    EXPECT_EQ(loaded.Text(), "other");
}

// The bytes the record inserted are still where it put them, so only the change generation
// tells that the text moved on: undoing would take back the edit and silently keep the other.
TEST(EditUndo, RefusesAnUnrecordedChangeThatLeavesTheRecordedBytesInPlace) {
    CEditBox box = Box("abc", 3, 3);
    box.TypeText("d");
    box.ApplyWidgetEdit(4, 0, "zz");
    std::string why;
    EXPECT_FALSE(box.CanUndo(&why));
    EXPECT_EQ(why, qdm::gbk::Lit("文本在最近一次记录之后有未记录的修改，无法撤消"));
    EXPECT_FALSE(box.Undo().ok);
    EXPECT_EQ(box.Text(), "abcdzz");
}

// Every way the text can change without a record: the history keeps its records and says
// what it said before, but holds none of their bytes (after a whole-text command that was
// a book or two), and a record made afterwards replays as usual.
TEST(EditHistory, AnUnrecordedChangeFreesEveryRecordsBytesAndRefusesAsBefore) {
    struct Case {
        const char* name;
        void (*change)(CEditBox&);
        std::string text;  // after the change
    };
    const Case cases[] = {
        {"a widget edit", [](CEditBox& b) { b.ApplyWidgetEdit(0, 0, "zz"); }, "zzaXYd"},
        {"a new text", [](CEditBox& b) { b.SetText("other"); }, "other"},
        {"a change announced", [](CEditBox& b) { b.NoteUnrecordedChange(); }, "aXYd"},
    };
    for (const Case& c : cases) {
        CEditBox box = Box("abcd", 1, 3);
        box.ReplaceSelection("XY");
        box.TypeText("t");
        ASSERT_TRUE(box.Undo().ok) << c.name;  // leaves a step to redo
        c.change(box);
        EXPECT_EQ(box.Text(), c.text) << c.name;
        ASSERT_EQ(box.History().Count(), 1) << c.name;
        EXPECT_EQ(box.History().Newest().kind, qdm::kReplaceSelection) << c.name;
        EXPECT_EQ(box.History().Newest().removed, "") << c.name;
        EXPECT_EQ(box.History().Newest().inserted, "") << c.name;
        std::string why;
        EXPECT_FALSE(box.CanUndo(&why)) << c.name;
        EXPECT_EQ(why, gbk::Lit("文本在最近一次记录之后有未记录的修改，无法撤消")) << c.name;
        EXPECT_FALSE(box.CanRedo(&why)) << c.name;
        EXPECT_EQ(why, gbk::Lit("文本在撤消之后有未记录的修改，无法重做")) << c.name;

        box.SetSelection(0, 1);
        box.ReplaceSelection("Q");
        ASSERT_TRUE(box.Undo().ok) << c.name;
        EXPECT_EQ(box.Text(), c.text) << c.name;
        ASSERT_TRUE(box.Redo().ok) << c.name;
        EXPECT_EQ(box.Text(), "Q" + c.text.substr(1)) << c.name;
    }
}

// Only a change no record describes frees them: recorded edits, their undo and redo, and a
// text put back unchanged keep every record replayable.
TEST(EditHistory, RecordedEditsAndAnUnchangedTextKeepEveryRecordReplayable) {
    CEditBox box = Box("abcd", 1, 3);
    box.ReplaceSelection("XY");
    box.ReplaceRange(0, 1, "W");
    box.TypeText("t");
    ASSERT_TRUE(box.Undo().ok);
    ASSERT_TRUE(box.Redo().ok);
    box.SetText("WtXYd");
    EXPECT_EQ(box.Text(), "WtXYd");
    for (const char* text : {"WXYd", "aXYd", "abcd"}) {
        ASSERT_TRUE(box.Undo().ok) << text;
        EXPECT_EQ(box.Text(), text);
    }
}

}  // namespace
