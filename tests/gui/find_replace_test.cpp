// 查找和替换, F3, 转到 and 重做 as a user meets them: dialogs, keys, the status bar, and the
// model's text and selection afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "app/command_ids.h"
#include "app/view.h"
#include "editor/edit_box.h"
#include "editor/ui/edit_area.h"
#include "editor/ui/find_dialog.h"
#include "editor/ui/goto_dialog.h"
#include "harness.h"

namespace {

using namespace qdm::ui;
using namespace guitest;

std::pair<int32_t, int32_t> Selection(Editor& ed) {
    int32_t s = 0, e = 0;
    ed.model().GetSelection(s, e);
    return {s, e};
}

template <typename W>
W* Child(QWidget* dialog, const char* name) {
    W* w = dialog->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// Opens the dialog as Ctrl+F does and fills it in.
FindReplaceDialog* OpenFind(Editor& ed, const QString& pattern, const QString& with = {}) {
    ed.Key(Qt::Key_F, Qt::ControlModifier);
    FindReplaceDialog* d = ed.view().FindDialog();
    EXPECT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->windowTitle(), QStringLiteral("查找和替换"));
    Child<QLineEdit>(d, "findText")->setText(pattern);
    Child<QLineEdit>(d, "replaceText")->setText(with);
    return d;
}

void Click(QWidget* dialog, const char* button) {
    Child<QPushButton>(dialog, button)->click();
    QApplication::processEvents();
}

TEST(FindDialog, FindsDownAndUpOnCharactersNotOnSecondBytes) {
    Editor ed;
    // "\xB0\x41" is one character whose second byte reads as "A".
    ed.SetText(
        "\xB0\x41"
        "A-a-A",
        0, 0);
    FindReplaceDialog* d = OpenFind(ed, QStringLiteral("A"));
    EXPECT_FALSE(Child<QCheckBox>(d, "matchCase")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(d, "wholeWord")->isChecked());
    Click(d, "findNext");
    EXPECT_EQ(Selection(ed), std::make_pair(2, 3));
    Click(d, "findNext");
    EXPECT_EQ(Selection(ed), std::make_pair(4, 5));  // "a": case is not told apart
    Child<QCheckBox>(d, "matchCase")->setChecked(true);
    Click(d, "findNext");
    EXPECT_EQ(Selection(ed), std::make_pair(6, 7));
    Click(d, "findNext");
    EXPECT_EQ(Selection(ed), std::make_pair(6, 7));
    EXPECT_EQ(ed.Status(), QStringLiteral("找不到“A”"));
    EXPECT_EQ(Child<QLabel>(d, "status")->text(), QStringLiteral("找不到“A”"));
    Child<QRadioButton>(d, "up")->setChecked(true);
    Click(d, "findNext");
    EXPECT_EQ(Selection(ed), std::make_pair(2, 3));
}

TEST(FindDialog, F3AndShiftF3SearchAgainFromTheEditor) {
    Editor ed;
    ed.SetText(G("甲乙 甲乙 甲乙"), 0, 0);
    ed.Key(Qt::Key_F3);  // nothing searched yet: the dialog opens
    FindReplaceDialog* d = ed.view().FindDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    Child<QLineEdit>(d, "findText")->setText(QStringLiteral("甲乙"));
    Click(d, "findNext");
    EXPECT_EQ(Selection(ed), std::make_pair(0, 4));
    ed.widget().setFocus();
    ed.Key(Qt::Key_F3);
    EXPECT_EQ(Selection(ed), std::make_pair(5, 9));
    ed.Key(Qt::Key_F3);
    EXPECT_EQ(Selection(ed), std::make_pair(10, 14));
    ed.Key(Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(Selection(ed), std::make_pair(5, 9));
}

TEST(FindDialog, ReplaceAllIsOneUndoStepAndRedoPutsItBack) {
    Editor ed;
    const std::string text = G("张三说，张三笑。\r\n张三");
    ed.SetText(text, 0, 0);
    FindReplaceDialog* d = OpenFind(ed, QStringLiteral("张三"), QStringLiteral("李四四"));
    Click(d, "replaceAll");
    const std::string replaced = G("李四四说，李四四笑。\r\n李四四");
    EXPECT_EQ(ed.model().Text(), replaced);
    EXPECT_EQ(ed.Status(), QStringLiteral("已替换 3 处"));
    EXPECT_EQ(ed.Shown(), ed.ModelShown());

    ed.widget().setFocus();
    ed.Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ed.model().Text(), text);
    ed.Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(ed.model().Text(), replaced);
    ed.Key(Qt::Key_Z, Qt::ControlModifier);
    ed.Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ed.model().Text(), replaced);
    EXPECT_EQ(ed.Shown(), ed.ModelShown());
}

