// Typing, Delete and Backspace in the edit area: the bytes the model gets, the records the
// history keeps, and the widget showing exactly the model's text afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <memory>
#include <random>

#include "app/command_ids.h"
#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "editor/ui/edit_area.h"
#include "harness.h"

namespace {

using namespace guitest;

struct Rec {
    int32_t kind;
    int32_t position;
    std::string removed;
    std::string inserted;
};

void ExpectNewest(Editor& ed, const Rec& want) {
    ASSERT_FALSE(ed.model().History().Empty());
    const qdm::UndoRecord& r = ed.model().History().Newest();
    EXPECT_EQ(r.kind, want.kind);
    EXPECT_EQ(r.position, want.position);
    EXPECT_EQ(r.removed, want.removed);
    EXPECT_EQ(r.inserted, want.inserted);
}

TEST(Typing, ChineseCharactersReachTheModelAsGbkAndAreRecorded) {
    Editor ed;
    ed.SetText("ab", 1, 1);
    ed.Type(QStringLiteral("中文"));
    EXPECT_EQ(ed.model().Text(), G("a中文b"));
    EXPECT_EQ(ed.Caret(), 5);
    ExpectNewest(ed, {qdm::kTyping, 3, "", G("文")});
    EXPECT_EQ(ed.model().History().Count(), 2);
    EXPECT_EQ(ed.Shown(), ed.ModelShown());
}

TEST(Typing, ACharacterOverASelectionRecordsWhatItReplaced) {
    Editor ed;
    ed.SetText(G("x甲乙y"), 1, 5);
    ed.Type(QStringLiteral("z"));
    EXPECT_EQ(ed.model().Text(), "xzy");
    ExpectNewest(ed, {qdm::kTyping, 1, G("甲乙"), "z"});
}

TEST(Typing, EnterInsertsCrLfWhateverTheFileUses) {
    Editor ed;
    ed.SetText("a\nb", 1, 1);
    ed.Key(Qt::Key_Return);
    ed.Key(Qt::Key_Enter, Qt::ShiftModifier);
    EXPECT_EQ(ed.model().Text(), "a\r\n\r\n\nb");
    ExpectNewest(ed, {qdm::kTyping, 3, "", "\r\n"});
    EXPECT_EQ(ed.Shown(), ed.ModelShown());
}

TEST(Typing, InputMethodCommitsGoThroughTheTypingPath) {
    Editor ed;
    ed.SetText(G("前后"), 2, 2);
    ed.Commit(QStringLiteral("中间"));
    EXPECT_EQ(ed.model().Text(), G("前中间后"));
    ExpectNewest(ed, {qdm::kTyping, 2, "", G("中间")});

    // Composing over a selection takes it out first, recorded so that Undo restores it.
    ed.Select(0, 2);
    QInputMethodEvent preedit(QStringLiteral("zhong"), {});
    QApplication::sendEvent(&ed.widget(), &preedit);
    ExpectNewest(ed, {qdm::kDeleteSelection, 0, G("前"), ""});
    ed.Commit(QStringLiteral("钟"));
    EXPECT_EQ(ed.model().Text(), G("钟中间后"));
    ExpectNewest(ed, {qdm::kTyping, 0, "", G("钟")});
}

TEST(Deleting, DeleteTakesOneCharacterOrLineBreakAndMergesARunAtOneOffset) {
    struct Case {
        const char* what;
        std::string text;
        int32_t caret;
        int presses;
        std::string removed;
    };
    const Case cases[] = {
        {"a double-byte character", G("甲乙"), 0, 1, G("甲")},
        {"CR LF as one", "a\r\nb", 1, 1, "\r\n"},
        {"a lone LF", "a\nb", 1, 1, "\n"},
        {"three letters, one record", "abcd", 0, 3, "abc"},
        {"at the end: an empty record", "ab", 2, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Editor ed;
        ed.SetText(c.text, c.caret, c.caret);
        for (int i = 0; i < c.presses; ++i) ed.Key(Qt::Key_Delete);
        EXPECT_EQ(ed.model().History().Count(), 1);
        ExpectNewest(ed, {qdm::kDeleteForward, c.caret, c.removed, ""});
        std::string expected = c.text;
        expected.erase(c.caret, c.removed.size());
        EXPECT_EQ(ed.model().Text(), expected);
        EXPECT_EQ(ed.Shown(), ed.ModelShown());
    }
}

TEST(Deleting, BackspaceTakesTheCharacterOrLineBreakBeforeTheCaret) {
    struct Case {
        const char* what;
        std::string text;
        int32_t caret;
        int32_t at;
        std::string removed;
    };
    const Case cases[] = {
        {"a letter", "ab", 2, 1, "b"},
        {"a double-byte character", G("a甲"), 3, 1, G("甲")},
        {"CR LF", "a\r\nb", 3, 1, "\r\n"},
        {"a lone CR", "a\rb", 2, 1, "\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Editor ed;
        ed.SetText(c.text, c.caret, c.caret);
        ed.Key(Qt::Key_Backspace);
        ExpectNewest(ed, {qdm::kDeleteBackward, c.at, c.removed, ""});
        EXPECT_EQ(ed.model().History().Count(), 1);
        EXPECT_EQ(ed.Caret(), c.at);
        EXPECT_EQ(ed.Shown(), ed.ModelShown());
    }
}

TEST(Deleting, BackspaceOverASelectionLeavesOneRecordAndAtTheStartNone) {
    Editor ed;
    ed.SetText(G("一二三"), 2, 6);
    ed.Key(Qt::Key_Backspace);
    EXPECT_EQ(ed.model().Text(), G("一"));
    EXPECT_EQ(ed.model().History().Count(), 1);
    ExpectNewest(ed, {qdm::kDeleteSelection, 2, G("二三"), ""});
    ed.Select(0, 0);
    ed.Key(Qt::Key_Backspace);
    EXPECT_EQ(ed.model().History().Count(), 1);
}

TEST(Deleting, TheCharacterTypedRightAfterDeleteIsNotRecordedTheNextOneIs) {
    Editor ed;
    ed.SetText("abc", 0, 0);
    ed.Key(Qt::Key_Delete);
    ed.Type(QStringLiteral("x"));
    EXPECT_EQ(ed.model().History().Count(), 1);
    ed.Type(QStringLiteral("y"));
    EXPECT_EQ(ed.model().History().Count(), 2);
    ExpectNewest(ed, {qdm::kTyping, 1, "", "y"});
    EXPECT_EQ(ed.model().Text(), "xybc");
}

TEST(Refusal, ACharacterGbkCannotHoldLeavesTextAndWidgetAsTheyWere) {
    const QString refused[] = {QStringLiteral("😀"), QStringLiteral("가"), QString(QChar(0x00A0)),
                               QString(QChar(0x200B))};
    for (const QString& ch : refused) {
        SCOPED_TRACE(ch.toStdString());
        Editor ed;
        ed.SetText("ab", 1, 1);
        ed.Type(ch);
        ed.Commit(QStringLiteral("中") + ch);
        EXPECT_EQ(ed.model().Text(), "ab");
        EXPECT_EQ(ed.Shown(), QStringLiteral("ab"));
        EXPECT_TRUE(ed.model().History().Empty());
        EXPECT_TRUE(ed.Status().contains(QStringLiteral("GBK"))) << ed.Status().toStdString();
    }
}

void PasteFromContextMenu(Editor& ed) {
    std::unique_ptr<QMenu> menu(ed.area().CreateContextMenu({}));
    for (QAction* a : menu->actions())
        if (a->objectName() == u"edit-paste") a->trigger();
    QApplication::processEvents();
}

TEST(Pasting, ContextMenuPasteRecordsNothingAndUndoSaysWhy) {
    Editor ed;
    ed.SetText("ab", 1, 1);
    ed.Type(QStringLiteral("x"));
    QApplication::clipboard()->setText(QStringLiteral("甲\n乙"));
    PasteFromContextMenu(ed);
    EXPECT_EQ(ed.model().Text(), G("ax甲\r\n乙b"));
    EXPECT_EQ(ed.model().History().Count(), 1);
    EXPECT_FALSE(ed.Enabled(qdm::ui::ID_EDIT_UNDO));
    ed.Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ed.Status(), guitest::U(G("文本在最近一次记录之后有未记录的修改，无法撤消")));

    QApplication::clipboard()->setText(QStringLiteral("bad 😀"));
    PasteFromContextMenu(ed);
    EXPECT_EQ(ed.model().Text(), G("ax甲\r\n乙b"));
    EXPECT_EQ(ed.Shown(), ed.ModelShown());
}

TEST(Undo, KeysAndMenuReplayTheNewestRecord) {
    Editor ed;
    ed.SetText(G("一二"), 4, 4);
    EXPECT_FALSE(ed.Enabled(qdm::ui::ID_EDIT_UNDO));
    ed.Type(QStringLiteral("三"));
    ed.Key(Qt::Key_Backspace);
    ed.Key(Qt::Key_Backspace);
    EXPECT_EQ(ed.model().Text(), G("一"));
    ASSERT_TRUE(ed.Enabled(qdm::ui::ID_EDIT_UNDO));
    ed.Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ed.model().Text(), G("一二"));
    ed.Key(Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(ed.model().Text(), G("一二三"));
    EXPECT_TRUE(ed.Run(qdm::ui::ID_EDIT_UNDO));
    EXPECT_EQ(ed.model().Text(), G("一二"));
    EXPECT_EQ(ed.Shown(), ed.ModelShown());
    EXPECT_FALSE(ed.Enabled(qdm::ui::ID_EDIT_UNDO));
    ed.Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ed.Status(), guitest::U(G("没有可以撤消的操作")));
}

// Lone CR, lone LF and lead bytes without a trail byte meet typed text; whatever pairs up in
// the bytes must show as the model has it.
TEST(EditArea, RandomEditingKeepsTheAreaShowingTheModelsText) {
    Editor ed;
    ed.SetText(std::string("a\rb\nc\xB0\r\n") + G("中文") + "\xFF" + "end", 0, 0);
    std::mt19937 rng(11);
    const QString typed[] = {QStringLiteral("x"), QStringLiteral("字"), QStringLiteral("\t")};
    for (int step = 0; step < 200; ++step) {
        const int32_t len = ed.model().Length();
        int32_t at = static_cast<int32_t>(rng() % (len + 1));
        // The caret goes where a click would put it: the start of the unit holding `at`.
        const std::string_view text = ed.model().Text();
        for (int32_t u = 0; u < len; u += static_cast<int32_t>(qdm::gbk::UnitLen(text, u)))
            if (u + static_cast<int32_t>(qdm::gbk::UnitLen(text, u)) > at) {
                at = u;
                break;
            }
        ed.area().SyncSelectionToModel();
        ed.Select(at, at);
        switch (rng() % 4) {
            case 0:
                ed.Key(Qt::Key_Delete);
                break;
            case 1:
                ed.Key(Qt::Key_Backspace);
                break;
            case 2:
                ed.Key(Qt::Key_Return);
                break;
            default:
                ed.Type(typed[rng() % 3]);
                break;
        }
        ASSERT_EQ(ed.Shown(), ed.ModelShown()) << "step " << step;
    }
}

}  // namespace
