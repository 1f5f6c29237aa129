// The outline dock and the tag colours as the user meets them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTest>
#include <QTreeView>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/recent_files.h"
#include "editor/edit_box.h"
#include "editor/ui/edit_area.h"
#include "harness.h"
#include "markup/ui/outline_dock.h"
#include "markup/ui/outline_model.h"
#include "markup/ui/tag_highlighter.h"

namespace {

using namespace qdm::ui;
using namespace guitest;

void ForgetViews() {
    QSettings settings(SettingsOrganization(), SettingsApplication());
    settings.remove(QStringLiteral("view"));
}

QStringList Rows(OutlineModel& model, const QModelIndex& parent = {}) {
    QStringList out;
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex i = model.index(r, 0, parent);
        out << i.data().toString() + u'|' + model.index(r, 1, parent).data().toString();
        for (const QString& child : Rows(model, i)) out << u'>' + child;
    }
    return out;
}

// Shows the outline, waits for its first reading, and hands back its parts.
OutlineDock& ShownOutline(Editor& ed) {
    if (ed.frame().Outline().isHidden()) ed.Run(ID_VIEW_OUTLINE);
    QApplication::processEvents();
    return ed.frame().Outline();
}

TEST(Outline, IsHiddenTheFirstTimeAndRemembersWhetherItWasShown) {
    ForgetViews();
    {
        Editor ed;
        EXPECT_TRUE(ed.frame().Outline().isHidden());
        EXPECT_EQ(ed.frame().Outline().windowTitle(), QStringLiteral("目录"));
        ASSERT_TRUE(ed.Run(ID_VIEW_OUTLINE));
        EXPECT_FALSE(ed.frame().Outline().isHidden());
        EXPECT_TRUE(ed.frame().Action(ID_VIEW_OUTLINE)->isChecked());
    }
    {
        Editor ed;
        EXPECT_FALSE(ed.frame().Outline().isHidden());
        ed.frame().Outline().close();  // its own close box
        QApplication::processEvents();
        EXPECT_FALSE(ed.frame().Action(ID_VIEW_OUTLINE)->isChecked());
    }
    Editor ed;
    EXPECT_TRUE(ed.frame().Outline().isHidden());
}

TEST(Outline, ListsSectionsWithTheirNotesAfterAutomaticSectioning) {
    ForgetViews();
    Editor ed;
    OutlineModel& model = ShownOutline(ed).Model();
    ed.SetText(
        G("第一章 开始\r\n第二章 \r\n    "
          "中间的一段很长的文字，一二三四五六七八九十一二三四五六七八九十\r\n"));
    ed.Run(ID_AUTO_PROCESS);
    QApplication::processEvents();
    EXPECT_EQ(Rows(model),
              (QStringList{"1|第一章 开始",
                           "2|第二章 中间的一段很长的文字，一二三四五六七八九十一二三四五"}));

    ed.SetText(
        G("<vsection=\r\n甲<vreadernote>注<vemph>重</vemph></vreadernote>"
          "<vtrans>译</vtrans></vsection><vemph>外</vemph>"));
    QApplication::processEvents();
    EXPECT_EQ(Rows(model),
              (QStringList{"未编号|甲注重译", ">读者注|注重", ">>重点|重", ">译文|译", "重点|外"}));
}

TEST(Outline, AClickPutsTheCaretAtTheContentAndTheCaretSelectsItsRow) {
    ForgetViews();
    Editor ed;
    OutlineDock& dock = ShownOutline(ed);
    const std::string text =
        G("<vsection=1>\r\n甲</vsection>\r\n<vsection=2>\r\n乙<vemph>丙</vemph>"
          "</vsection>\r\n");
    ed.SetText(text);
    QApplication::processEvents();
    QTreeView& tree = dock.Tree();
    const QModelIndex second = dock.Model().index(1, 0);
    tree.expandAll();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(second).center());
    EXPECT_EQ(ed.Caret(), static_cast<int32_t>(text.find("<vsection=2>") + 12));
    EXPECT_TRUE(ed.widget().hasFocus() || !ed.frame().isActiveWindow());

    ed.Select(static_cast<int32_t>(text.find(G("丙"))), static_cast<int32_t>(text.find(G("丙"))));
    QApplication::processEvents();
    EXPECT_EQ(tree.currentIndex().data().toString(), QStringLiteral("重点"));
    EXPECT_EQ(tree.currentIndex().parent(), second);
    ed.Select(0, 0);
    QApplication::processEvents();
    EXPECT_EQ(tree.currentIndex(), dock.Model().index(0, 0));
}

TEST(Outline, FollowsTypingOnceTheTypistPauses) {
    ForgetViews();
    Editor ed;
    OutlineDock& dock = ShownOutline(ed);
    const std::string text = G("<vsection=1>\r\n甲</vsection>\r\n");
    ed.SetText(text, 14, 14);
    QApplication::processEvents();
    ed.Type(QStringLiteral("abc"));
    EXPECT_EQ(dock.Model().Index().Region(0).end, 16);  // not yet: the typist may go on
    // A loaded machine may fire the pause late; the outline must follow all the same.
    (void)QTest::qWaitFor([&] { return Rows(dock.Model()) == QStringList{"1|abc甲"}; }, 5000);
    EXPECT_EQ(Rows(dock.Model()), QStringList{"1|abc甲"});
    ed.Select(ed.model().Length(), ed.model().Length());
    ed.Type(QStringLiteral("<vemph>x</vemph>"));
    dock.Refresh();
    EXPECT_EQ(Rows(dock.Model()), (QStringList{"1|abc甲", "重点|x"}));
}

