// The directory batch dialog over scratch trees.
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTest>
#include <cerrno>

#include "app/polyphone_commands.h"
#include "editor/error_text.h"
#include "polyphone/ui/dialog_poly_dir.h"
#include "polyphone_test_util.h"

namespace gbk = qdm::gbk;

namespace {

using namespace polytest;
using qdm::ui::CDialogPolyDir;

class PolyDir : public ScratchDir {
  protected:
    void SetUp() override {
        ScratchDir::SetUp();
        m_dict = std::make_unique<qdm::CPolyDict>(
            WriteDict({{"行", "航"}, {"重", "众"}, {"长", "常"}}, "dict/kolb_polyphone.ini"));
    }
    static void RunToEnd(CDialogPolyDir& dialog) {
        for (int i = 0; i < 100000 && !dialog.IsFinished(); ++i) dialog.OnTimer();
        ASSERT_TRUE(dialog.IsFinished());
    }
    const std::string m_book = gbk::Lit("银行重长");
    const std::string m_done = gbk::Lit("银航众常");
    std::unique_ptr<qdm::CPolyDict> m_dict;
};

TEST_F(PolyDir, ProcessesTheTreeAndCountsTheFilesItLeftAlone) {
    Write(Path("books/a.txt"), m_book);
    Write(Path("books/sub/deeper/b.qdm"), m_book + "\r\n" + m_book);
    Write(Path("books/empty.txt"), "");
    const std::string binary("\x89PNG\0\x01", 6);
    Write(Path("books/cover.bin"), binary);
    fs::create_symlink(Path("books/gone.txt"), Path("books/dangling.txt"));  // cannot be read

    CDialogPolyDir dialog(*m_dict, Path("books"));
    EXPECT_EQ(Field(dialog, "status"), qdm::ui::QLit("处理进行中"));
    EXPECT_EQ(Field(dialog, "directory"), qdm::ui::QFromPath(Path("books")));
    RunToEnd(dialog);

    EXPECT_EQ(Read(Path("books/a.txt")), m_done);
    EXPECT_EQ(Read(Path("books/sub/deeper/b.qdm")), m_done + "\r\n" + m_done);
    EXPECT_EQ(Read(Path("books/cover.bin")), binary);
    EXPECT_EQ(Read(Path("books/empty.txt")), "");
    EXPECT_EQ(Field(dialog, "status"), qdm::ui::QLit("处理完成，跳过3个文件"));
    EXPECT_TRUE(Child<QLineEdit>(dialog, "status")->toolTip().contains("cover.bin"));
    // Each skipped file is named below, with the reason, in sight.
    auto* skipped = Child<QPlainTextEdit>(dialog, "skippedList");
    EXPECT_TRUE(skipped->isVisibleTo(&dialog));
    const QStringList listed = skipped->toPlainText().split(u'\n');
    ASSERT_EQ(listed.size(), 4);
    EXPECT_EQ(listed[0], qdm::ui::QLit("跳过的文件:"));
    for (const char* name : {"cover.bin: ", "dangling.txt: ", "empty.txt: "})
        EXPECT_EQ(listed.filter(QLatin1String(name)).size(), 1) << name;
    for (const QString& line : listed.mid(1))
        EXPECT_GT(line.size(), line.indexOf(QStringLiteral(": ")) + 2) << line.toStdString();
    EXPECT_GE(skipped->geometry().top(), Child<QPushButton>(dialog, "ok")->geometry().bottom());
    EXPECT_LE(skipped->geometry().bottom(), dialog.height());
    EXPECT_EQ(Field(dialog, "currentFile"), "sub/deeper/b.qdm");
    EXPECT_EQ(Field(dialog, "filesDone"), "2");
    EXPECT_EQ(Field(dialog, "wordsReplaced"), "9");
    EXPECT_EQ(Field(dialog, "percent"), "100");
    EXPECT_EQ(dialog.findChild<QProgressBar*>()->value(), 100);
    EXPECT_TRUE(Enabled(dialog, "ok"));
    EXPECT_FALSE(Enabled(dialog, "interrupt"));
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);  // closes at once in the final state
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(PolyDir, FitsOnASmallScreenWithTheListOfSkippedFiles) {
    Write(Path("books/cover.bin"), std::string("\0", 1));
    CDialogPolyDir dialog(*m_dict, Path("books"));
    const QRect screen = dialog.screen()->availableGeometry();
    ASSERT_LE(screen.width(), 1024) << "the test screen is no small screen";
    dialog.show();
    EXPECT_FALSE(Child<QPlainTextEdit>(dialog, "skippedList")->isVisible());
    EXPECT_TRUE(screen.contains(dialog.frameGeometry()))
        << dialog.width() << "x" << dialog.height();
    RunToEnd(dialog);
    EXPECT_TRUE(Child<QPlainTextEdit>(dialog, "skippedList")->isVisible());
    EXPECT_LE(dialog.frameGeometry().width(), screen.width());
    EXPECT_LE(dialog.frameGeometry().height(), screen.height());
}

TEST_F(PolyDir, InterruptDropsTheFileInHandAndLeavesTheRestUntouched) {
    std::string big;
    for (int i = 0; i < 100000; ++i) big += m_book + "\r\n";
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) Write(Path("books/") + name, m_book);
    Write(Path("books/b.txt"), big);
    CDialogPolyDir dialog(*m_dict, Path("books"));
    dialog.SetTickBudget(qdm::PolyBudget::zero());
    dialog.show();
    for (int i = 0; i < 100000 && Field(dialog, "currentFile") != "b.txt"; ++i) dialog.OnTimer();
    while (Field(dialog, "wordsReplaced") == "3") dialog.OnTimer();
    ASSERT_EQ(Field(dialog, "filesDone"), "1");  // b.txt is in hand and partly processed

