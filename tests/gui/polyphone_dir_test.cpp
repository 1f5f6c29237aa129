// The directory batch dialog over scratch trees.
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>

#include "polyphone/ui/dialog_poly_dir.h"
#include "polyphone_test_util.h"

namespace {

namespace fs = std::filesystem;
using qdm::CDialogPolyDir;

class PolyDir : public polytest::ScratchDir {
  protected:
    void SetUp() override {
        ScratchDir::SetUp();
        m_dictPath =
            WriteDict({{"行", "航"}, {"重", "众"}, {"长", "常"}}, "dict/kolb_polyphone.ini");
        m_dict = std::make_unique<qdm::CPolyDict>(m_dictPath);
    }
    static QString Field(QDialog& d, const char* name) {
        return d.findChild<QLineEdit*>(QLatin1String(name))->text();
    }
    static bool Enabled(QDialog& d, const char* name) {
        return d.findChild<QPushButton*>(QLatin1String(name))->isEnabled();
    }
    static void RunToEnd(CDialogPolyDir& dialog) {
        for (int i = 0; i < 100000 && !dialog.IsFinished(); ++i) dialog.OnTimer();
        ASSERT_TRUE(dialog.IsFinished());
    }
    std::string m_dictPath;
    std::unique_ptr<qdm::CPolyDict> m_dict;
};

TEST_F(PolyDir, ProcessesTheTreeAndCountsTheFilesItLeftAlone) {
    const std::string book = gbk::Lit("银行重长");
    Write(Path("books/a.txt"), book);
    Write(Path("books/sub/deeper/b.qdm"), book + "\r\n" + book);
    Write(Path("books/empty.txt"), "");
    Write(Path("books/cover.bin"), std::string("\x89PNG\0\x01\x02", 7));
    fs::create_symlink(Path("books/gone.txt"), Path("books/dangling.txt"));  // cannot be read

    CDialogPolyDir dialog(*m_dict, Path("books"));
    EXPECT_EQ(Field(dialog, "status"), qdm::QLit("处理进行中"));
    EXPECT_EQ(Field(dialog, "directory"), qdm::QFromPath(Path("books")));
    RunToEnd(dialog);

    const std::string processed = gbk::Lit("银航众常");
    EXPECT_EQ(Read(Path("books/a.txt")), processed);
    EXPECT_EQ(Read(Path("books/sub/deeper/b.qdm")), processed + "\r\n" + processed);
    EXPECT_EQ(Read(Path("books/cover.bin")), std::string("\x89PNG\0\x01\x02", 7));
    EXPECT_EQ(Read(Path("books/empty.txt")), "");

    EXPECT_EQ(Field(dialog, "status"), qdm::QLit("处理完成，跳过3个文件"));
    EXPECT_TRUE(dialog.findChild<QLineEdit*>(QStringLiteral("status"))
                    ->toolTip()
                    .contains(QStringLiteral("cover.bin")));
    EXPECT_EQ(Field(dialog, "currentFile"), QStringLiteral("sub/deeper/b.qdm"));
    EXPECT_EQ(Field(dialog, "filesDone"), "2");
    EXPECT_EQ(Field(dialog, "wordsReplaced"), "9");
    EXPECT_EQ(Field(dialog, "percent"), "100");
    EXPECT_EQ(dialog.findChild<QProgressBar*>()->value(), 100);
    EXPECT_TRUE(Enabled(dialog, "ok"));
    EXPECT_FALSE(Enabled(dialog, "interrupt"));
}

TEST_F(PolyDir, InterruptDropsTheFileInHandAndLeavesTheRestUntouched) {
    const std::string book = gbk::Lit("银行重长");
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) Write(Path("books/") + name, book);
    CDialogPolyDir dialog(*m_dict, Path("books"));
    dialog.SetTickBudget(qdm::PolyBudget::zero());
    dialog.show();
    for (int i = 0; i < 100000 && Field(dialog, "currentFile") != "b.txt"; ++i) dialog.OnTimer();
    dialog.OnTimer();  // b.txt is in hand with one of its three entries applied
    ASSERT_EQ(Field(dialog, "filesDone"), "1");
    ASSERT_EQ(Field(dialog, "word"), qdm::QLit("行"));

    dialog.findChild<QPushButton*>(QStringLiteral("interrupt"))->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(Read(Path("books/a.txt")), gbk::Lit("银航众常"));
    EXPECT_EQ(Read(Path("books/b.txt")), book);
    EXPECT_EQ(Read(Path("books/c.txt")), book);
}

TEST_F(PolyDir, AnEmptyDirectoryFinishesAtOnceAndEscapeThenCloses) {
    fs::create_directories(Path("nothing"));
    CDialogPolyDir dialog(*m_dict, Path("nothing"));
    dialog.show();
    RunToEnd(dialog);
    EXPECT_EQ(Field(dialog, "status"), qdm::QLit("处理完成"));
    EXPECT_EQ(Field(dialog, "filesDone"), "0");
    EXPECT_EQ(Field(dialog, "percent"), "100");
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

}  // namespace
