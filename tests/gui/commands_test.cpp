// The command table as the user meets it: menus, toolbar, keys, enabled state and boxes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "editor/edit_box.h"
#include "editor/ui/edit_area.h"
#include "harness.h"
#include "markup/check.h"
#include "markup/insert.h"
#include "markup/tags.h"

namespace {

using namespace qdm::ui;
using namespace guitest;

// A menu as lines: "-" for a separator, "工具>" before a sub-menu's own lines.
QStringList Lines(const QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) {
        if (!a->isVisible()) continue;
        if (a->isSeparator())
            out << QStringLiteral("-");
        else if (a->menu())
            out << a->text() + u'>' << Lines(a->menu());
        else
            out << a->text();
    }
    return out;
}

TEST(Menus, TheMenuBarHoldsEveryItemWithItsKeyInOrder) {
    Editor ed;
    const QList<QAction*> popups = ed.frame().menuBar()->actions();
    const QStringList titles = {"文件(&F)", "编辑(&E)", "多音字处理", "视图(&V)", "帮助(&H)"};
    const QList<QStringList> items = {
        {"新建(&N)\tCtrl+N", "打开(&O)...\tCtrl+O", "保存(&S)\tCtrl+S", "另存为(&A)...",
         "重新按编码打开…", "-", "最近的文件", "-", "退出(&X)"},
        {"插入SECTION\tAlt+S",
         "反向SECTION\tAlt+F",
         "插入读者注\tAlt+R",
         "插入作者注\tAlt+A",
         "插入译文\tAlt+T",
         "插入重点\tAlt+E",
         "QDM文件检查\tAlt+C",
         "全部检查",
         "自动处理",
         "-",
         "撤消(&U)\tCtrl+Z",
         "重做(&R)\tCtrl+Y",
         "-",
         "剪切(&T)\tCtrl+X",
         "复制(&C)\tCtrl+C",
         "粘贴(&P)\tCtrl+V",
         "-",
         "查找(&F)...\tCtrl+F",
         "查找下一个\tF3",
         "查找上一个\tShift+F3",
         "替换(&H)...\tCtrl+H",
         "转到(&G)...\tCtrl+G"},
        {"多音字设置", "本文多音字处理", "多音字检查", "工具>", "单文件", "目录"},
        {"工具栏(&T)", "状态栏(&S)", "目录", "标记高亮", "字体", "颜色"},
        {"关于 QDM智能编辑器(&A)..."},
    };
    ASSERT_EQ(popups.size(), titles.size());
    for (qsizetype i = 0; i < titles.size(); ++i) {
        EXPECT_EQ(popups[i]->text(), titles[i]);
        EXPECT_EQ(Lines(popups[i]->menu()), items[i]);
    }
}

TEST(Menus, ACommandWithoutAHandlerIsDisabled) {
    Editor ed;
    const int disabled[] = {ID_EDIT_UNDO, ID_EDIT_REDO,  ID_EDIT_CUT,
                            ID_EDIT_COPY, ID_EDIT_PASTE, ID_FILE_PRINT};
    const int enabled[] = {ID_FILE_NEW,
                           ID_FILE_OPEN,
                           ID_FILE_SAVE,
                           ID_FILE_SAVE_AS,
                           ID_APP_EXIT,
                           ID_INSERT_SECTION,
                           ID_REVERSE_SECTION,
                           ID_INSERT_READERNOTE,
                           ID_INSERT_AUTHORNOTE,
                           ID_INSERT_TRANS,
                           ID_INSERT_EMPH,
                           ID_CHECK_MARKUP,
                           ID_AUTO_PROCESS,
                           ID_VIEW_TOOLBAR,
                           ID_VIEW_STATUS_BAR,
                           ID_VIEW_OUTLINE,
                           ID_VIEW_TAG_HIGHLIGHT,
                           ID_CHECK_ALL,
                           ID_FONT,
                           ID_COLOR,
                           ID_APP_ABOUT,
                           ID_NEXT_PANE,
                           ID_PREV_PANE,
                           ID_POLYPHONE_SETTINGS,
                           ID_POLYPHONE_TEXT,
                           ID_POLYPHONE_FILE,
                           ID_POLYPHONE_DIR,
                           ID_EDIT_FIND,
                           ID_EDIT_REPLACE,
                           ID_EDIT_REPEAT,
                           ID_EDIT_FIND_PREVIOUS,
                           ID_EDIT_GOTO,
                           ID_POLYPHONE_AUDIT};
    for (int id : disabled) EXPECT_FALSE(ed.Enabled(id)) << id;
    for (int id : enabled) EXPECT_TRUE(ed.Enabled(id)) << id;
}

