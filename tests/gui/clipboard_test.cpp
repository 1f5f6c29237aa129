// The desktop clipboard behind cutting and the whole-text commands: what other programs read
// from it, and what comes back when it is pasted.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <string>

#include "editor/gbk.h"
#include "editor/ui/system_clipboard.h"

namespace {

// Short texts are decoded at once, a book (past 1 MB) only when something asks for it: both
// must read the same.
TEST(SystemClipboard, AnyTextReadsAsUnicodeWithLineFeedsAndPastesBackAsTheSameBytes) {
    const std::string line = qdm::gbk::Lit("第一行，abc 二三\r\n");
    const QString shown = QStringLiteral("第一行，abc 二三\n");
    for (const int lines : {1, 3, 70'000}) {
        std::string gbk;
        QString expected;
        for (int i = 0; i < lines; ++i) {
            gbk += line;
            expected += shown;
        }
        qdm::ui::SystemClipboard clipboard;
        clipboard.SetText(gbk);
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        ASSERT_NE(mime, nullptr) << lines;
        EXPECT_TRUE(mime->hasText()) << lines;
        EXPECT_EQ(QGuiApplication::clipboard()->text(), expected) << lines;
        EXPECT_EQ(mime->data(QStringLiteral("text/plain")), expected.toUtf8()) << lines;
        EXPECT_EQ(clipboard.Text(), gbk) << lines;
    }
}

}  // namespace
