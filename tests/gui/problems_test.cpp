// 全部检查 and the problem list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTreeWidget>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "editor/ui/edit_area.h"
#include "harness.h"
#include "markup/check.h"
#include "markup/ui/problem_dock.h"

namespace {

using namespace qdm::ui;
using namespace guitest;

QStringList Rows(QTreeWidget& list) {
    QStringList out;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = list.topLevelItem(i);
        out << row->text(0) + u':' + row->text(1) + u' ' + row->text(2);
    }
    return out;
}

TEST(CheckAll, ListsEveryFaultAndAClickSelectsItsTag) {
    Editor ed;
    const std::string text =
        G("<vsection=1>\r\n甲<vemph>乙\r\n</vsection>\r\n"
          "<vsection=2>丙</vsection>\r\n"
          "<vsection=\r\n<vreadernote>丁<vtrans>戊</vtrans></vreadernote></vsection>");
    ed.SetText(text);
    ASSERT_TRUE(ed.Run(ID_CHECK_ALL));
    ProblemDock& dock = ed.frame().Problems();
    EXPECT_FALSE(dock.isHidden());
    EXPECT_EQ(dock.windowTitle(), QStringLiteral("问题"));
    EXPECT_EQ(Rows(dock.List()),
              (QStringList{"2:2 重点 没有结束标志", "6:15 读者注 中不能嵌套 译文"}));
    std::string first;
    EXPECT_EQ(dock.Faults().front().offset, qdm::CheckMarkup(text, first));
    EXPECT_EQ(ed.model().Text(), text);  // nothing renumbered
    EXPECT_EQ(ed.Status(), QStringLiteral("共 2 处问题"));
    EXPECT_TRUE(ed.prompter.boxes.empty());

    ed.Select(0, 0);
    ed.Type(QStringLiteral("前"));  // the rows follow the text
    QTreeWidget& list = dock.List();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.topLevelItem(1)).center());
    int32_t s, e;
    ed.model().GetSelection(s, e);
    const int32_t at = static_cast<int32_t>(text.find("<vtrans>")) + 2;
    EXPECT_EQ(s, at);
    EXPECT_EQ(e, at + 8);

    ed.SetText(G("<vsection=1>甲</vsection>"));
    ed.Run(ID_CHECK_ALL);
    EXPECT_EQ(dock.List().topLevelItemCount(), 0);
    EXPECT_EQ(ed.Status(), QStringLiteral("QDM文件检查正确"));
}

// Line and column by a fresh walk from the text's start: lines end at CR LF, lone CR and lone
// LF; columns count GBK characters.
QString PlainLocation(std::string_view text, size_t offset) {
    int line = 1, column = 1;
    for (size_t i = 0; i < offset;) {
        const bool crlf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if (text[i] == '\r' || text[i] == '\n') {
            i += crlf ? 2 : 1;
            ++line;
            column = 1;
        } else {
            i += qdm::gbk::CharLen(text, i);
            ++column;
        }
    }
    return QStringLiteral("%1:%2").arg(line).arg(column);
}

TEST(CheckAll, NumbersLinesAndColumnsAsTheEditAreaShowsThem) {
    Editor ed;
    const std::string nested = G("<vreadernote>丁<vtrans>戊</vtrans></vreadernote>");
    // One fault per section: two sections on the third line, one after a CR LF, one after a
    // lone CR.
    const std::string text = G("<vsection=1>甲\r乙\n丙丙") + nested +
                             G("</vsection><vsection=2>己") + nested + "</vsection>\r\n" +
                             "<vsection=3>" + nested + "</vsection>\r" + G("<vsection=4>庚") +
                             nested + "</vsection>";
    ed.SetText(text);
    ASSERT_TRUE(ed.Run(ID_CHECK_ALL));
    const ProblemDock& dock = ed.frame().Problems();
    QTreeWidget& list = ed.frame().Problems().List();
    ASSERT_EQ(dock.Faults().size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const QTreeWidgetItem* row = list.topLevelItem(i);
        EXPECT_EQ(row->text(0) + u':' + row->text(1),
                  PlainLocation(text, static_cast<size_t>(dock.Faults()[i].offset)))
            << "fault " << i;
    }
    EXPECT_EQ(list.topLevelItem(1)->text(0), QStringLiteral("3"));  // two on one line
}

TEST(CheckAll, AClickBringsTheFaultNearTheTopOfTheEditArea) {
    Editor ed;
    ed.SetText(SectionLines(300) + G("<vsection=301>甲<vemph>乙</vsection>\r\n") +
               SectionLines(50));
    ASSERT_TRUE(ed.Run(ID_CHECK_ALL));
    QTreeWidget& list = ed.frame().Problems().List();
    ASSERT_EQ(list.topLevelItemCount(), 1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.topLevelItem(0)).center());
    EXPECT_EQ(list.topLevelItem(0)->text(0), QStringLiteral("301"));
    EXPECT_GE(CaretLineShown(ed.area()), 1);
    EXPECT_LE(CaretLineShown(ed.area()), 3);
}

}  // namespace