TEST(FindDialog, ReplaceTakesTheSelectedMatchThenSelectsTheNext) {
    Editor ed;
    ed.SetText("cat cats cat", 0, 0);
    FindReplaceDialog* d = OpenFind(ed, QStringLiteral("cat"), QStringLiteral("dog"));
    Child<QCheckBox>(d, "wholeWord")->setChecked(true);
    Click(d, "replace");  // nothing selected yet: finds the first
    EXPECT_EQ(Selection(ed), std::make_pair(0, 3));
    Click(d, "replace");
    EXPECT_EQ(ed.model().Text(), "dog cats cat");
    EXPECT_EQ(Selection(ed), std::make_pair(9, 12));
}

TEST(FindDialog, InTheSelectedRangeOnlyThatRangeChanges) {
    Editor ed;
    ed.SetText("a1\r\na2\r\na3\r\na4", 4, 12);
    ed.Key(Qt::Key_H, Qt::ControlModifier);
    FindReplaceDialog* d = ed.view().FindDialog();
    ASSERT_NE(d, nullptr);
    // A selection over several lines becomes the range.
    EXPECT_TRUE(Child<QCheckBox>(d, "inSelection")->isChecked());
    // The search text comes first, for 替换 too.
    EXPECT_TRUE(Child<QLineEdit>(d, "findText")->hasFocus());
    Child<QLineEdit>(d, "findText")->setText(QStringLiteral("a"));
    Child<QLineEdit>(d, "replaceText")->setText(QStringLiteral("bb"));
    Click(d, "replaceAll");
    EXPECT_EQ(ed.model().Text(), "a1\r\nbb2\r\nbb3\r\na4");
    EXPECT_EQ(Selection(ed), std::make_pair(4, 14));
    Click(d, "replaceAll");
    EXPECT_EQ(ed.Status(), QStringLiteral("找不到“a”"));
}

TEST(FindDialog, ACharacterGbkCannotHoldIsRefusedWithAMessage) {
    Editor ed;
    ed.SetText("abc", 0, 0);
    FindReplaceDialog* d = OpenFind(ed, QStringLiteral("b"), QString::fromUtf8("\xF0\x9F\x98\x80"));
    Click(d, "replaceAll");
    EXPECT_EQ(ed.model().Text(), "abc");
    ASSERT_EQ(ed.prompter.boxes.size(), 1u);
    EXPECT_EQ(ed.prompter.boxes[0].caption, QStringLiteral("查找和替换"));
    EXPECT_EQ(ed.prompter.boxes[0].text,
              QString::fromUtf8("替换内容中的字符“\xF0\x9F\x98\x80”（U+1F600）不能用 GBK 表示"));
}

