// The status-bar prompts of menu items, disabled ones included, and the owner of every box.
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/polyphone_commands.h"
#include "app/recent_files.h"
#include "polyphone/ui/dialog_duoyinzi_set.h"
#include "polyphone_test_util.h"
#include "uikit/prompter.h"

namespace {

using namespace qdm::ui;

QMenu* MenuOf(QMenuBar* bar, QAction* item) {
    for (QAction* top : bar->actions())
        if (top->menu() && top->menu()->actions().contains(item)) return top->menu();
    return nullptr;
}

// The mouse comes to rest on `item`, as a hand moves it: a few small steps.
void Hover(QMenu* menu, QAction* item) {
    const QPoint at = menu->actionGeometry(item).center();
    for (int dx = 0; dx < 8; ++dx) {
        const QPoint p = at + QPoint(dx - 4, 0);
        QMouseEvent move(QEvent::MouseMove, p, menu->mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(menu, &move);
    }
}

TEST(MenuPrompts, ADisabledItemShowsItsPromptWhileHighlightedAsAnEnabledOneDoes) {
    guitest::Editor ed;
    ed.SetText("text");
    ed.frame().UpdateCommandUI();
    QAction* cut = ed.frame().Action(ID_EDIT_CUT);
    QAction* undo = ed.frame().Action(ID_EDIT_UNDO);
    QAction* section = ed.frame().Action(ID_INSERT_SECTION);
    ASSERT_FALSE(cut->isEnabled());
    ASSERT_FALSE(undo->isEnabled());
    ASSERT_TRUE(section->isEnabled());
    QMenu* edit = MenuOf(ed.frame().menuBar(), cut);
    ASSERT_TRUE(edit);
    edit->popup(ed.frame().mapToGlobal(QPoint(10, 10)));
    QApplication::processEvents();

    Hover(edit, cut);
    EXPECT_EQ(ed.Status(), QStringLiteral("剪切选定内容并将其放到剪贴板上"));
    Hover(edit, undo);
    EXPECT_EQ(ed.Status(), QStringLiteral("撤消上一操作"));
    Hover(edit, section);  // enabled, and without a prompt of its own
    EXPECT_EQ(ed.Status(), QString());
    Hover(edit, cut);
    EXPECT_EQ(ed.Status(), QStringLiteral("剪切选定内容并将其放到剪贴板上"));
    edit->hide();
    EXPECT_EQ(ed.Status(), QString());
}

TEST(MenuPrompts, TheGreyRecentFilesEntryPromptsAsARecentFileWould) {
    guitest::Editor ed;
    RecentFiles& recent = ed.app().Recent();
    while (!recent.Files().isEmpty()) recent.Remove(recent.Files().first());
    QAction* placeholder = nullptr;
    QMenu* file = MenuOf(ed.frame().menuBar(), ed.frame().Action(ID_FILE_OPEN));
    ASSERT_TRUE(file);
    for (QAction* a : file->actions())
        if (a->text() == QStringLiteral("最近的文件")) placeholder = a;
    ASSERT_TRUE(placeholder);
    ASSERT_FALSE(placeholder->isEnabled());
    file->popup(ed.frame().mapToGlobal(QPoint(10, 10)));
    QApplication::processEvents();
    Hover(file, placeholder);
    EXPECT_EQ(ed.Status(), QStringLiteral("打开此文档"));
    file->hide();
}

class BoxOwners : public polytest::ScratchDir {};

TEST_F(BoxOwners, TheSettingsDialogsBoxesBelongToTheDialog) {
    guitest::Prompter prompter;
    qdm::CPolyDict dict(Path("missing/kolb_polyphone.ini"));
    CDialogDuoyinziSet dialog(dict, BoxesOf(&prompter));   // cannot load: one box
    polytest::Child<QPushButton>(dialog, "add")->click();  // nothing typed: another
    polytest::Child<QLineEdit>(dialog, "word")->setText(QStringLiteral("w"));
    polytest::Child<QLineEdit>(dialog, "replacement")->setText(QStringLiteral("r"));
    polytest::Child<QPushButton>(dialog, "add")->click();
    polytest::Child<QPushButton>(dialog, "exit")->click();  // cannot save it: a third
    ASSERT_EQ(prompter.boxes.size(), 3u);
    for (const guitest::Box& box : prompter.boxes)
        EXPECT_EQ(box.owner, &dialog) << box.text.toStdString();
}

TEST(BoxOwnersOnScreen, ABoxForADialogIsItsChildWithAChineseButton) {
    QDialog owner;
    owner.show();
    QtPrompter prompter(nullptr);
    QWidget* parent = nullptr;
    QString button;
    polytest::ModalUser user([&](QDialog* d) {
        auto* box = qobject_cast<QMessageBox*>(d);
        if (!box) return false;
        parent = box->parentWidget();
        button = box->button(QMessageBox::Ok)->text();
        box->accept();
        return true;
    });
    prompter.MessageFor(&owner, QStringLiteral("内容"), QStringLiteral("警告"));
    EXPECT_EQ(parent, &owner);
    EXPECT_EQ(button, QStringLiteral("确定"));
}

// Where a box lands: centred on the window it belongs to once that is shown, on the screen
// while none is (start-up, a dialog still being set up).
TEST(BoxOwnersOnScreen, ABoxIsCentredOnAShownOwnerOrElseOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget shown;
    shown.setGeometry(screen.left() + 40, screen.top() + 30, 360, 300);
    shown.show();
    QDialog hidden(&shown);  // a dialog set up, not shown yet, at the screen's corner
    QWidget alone;
    struct Case {
        QWidget* owner;
        QPoint centre;
    };
    for (const Case& c : {Case{&shown, shown.frameGeometry().center()},
                          Case{&hidden, shown.frameGeometry().center()},
                          Case{&alone, screen.center()}, Case{nullptr, screen.center()}}) {
        QtPrompter prompter(nullptr);
        QPoint centre;
        polytest::ModalUser user([&](QDialog* d) {
            centre = d->frameGeometry().center();
            d->reject();
            return true;
        });
        if (c.owner == &alone) {
            prompter.SetOwner(&alone);
            prompter.Ask(QStringLiteral("问题"), QStringLiteral("mked"), {QStringLiteral("是")}, 0);
        } else {
            prompter.MessageFor(c.owner, QStringLiteral("内容"), QStringLiteral("警告"));
        }
        EXPECT_LE((centre - c.centre).manhattanLength(), 40)
            << centre.x() << "," << centre.y() << " not " << c.centre.x() << "," << c.centre.y();
    }
}

}  // namespace