TEST(Toolbar, EighteenButtonsInTheirGroupsWithPromptsAndTooltips) {
    Editor ed;
    QStringList layout;
    for (QAction* a : ed.frame().ToolBar()->actions())
        layout << (a->isSeparator() ? QStringLiteral("|")
                                    : QString::number(a->property("commandId").toInt()));
    EXPECT_EQ(layout.join(u' '),
              "57600 57601 57603 | 57635 57634 57637 | 57607 | 32830 32834 | 32780 32818 | "
              "32788 | 32785 | 32786 | 32787 | 32790 | 32825 | 57664");
    EXPECT_EQ(ed.frame().toolBarArea(ed.frame().ToolBar()), Qt::TopToolBarArea);
    EXPECT_EQ(ed.frame().ToolBar()->allowedAreas(), Qt::AllToolBarAreas);

    struct Tip {
        int id;
        const char* prompt;
        const char* tip;
    };
    const Tip tips[] = {{ID_FILE_NEW, "创建新文档", "新建"},
                        {ID_FILE_SAVE_AS, "用新名称保存活动文档", "另存为"},
                        {ID_EDIT_PASTE, "插入剪贴板内容", "粘贴"},
                        {ID_EDIT_UNDO, "撤消上一操作", "撤消"},
                        {ID_APP_ABOUT, "显示程序信息、版本号和版权", "关于"},
                        {ID_APP_EXIT, "退出应用程序；提示保存文档", "退出"},
                        {ID_VIEW_STATUS_BAR, "显示或隐藏状态栏", "切换状态栏"},
                        {ID_INSERT_SECTION, "", nullptr},
                        {ID_FILE_PRINT, "", nullptr}};
    for (const Tip& t : tips) {
        QAction* a = ed.frame().Action(t.id);
        EXPECT_EQ(a->statusTip(), QString::fromUtf8(t.prompt)) << t.id;
        EXPECT_EQ(a->property("hasTip").toBool(), t.tip != nullptr) << t.id;
        if (t.tip) {
            EXPECT_EQ(a->toolTip(), QString::fromUtf8(t.tip)) << t.id;
        }
    }
}

// A window too narrow for the bar (three quarters of a screen at QT_SCALE_FACTOR=2) is
// widened: no button hides behind the overflow.
TEST(Toolbar, EveryButtonIsInSightInAWindowWidenedForIt) {
    Editor ed;
    QToolBar* bar = ed.frame().ToolBar();
    auto hidden = [&] {
        QStringList out;
        for (QAction* a : bar->actions())
            if (!a->isSeparator() && !bar->widgetForAction(a)->isVisible()) out << a->toolTip();
        return out;
    };
    EXPECT_EQ(hidden(), QStringList());  // as it opened
    ed.frame().resize(bar->sizeHint().width() / 2, ed.frame().height());
    QApplication::processEvents();
    ASSERT_NE(hidden(), QStringList());
    ed.frame().WidenForToolBar();
    QApplication::processEvents();
    EXPECT_EQ(hidden(), QStringList());
}