    Child<QPushButton>(dialog, "interrupt")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(Read(Path("books/a.txt")), m_done);
    EXPECT_EQ(Read(Path("books/b.txt")), big);
    EXPECT_EQ(Read(Path("books/c.txt")), m_book);
}

TEST_F(PolyDir, ADirectoryThatCannotBeReadIsAmongTheSkippedEntries) {
    CDialogPolyDir dialog(*m_dict, Path("missing"));
    RunToEnd(dialog);
    EXPECT_EQ(Field(dialog, "status"), qdm::ui::QLit("处理完成，跳过1个文件"));
    EXPECT_EQ(Child<QLineEdit>(dialog, "status")->toolTip(),
              qdm::ui::QFromPath(Path("missing")) + qdm::ui::QLit(": 无法读取: ") +
                  QString::fromStdString(qdm::ErrorText(ENOENT)));
}

TEST_F(PolyDir, ADictionaryThatCannotBeReadAnyMoreEndsTheRunWithAMessage) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) Write(Path("books/") + name, m_book);
    guitest::Prompter prompter;
    CDialogPolyDir dialog(*m_dict, Path("books"), qdm::ui::BoxesOf(&prompter));
    dialog.SetTickBudget(qdm::PolyBudget::zero());
    while (Field(dialog, "filesDone") == "0") dialog.OnTimer();
    fs::remove(Path("dict/kolb_polyphone.ini"));
    for (int i = 0; i < 100 && prompter.boxes.empty(); ++i) dialog.OnTimer();
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, qdm::ui::QLit("无法再读取多音字词典，处理中止:\n") +
                                          qdm::ui::QFromPath(Path("dict/kolb_polyphone.ini")) +
                                          QStringLiteral(": ") +
                                          QString::fromStdString(qdm::ErrorText(ENOENT)) +
                                          qdm::ui::QLit("\n已处理1个文件，其余文件未改动。"));
    EXPECT_EQ(Field(dialog, "status"), qdm::ui::QLit("处理中止：无法读取多音字词典"));
    EXPECT_TRUE(Enabled(dialog, "ok"));
    EXPECT_FALSE(Enabled(dialog, "interrupt"));
    EXPECT_EQ(Read(Path("books/a.txt")), m_done);
    EXPECT_EQ(Read(Path("books/b.txt")), m_book);
    EXPECT_EQ(Read(Path("books/c.txt")), m_book);
}

}  // namespace