TEST(Redo, RefusedRedoSaysWhyInTheStatusBar) {
    Editor ed;
    ed.SetText("ab", 2, 2);
    ed.Type(QStringLiteral("c"));
    EXPECT_FALSE(ed.Enabled(ID_EDIT_REDO));
    ed.Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ed.model().Text(), "ab");
    EXPECT_TRUE(ed.Enabled(ID_EDIT_REDO));
    ed.Type(QStringLiteral("d"));  // a new edit: nothing left to redo
    ed.Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(ed.model().Text(), "abd");
    EXPECT_EQ(ed.Status(), QStringLiteral("没有可以重做的操作"));

    ed.Key(Qt::Key_Z, Qt::ControlModifier);
    ed.model().NoteUnrecordedChange();  // as a paste from the context menu would
    ed.Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(ed.model().Text(), "ab");
    EXPECT_EQ(ed.Status(), QStringLiteral("文本在撤消之后有未记录的修改，无法重做"));
}

TEST(GoTo, PutsTheCaretAtALineOrASectionAndRefusesANumberTooLarge) {
    Editor ed;
    // Lines end with CR LF, a lone CR and a lone LF.
    const std::string text = "l1\r\nl2\rl3\nx<vsection=1>a</vsection><vsection=2>b</vsection>";
    ed.SetText(text, 0, 0);
    auto go = [&](bool section, int n) {
        ed.Key(Qt::Key_G, Qt::ControlModifier);
        GoToDialog* d = ed.view().GoTo();
        EXPECT_NE(d, nullptr);
        EXPECT_EQ(d->windowTitle(), QStringLiteral("转到"));
        Child<QRadioButton>(d, section ? "section" : "line")->setChecked(true);
        Child<QSpinBox>(d, "number")->setValue(n);
        d->accept();
        QApplication::processEvents();
    };
    go(false, 3);
    EXPECT_EQ(Selection(ed), std::make_pair(7, 7));
    go(false, 4);
    EXPECT_EQ(Selection(ed), std::make_pair(10, 10));
    go(true, 2);
    EXPECT_EQ(Selection(ed), std::make_pair(45, 45));
    go(true, 3);
    EXPECT_EQ(Selection(ed), std::make_pair(45, 45));
    ASSERT_EQ(ed.prompter.boxes.size(), 1u);
    EXPECT_EQ(ed.prompter.boxes[0].text, QStringLiteral("没有第 3 个段落"));
    EXPECT_EQ(ed.prompter.boxes[0].caption, QStringLiteral("转到"));
}

TEST(GoTo, RefusesALineTheTextDoesNotHave) {
    Editor ed;
    ed.SetText("l1\r\nl2\rl3\nl4", 2, 2);
    for (const int n : {5, 40}) {
        ed.Key(Qt::Key_G, Qt::ControlModifier);
        Child<QRadioButton>(ed.view().GoTo(), "line")->setChecked(true);
        Child<QSpinBox>(ed.view().GoTo(), "number")->setValue(n);
        ed.view().GoTo()->accept();
        QApplication::processEvents();
    }
    EXPECT_EQ(Selection(ed), std::make_pair(2, 2));
    ASSERT_EQ(ed.prompter.boxes.size(), 2u);
    EXPECT_EQ(ed.prompter.boxes[0].text, QStringLiteral("没有第 5 行"));
    EXPECT_EQ(ed.prompter.boxes[1].text, QStringLiteral("没有第 40 行"));
}

TEST(GoTo, BringsTheLineOrSectionNearTheTopOfTheEditArea) {
    Editor ed;
    ed.SetText(SectionLines(400), 0, 0);
    for (const auto& [section, n] : {std::pair{false, 300}, std::pair{true, 150}, {false, 200}}) {
        ed.Key(Qt::Key_G, Qt::ControlModifier);
        Child<QRadioButton>(ed.view().GoTo(), section ? "section" : "line")->setChecked(true);
        Child<QSpinBox>(ed.view().GoTo(), "number")->setValue(n);
        ed.view().GoTo()->accept();
        QApplication::processEvents();
        EXPECT_GE(CaretLineShown(ed.area()), 1) << n;  // a line of what comes before
        EXPECT_LE(CaretLineShown(ed.area()), 3) << n;
    }
}

}  // namespace