TEST(Keys, MarkupKeysRunTheirCommandsAndShowTheEnginesMessage) {
    struct Case {
        Qt::Key key;
        int kind;
        const char* caption;
    };
    const Case cases[] = {
        {Qt::Key_F, qdm::TAG_REVERSE_SECTION, "section插入错误"},
        {Qt::Key_R, qdm::TAG_READERNOTE, "读者注插入错误"},
        {Qt::Key_A, qdm::TAG_AUTHORNOTE, "作者注插入错误"},
        {Qt::Key_T, qdm::TAG_TRANS, "译文插入错误"},
        {Qt::Key_E, qdm::TAG_EMPH, "重点插入错误"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        Editor ed;
        ed.SetText("abc", 0, 1);
        qdm::CEditBox reference;
        reference.SetText("abc");
        reference.SetSelection(0, 1);
        std::string expected;
        ASSERT_FALSE(qdm::InsertTag(static_cast<qdm::TagNumber>(c.kind), reference, expected));
        ed.Key(c.key, Qt::AltModifier);
        // Alt+F and Alt+E run their commands; the File and Edit menus stay closed.
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        ASSERT_EQ(ed.prompter.boxes.size(), 1u);
        EXPECT_EQ(ed.prompter.boxes[0].text, U(expected));
        EXPECT_EQ(ed.prompter.boxes[0].caption, QString::fromUtf8(c.caption));
    }
}

TEST(Keys, ASectionInsertedByAltSShowsNoBoxAndCheckByAltCSaysSo) {
    Editor ed;
    ed.SetText("abc", 0, 3);
    ed.Key(Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(ed.prompter.boxes.empty());
    EXPECT_NE(ed.model().Text().find("<vsection="), std::string::npos);
    EXPECT_EQ(ed.Shown(), ed.ModelShown());
    ed.Key(Qt::Key_C, Qt::AltModifier);
    EXPECT_NE(ed.model().Text().find("<vsection=1>"), std::string::npos);  // numbered
    EXPECT_EQ(ed.Shown(), ed.ModelShown());
    ASSERT_EQ(ed.prompter.boxes.size(), 1u);
    EXPECT_EQ(ed.prompter.boxes[0].text, QStringLiteral("QDM文件检查正确"));
    EXPECT_EQ(ed.prompter.boxes[0].caption, QStringLiteral("QDM检查"));
}

TEST(Keys, ACheckFaultIsReportedAndTheCaretPutOnIt) {
    Editor ed;
    const std::string text = G("前言<vreadernote>注");
    ed.SetText(text, 0, 0);
    qdm::CEditBox reference;
    reference.SetText(text);
    std::string expected;
    ASSERT_FALSE(qdm::CheckDocument(reference, expected));
    int32_t faultStart, faultEnd;
    reference.GetSelection(faultStart, faultEnd);
    ASSERT_TRUE(ed.Run(ID_CHECK_MARKUP));
    ASSERT_EQ(ed.prompter.boxes.size(), 1u);
    EXPECT_EQ(ed.prompter.boxes[0].text, U(expected));
    EXPECT_EQ(ed.prompter.boxes[0].caption, QStringLiteral("QDM检查出错"));
    // The selection the user sees is the fault's.
    ed.area().SyncSelectionToModel();
    int32_t shownStart, shownEnd;
    ed.model().GetSelection(shownStart, shownEnd);
    EXPECT_EQ(shownStart, faultStart);
}

TEST(Keys, CutCopyPasteKeysDoNothingWhileTheyAreDisabled) {
    Editor ed;
    ed.SetText("abc", 1, 2);
    QApplication::clipboard()->setText(QStringLiteral("clip"));
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_C, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ControlModifier},
        {Qt::Key_X, Qt::ControlModifier}, {Qt::Key_Delete, Qt::ShiftModifier},
        {Qt::Key_V, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ShiftModifier},
        {Qt::Key_F6, Qt::NoModifier},     {Qt::Key_F6, Qt::ShiftModifier}};
    for (auto [key, mods] : keys) ed.Key(key, mods);
    EXPECT_EQ(ed.model().Text(), "abc");
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("clip"));
    EXPECT_EQ(ed.area().SelectedText(), QStringLiteral("b"));
}

TEST(Keys, F10OpensTheFirstMenuForTheKeyboard) {
    Editor ed;
    ed.Key(Qt::Key_F10);
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup, ed.frame().menuBar()->actions().first()->menu());
    popup->close();
}

TEST(Frame, ToolbarAndStatusBarToggleWithTheirCheckMarks) {
    Editor ed;
    const std::pair<int, QWidget*> bars[] = {{ID_VIEW_TOOLBAR, ed.frame().ToolBar()},
                                             {ID_VIEW_STATUS_BAR, ed.frame().statusBar()}};
    for (auto [id, bar] : bars) {
        EXPECT_TRUE(ed.frame().Action(id)->isChecked());
        ASSERT_TRUE(ed.Run(id));
        EXPECT_TRUE(bar->isHidden());
        EXPECT_FALSE(ed.frame().Action(id)->isChecked());
        ASSERT_TRUE(ed.Run(id));
        EXPECT_FALSE(bar->isHidden());
        EXPECT_TRUE(ed.frame().Action(id)->isChecked());
    }
}

TEST(Frame, AboutShowsTheProductAndVersionAndExitClosesTheWindow) {
    Editor ed;
    QString title, text, button;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        for (QLabel* l : box->findChildren<QLabel*>())
            if (!l->text().isEmpty()) text = l->text();
        button = box->findChild<QPushButton*>()->text();
        box->close();
    });
    ASSERT_TRUE(ed.Run(ID_APP_ABOUT));
    EXPECT_EQ(title, QStringLiteral("关于 QDM智能编辑器"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("QDM编辑器"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("V1.0版")));
    EXPECT_EQ(button, QStringLiteral("确定"));

    ASSERT_TRUE(ed.Run(ID_APP_EXIT));
    EXPECT_FALSE(ed.frame().isVisible());
    EXPECT_TRUE(ed.prompter.boxes.empty());
}

TEST(Frame, AutoProcessSectionsTheTextAndShowsNothing) {
    Editor ed;
    ed.SetText(
        G("第一行很长很长很长很长很长很长很长很长很长\r\n第二行也很长很长很长很长很长很长很长"));
    ASSERT_TRUE(ed.Run(ID_AUTO_PROCESS));
    EXPECT_TRUE(ed.prompter.boxes.empty());
    EXPECT_NE(ed.model().Text().find("<vsection=1>"), std::string::npos);
    EXPECT_NE(ed.model().Text().find("<vsection=2>"), std::string::npos);
    EXPECT_EQ(ed.Shown(), ed.ModelShown());
}

}  // namespace