TEST(Outline, ShowsEveryNameWholeAndAClickBringsTheRegionNearTheTop) {
    ForgetViews();
    Editor ed;
    OutlineDock& dock = ShownOutline(ed);
    const std::string text =
        SectionLines(300) +
        G("<vsection=10000>长<vreadernote>注<vemph>重</vemph></vreadernote></vsection>\r\n"
          "<vsection=\r\n<vauthornote>作</vauthornote><vtrans>译</vtrans></vsection>\r\n") +
        SectionLines(100);
    ed.SetText(text);
    QApplication::processEvents();
    QTreeView& tree = dock.Tree();
    tree.expandAll();
    const QModelIndex numbered = dock.Model().index(300, 0);
    const QModelIndex unnumbered = dock.Model().index(301, 0);
    const QModelIndex note = dock.Model().index(0, 0, numbered);
    const QFontMetrics fm = tree.fontMetrics();
    for (const QModelIndex& i :
         {numbered, unnumbered, note, dock.Model().index(0, 0, note),
          dock.Model().index(0, 0, unnumbered), dock.Model().index(1, 0, unnumbered)}) {
        const QString name = i.data().toString();
        EXPECT_FALSE(name.isEmpty());
        tree.scrollTo(i);
        // The text is drawn inside the cell less a margin on each side.
        EXPECT_GT(tree.visualRect(i).width(), fm.horizontalAdvance(name) + 4) << name.toStdString();
    }
    EXPECT_EQ(numbered.data().toString(), QStringLiteral("10000"));
    EXPECT_EQ(unnumbered.data().toString(), QStringLiteral("未编号"));
    EXPECT_EQ(note.data().toString(), QStringLiteral("读者注"));

    ed.Select(0, 0);
    QApplication::processEvents();
    tree.scrollTo(numbered);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(numbered).center());
    EXPECT_EQ(ed.Caret(), static_cast<int32_t>(text.find("<vsection=10000>") + 16));
    EXPECT_GE(CaretLineShown(ed.area()), 1);
    EXPECT_LE(CaretLineShown(ed.area()), 3);
}

QList<QTextLayout::FormatRange> Colours(IEditArea& w, int line) {
    return w.LineFormats(line);
}

QString ColouredText(IEditArea& w, int line, int range) {
    const QTextLayout::FormatRange r = Colours(w, line).at(range);
    return w.ShownText().split(QChar::ParagraphSeparator).at(line).mid(r.start, r.length);
}

TEST(TagColours, MarkTheVisibleTagsAndTurnOffFromTheViewMenu) {
    ForgetViews();
    Editor ed;
    TagHighlighter& colours = ed.frame().Highlighter();
    EXPECT_TRUE(ed.frame().Action(ID_VIEW_TAG_HIGHLIGHT)->isChecked());
    ed.SetText(G("<vsection=12>甲<vreadernote>乙</vreadernote><vsection=\r\n</vsection>"));
    QApplication::processEvents();
    colours.Apply();
    IEditArea& w = ed.area();
    ASSERT_EQ(Colours(w, 0).size(), 3 + 2 + 1);  // "<vsection=" "12" ">"; the notes; a section
    EXPECT_EQ(ColouredText(w, 0, 1), QStringLiteral("12"));
    EXPECT_EQ(Colours(w, 0)[1].format.fontWeight(), QFont::Bold);
    EXPECT_EQ(Colours(w, 0)[0].format.foreground().color(), TagHighlighter::KindColor(1));
    EXPECT_EQ(ColouredText(w, 0, 3), QStringLiteral("<vreadernote>"));
    EXPECT_EQ(Colours(w, 0)[3].format.foreground().color(), TagHighlighter::KindColor(2));
    EXPECT_EQ(ColouredText(w, 0, 5), QStringLiteral("<vsection="));
    ASSERT_EQ(Colours(w, 1).size(), 1);
    EXPECT_EQ(ColouredText(w, 1, 0), QStringLiteral("</vsection>"));
    EXPECT_EQ(ed.Shown(), ed.ModelShown());  // colouring changes no character

    ed.Run(ID_VIEW_TAG_HIGHLIGHT);
    EXPECT_FALSE(colours.Enabled());
    EXPECT_TRUE(Colours(w, 0).isEmpty());
    EXPECT_TRUE(Colours(w, 1).isEmpty());
    ed.Run(ID_VIEW_TAG_HIGHLIGHT);
    EXPECT_EQ(Colours(w, 1).size(), 1);
}

TEST(TagColours, MarkOnlyWhatIsOnScreen) {
    ForgetViews();
    Editor ed;
    std::string text;
    for (int i = 1; i <= 2000; ++i)
        text += "<vsection=" + std::to_string(i) + ">\r\n" + G("一行") + "\r\n</vsection>\r\n";
    ed.SetText(text);
    QApplication::processEvents();
    ed.frame().Highlighter().Apply();
    IEditArea& w = ed.area();
    const int last = w.LineCount() - 2;  // the text ends with a line break
    EXPECT_EQ(Colours(w, 0).size(), 3);
    EXPECT_TRUE(Colours(w, last).isEmpty());
    ed.Select(static_cast<int32_t>(text.size()), static_cast<int32_t>(text.size()));
    ed.model().ScrollToCaret();
    QApplication::processEvents();
    ed.frame().Highlighter().Apply();
    EXPECT_EQ(ColouredText(w, last, 0), QStringLiteral("</vsection>"));
    EXPECT_TRUE(Colours(w, last / 2).isEmpty());
}

}  // namespace
