// What a user sees on starting the editor, and the appearance commands.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontDialog>
#include <QLabel>
#include <QProcess>
#include <QStatusBar>
#include <QToolBar>

#include "app/command_ids.h"
#include "app/intro_text.h"
#include "app/main_frame.h"
#include "app/view.h"
#include "editor/edit_box.h"
#include "editor/ui/edit_area.h"
#include "harness.h"
#include "polyphone_test_util.h"

namespace {

using namespace qdm::ui;
using namespace guitest;

TEST(Startup, TheWindowShowsTheIntroductionUnderTheDefaultCaption) {
    Editor ed;
    EXPECT_EQ(ed.frame().windowTitle(), QStringLiteral("QDM文件编辑器---Norvane科技有限公司"));
    EXPECT_EQ(ed.model().Text(), IntroText());
    EXPECT_EQ(ed.Shown(), ed.ModelShown());
    EXPECT_EQ(ed.Caret(), 0);
    EXPECT_TRUE(ed.view().m_strFileName.empty());
    EXPECT_TRUE(ed.model().GetFilePath().empty());
    EXPECT_TRUE(ed.frame().ToolBar()->isVisible());
    EXPECT_TRUE(ed.frame().statusBar()->isVisible());
    EXPECT_EQ(ed.frame().MessagePane()->text(), QStringLiteral("就绪"));
    EXPECT_EQ(ed.widget().font().family(), QStringLiteral("宋体"));
    EXPECT_EQ(ed.widget().font().pointSizeF(), 15.0);
    EXPECT_EQ(ed.widget().palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(ed.widget().palette().color(QPalette::Base), QColor(Qt::white));
}

TEST(Startup, TheIntroductionHasNineTabbedParagraphsAndNamesOnlyNorvane) {
    const std::string text = IntroText();
    std::vector<std::string> paragraphs;
    for (size_t from = 0;;) {
        const size_t crlf = text.find("\r\n", from);
        paragraphs.push_back(text.substr(from, crlf - from));
        if (crlf == std::string::npos) break;
        from = crlf + 2;
    }
    ASSERT_EQ(paragraphs.size(), 9u);
    for (const std::string& p : paragraphs) EXPECT_EQ(p.substr(0, 1), "\t");
    EXPECT_EQ(paragraphs[0].find(G("尊敬的客户：")), 1u);
    EXPECT_NE(paragraphs[8].find(G("（http://www.example.com）")), std::string::npos);
    // Every company the text names is Norvane.
    const std::string company = G("公司"), maker = G("Norvane科技有限公司");
    int named = 0;
    for (size_t at = text.find(company); at != std::string::npos;
         at = text.find(company, at + 1), ++named)
        EXPECT_EQ(text.substr(at + company.size() - maker.size(), maker.size()), maker);
    EXPECT_GE(named, 3);
}

TEST(Startup, TheEditAreaCoversTheViewWhateverTheWindowSize) {
    Editor ed;
    for (QSize size : {QSize(900, 700), QSize(420, 300)}) {
        ed.frame().resize(size);
        QCoreApplication::processEvents();
        EXPECT_EQ(ed.widget().geometry(), ed.view().rect());
    }
}

TEST(Startup, VersionOptionPrintsTheVersionWithoutADisplay) {
    QProcess mked;
    mked.start(QCoreApplication::applicationDirPath() + QStringLiteral("/mked"),
               {QStringLiteral("--version")});
    ASSERT_TRUE(mked.waitForFinished(10000));
    EXPECT_EQ(mked.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(mked.readAllStandardOutput()),
              QStringLiteral("mked 1.2 (QDM文件编辑器)\n"));
}

TEST(Appearance, TheFontDialogStartsFromTheDescriptionAndOnlyFaceAndSizeApply) {
    Editor ed;
    ASSERT_TRUE(ed.Run(ID_FONT));  // cancelled
    ASSERT_EQ(ed.appearance.fontRequests.size(), 1u);
    EXPECT_EQ(ed.appearance.fontRequests[0].face, QStringLiteral("宋体"));
    EXPECT_EQ(ed.appearance.fontRequests[0].height, -22);
    EXPECT_EQ(ed.model().m_fontSize, 150);

    ed.appearance.font = FontChoice{QStringLiteral("Noto Sans CJK SC"), 205};
    ASSERT_TRUE(ed.Run(ID_FONT));
    EXPECT_EQ(ed.model().GetFontFace(), "Noto Sans CJK SC");
    EXPECT_EQ(ed.model().m_fontSize, 205);
    EXPECT_EQ(ed.widget().font().family(), QStringLiteral("Noto Sans CJK SC"));
    EXPECT_EQ(ed.widget().font().pointSizeF(), 20.5);
    EXPECT_FALSE(ed.widget().font().bold());
    EXPECT_EQ(ed.appearance.fontRequests.size(), 2u);
}

TEST(Appearance, OkInTheFontDialogWithoutChangesShowsAndKeepsTheSize) {
    for (const int32_t size : {150, 90, 120, 240, 360}) {
        SCOPED_TRACE(size);
        Editor ed;
        ed.appearance.font = FontChoice{QStringLiteral("宋体"), size};
        ASSERT_TRUE(ed.Run(ID_FONT));
        QtAppearanceDialogs real(&ed.frame());
        ed.appearance.fontDialog = &real;
        for (int ok = 0; ok < 3; ++ok) {
            int shown = 0;
            polytest::ModalUser user([&](QDialog* d) {
                auto* dialog = qobject_cast<QFontDialog*>(d);
                if (!dialog) return false;
                shown = dialog->currentFont().pointSize();
                dialog->accept();
                return true;
            });
            ASSERT_TRUE(ed.Run(ID_FONT));
            EXPECT_EQ(shown * 10, size);
            EXPECT_EQ(ed.model().m_fontSize, size);
            EXPECT_EQ(ed.widget().font().pointSizeF() * 10, size);
        }
        EXPECT_EQ(ed.appearance.fontRequests.back().height, qdm::FontDialogHeight(size));
    }
}

TEST(Appearance, TheColourDialogChangesTheTextColourOnly) {
    Editor ed;
    ASSERT_TRUE(ed.Run(ID_COLOR));  // cancelled
    EXPECT_EQ(ed.appearance.colorRequests, std::vector<uint32_t>{0x000000});
    EXPECT_EQ(ed.model().m_textColor, 0x000000u);

    ed.appearance.color = 0x2040C0;
    ASSERT_TRUE(ed.Run(ID_COLOR));
    EXPECT_EQ(ed.model().m_textColor, 0x2040C0u);
    EXPECT_EQ(ed.widget().palette().color(QPalette::Text), QColor(0x20, 0x40, 0xC0));
    EXPECT_EQ(ed.widget().palette().color(QPalette::Base), QColor(Qt::white));
}

}  // namespace
