// Open, Save, Save As and New on real files in a temporary directory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDevice>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/recent_files.h"
#include "app/view.h"
#include "editor/edit_box.h"
#include "harness.h"

namespace {

using namespace qdm::ui;
using namespace guitest;

const std::string kBook = G("<vsection=1>\r\n第一章\r\n</vsection> \r\n");

QString Caption(Editor& ed) {
    return ed.frame().windowTitle();
}
const QString kDefaultCaption = QStringLiteral("QDM文件编辑器---Norvane科技有限公司");

TEST(FileCommands, OpenSaveSaveAsAndNewFollowTheStateTable) {
    Editor ed;
    EXPECT_EQ(Caption(ed), kDefaultCaption);
    const QString txt = ed.Path("a.txt");
    WriteFile(txt, kBook);

    ed.files.answers = {txt};
    ASSERT_TRUE(ed.Run(ID_FILE_OPEN));
    EXPECT_EQ(ed.model().Text(), kBook);
    EXPECT_EQ(ed.Caret(), 0);
    EXPECT_EQ(Caption(ed), QStringLiteral("a.txt"));
    EXPECT_EQ(ed.view().m_strFileName, "a.txt");

    ed.Type(QStringLiteral("改"));
    ASSERT_TRUE(ed.Run(ID_FILE_SAVE));  // to a.qdm beside it, without asking
    EXPECT_EQ(ed.files.requests.size(), 1u);
    EXPECT_EQ(ReadFile(ed.Path("a.qdm")), ed.model().Text());
    EXPECT_EQ(ReadFile(txt), kBook);
    EXPECT_EQ(Caption(ed), QStringLiteral("a.txt"));
    EXPECT_EQ(ed.model().GetFilePath(), ed.Path("a.qdm").toStdString());

    QDir(ed.Path("")).mkdir(QStringLiteral("c"));
    ed.files.answers = {ed.Path("c/x.qdm")};
    ASSERT_TRUE(ed.Run(ID_FILE_SAVE_AS));
    EXPECT_EQ(ed.files.requests.back().proposedName, QStringLiteral("a.txt"));
    EXPECT_EQ(ReadFile(ed.Path("c/x.qdm")), ed.model().Text());
    EXPECT_EQ(Caption(ed), QStringLiteral("x.qdm"));

    ed.Key(Qt::Key_N, Qt::ControlModifier);  // New: the introduction, in no file
    EXPECT_EQ(ed.model().Text().substr(0, 1), "\t");
    EXPECT_EQ(Caption(ed), kDefaultCaption);
    EXPECT_TRUE(ed.model().GetFilePath().empty());
    EXPECT_TRUE(ed.prompter.boxes.empty());
    EXPECT_EQ(ed.Shown(), ed.ModelShown());
}

TEST(FileCommands, SaveAfterNewAsksForANameAndLeavesThePreviousBookAlone) {
    Editor ed;
    const QString qdm = ed.Path("book.qdm");
    WriteFile(qdm, kBook);
    ed.files.answers = {qdm};
    ASSERT_TRUE(ed.Run(ID_FILE_OPEN));
    ASSERT_TRUE(ed.Run(ID_FILE_NEW));
    EXPECT_FALSE(ed.Enabled(ID_FILE_REOPEN_ENCODING));  // there is no file to reopen

    ed.files.answers = {QString()};  // the save dialog is cancelled
    ASSERT_TRUE(ed.Run(ID_FILE_SAVE));
    ASSERT_EQ(ed.files.requests.size(), 2u);
    EXPECT_EQ(ed.files.requests[1].mode, FileDialogRequest::Save);
    EXPECT_EQ(ed.files.requests[1].directory, ed.Path(""));  // where the last book was
    EXPECT_EQ(ReadFile(qdm), kBook);

    ed.files.answers = {ed.Path("new.qdm")};
    ASSERT_TRUE(ed.Run(ID_FILE_SAVE));
    EXPECT_EQ(ReadFile(ed.Path("new.qdm")), ed.model().Text());
    EXPECT_EQ(ReadFile(qdm), kBook);
    EXPECT_EQ(Caption(ed), QStringLiteral("new.qdm"));
}

TEST(FileCommands, DialogsOfferTheirFiltersAndDefaultExtension) {
    Editor ed;
    ed.SetText("plain");
    ed.Run(ID_FILE_OPEN);
    ed.Run(ID_FILE_SAVE);  // no file yet: asks, and is cancelled
    ed.Run(ID_FILE_SAVE_AS);
    ASSERT_EQ(ed.files.requests.size(), 3u);
    struct Want {
        FileDialogRequest::Mode mode;
        const char* suffix;
        const char* first;
        const char* pattern;
    };
    const Want want[] = {
        {FileDialogRequest::Open, "", "文本文件(*.txt;*.qdm)", "*.txt;*.qdm"},
        {FileDialogRequest::Save, "qdm", "QDM文件(*.qdm)", "*.qdm"},
        {FileDialogRequest::Save, "qdm", "qdm文件(*.qdm)", "*.qdm"},
    };
    for (size_t i = 0; i < 3; ++i) {
        const FileDialogRequest& r = ed.files.requests[i];
        EXPECT_EQ(r.mode, want[i].mode);
        EXPECT_EQ(r.defaultSuffix, QString::fromUtf8(want[i].suffix));
        ASSERT_EQ(r.filters.size(), 2);
        EXPECT_EQ(r.filters[0].name, QString::fromUtf8(want[i].first));
        EXPECT_EQ(r.filters[0].patterns, QString::fromUtf8(want[i].pattern));
        EXPECT_EQ(r.filters[1].name, QStringLiteral("所有文件(*.*)"));
    }
    EXPECT_TRUE(QDir(ed.Path("")).entryList(QDir::Files).isEmpty());  // nothing written
    EXPECT_EQ(Caption(ed), kDefaultCaption);
}

TEST(FileCommands, SaveWritesBesideTheFileOnlyForALowerCaseTxt) {
    struct Case {
        const char* open;
        const char* written;
    };
    const Case cases[] = {{"A.TXT", "A.TXT"}, {"b.qdm", "b.qdm"}, {"c.txt.bak", "c.bak.qdm"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.open);
        Editor ed;
        WriteFile(ed.Path(c.open), kBook);
        ed.files.answers = {ed.Path(c.open)};
        ed.Run(ID_FILE_OPEN);
        ed.Type(QStringLiteral("x"));
        ed.Run(ID_FILE_SAVE);
        EXPECT_EQ(ReadFile(ed.Path(c.written)), ed.model().Text());
    }
}

TEST(FileCommands, AMarkupFaultStopsBothSavesWithTheCheckersMessage) {
    Editor ed;
    WriteFile(ed.Path("a.txt"), G("无节<vemph>"));
    ed.files.answers = {ed.Path("a.txt")};
    ed.Run(ID_FILE_OPEN);
    ed.Run(ID_FILE_SAVE);
    ed.Run(ID_FILE_SAVE_AS);
    ASSERT_EQ(ed.prompter.boxes.size(), 2u);
    for (const guitest::Box& b : ed.prompter.boxes)
        EXPECT_EQ(b.caption, QStringLiteral("QDM检查出错"));
    EXPECT_EQ(ed.files.requests.size(), 1u);  // Save As did not ask for a name
    EXPECT_FALSE(QFile::exists(ed.Path("a.qdm")));
}

TEST(FileCommands, AFileThatCannotBeReadIsReportedAndChangesNothing) {
    Editor ed;
    ed.SetText("kept", 2, 2);
    const QString missing = ed.Path("missing.txt");
    ed.files.answers = {missing};
    ed.Run(ID_FILE_OPEN);
    ASSERT_EQ(ed.prompter.boxes.size(), 1u);
    EXPECT_TRUE(ed.prompter.boxes[0].text.contains(missing));
    EXPECT_TRUE(ed.prompter.boxes[0].text.contains(QStringLiteral("没有那个文件或目录")));
    EXPECT_EQ(ed.model().Text(), "kept");
    EXPECT_EQ(Caption(ed), kDefaultCaption);
    EXPECT_EQ(ed.view().m_strFileName, "");
    EXPECT_TRUE(ed.model().GetFilePath().empty());
}

TEST(FileCommands, AFailedSaveIsReportedAndNamesNothingNew) {
    Editor ed;
    ed.SetText("text");
    const QString nowhere = ed.Path("no/such/dir/x.qdm");
    ed.files.answers = {nowhere};
    ed.Run(ID_FILE_SAVE_AS);
    ASSERT_EQ(ed.prompter.boxes.size(), 1u);
    EXPECT_TRUE(ed.prompter.boxes[0].text.contains(nowhere));
    EXPECT_EQ(ed.prompter.boxes[0].caption, QStringLiteral("mked"));
    EXPECT_EQ(Caption(ed), kDefaultCaption);
    EXPECT_TRUE(ed.model().GetFilePath().empty());

    // Save's derived path fails too: d.qdm is a directory.
    WriteFile(ed.Path("d.txt"), kBook);
    QDir(ed.Path("")).mkdir(QStringLiteral("d.qdm"));
    ed.files.answers = {ed.Path("d.txt")};
    ed.Run(ID_FILE_OPEN);
    ed.Run(ID_FILE_SAVE);
    ASSERT_EQ(ed.prompter.boxes.size(), 2u);
    EXPECT_TRUE(ed.prompter.boxes[1].text.contains(ed.Path("d.qdm")));
    EXPECT_TRUE(ed.prompter.boxes[1].text.contains(QStringLiteral("是一个目录")));
    EXPECT_EQ(ed.model().GetFilePath(), ed.Path("d.txt").toStdString());
}

TEST(FileCommands, ANulByteCutsTheTextAndIsWarnedAboutWithItsLineAndColumn) {
    const struct {
        std::string bytes;
        const char* where;
    } cases[] = {
        {std::string("ab\0cd", 5), "第 1 行第 3 列（第 3 个字节）"},
        {std::string("\0", 1), "第 1 行第 1 列（第 1 个字节）"},
        {G("a\r\n宋b") + std::string("\0\r\n", 3), "第 2 行第 3 列（第 7 个字节）"},
    };
    for (const auto& c : cases) {
        Editor ed;
        WriteFile(ed.Path("n.txt"), c.bytes);
        ed.files.answers = {ed.Path("n.txt")};
        ed.Run(ID_FILE_OPEN);
        EXPECT_EQ(ed.model().Text(), c.bytes.substr(0, c.bytes.find('\0')));
        EXPECT_EQ(Caption(ed), QStringLiteral("n.txt"));
        ASSERT_EQ(ed.prompter.boxes.size(), 1u);
        EXPECT_TRUE(ed.prompter.boxes[0].text.contains(QString::fromUtf8(c.where)))
            << ed.prompter.boxes[0].text.toStdString();
    }
}

TEST(FileCommands, OpenAndSaveAsFillTheRecentListWhichOpensLikeOpen) {
    Editor ed;
    for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt", "5.txt"}) {
        WriteFile(ed.Path(name), kBook + name);
        ed.files.answers = {ed.Path(name)};
        ed.Run(ID_FILE_OPEN);
    }
    RecentFiles fresh;  // read back from the settings store
    EXPECT_EQ(fresh.Files(), QStringList({ed.Path("5.txt"), ed.Path("4.txt"), ed.Path("3.txt"),
                                          ed.Path("2.txt")}));
    EXPECT_TRUE(ed.frame().Action(ID_FILE_MRU_FILE1 + 3)->text().startsWith("&4 "));

    ASSERT_TRUE(ed.Run(ID_FILE_MRU_FILE1 + 2));
    EXPECT_EQ(ed.model().Text(), kBook + "3.txt");
    EXPECT_EQ(Caption(ed), QStringLiteral("3.txt"));

    QFile::remove(ed.Path("2.txt"));
    ASSERT_TRUE(ed.Run(ID_FILE_MRU_FILE1 + 3));
    EXPECT_EQ(ed.prompter.boxes.size(), 1u);
    EXPECT_EQ(RecentFiles().Files().size(), 3);

    // The name the open book (3.txt) was saved under is the one to reopen it by, ahead of its
    // old name.
    ed.files.answers = {ed.Path("saved.qdm")};
    ASSERT_TRUE(ed.Run(ID_FILE_SAVE_AS));
    EXPECT_EQ(RecentFiles().Files().value(0), ed.Path("saved.qdm"));
    EXPECT_EQ(RecentFiles().Files().value(1), ed.Path("3.txt"));
    EXPECT_TRUE(ed.frame().Action(ID_FILE_MRU_FILE1)->text().endsWith("saved.qdm"));
}

TEST(Startup, AFileOnTheCommandLineOpensAsOpenWouldOpenIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("书.txt"));
    WriteFile(path, kBook);
    Editor ed({path});
    EXPECT_EQ(ed.model().Text(), kBook);
    EXPECT_EQ(Caption(ed), QStringLiteral("书.txt"));
    EXPECT_EQ(RecentFiles().Files().value(0), path);
}

// A reader the editor left waiting on `fifo` gets an end of file after a second, so a
// regression fails the test instead of hanging it.
class FifoGuard {
  public:
    explicit FifoGuard(const QString& fifo)
        : m_path(QFile::encodeName(fifo).toStdString()), m_thread([this] { Run(); }) {}
    ~FifoGuard() {
        m_done = true;
        m_thread.join();
    }

  private:
    void Run() {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (!m_done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (std::chrono::steady_clock::now() < until) continue;
            const int fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
    }
    std::string m_path;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

TEST(FileCommands, AFifoOnTheCommandLineOrInTheRecentListIsRefusedWithinASecond) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    FifoGuard guard(fifo);
    const QString refusal = QStringLiteral("无法打开文件“%1”：\n不是普通文件").arg(fifo);

    QElapsedTimer clock;
    clock.start();
    Editor ed({fifo});
    EXPECT_LT(clock.elapsed(), 1000);
    ASSERT_EQ(ed.prompter.boxes.size(), 1u);
    EXPECT_TRUE(ed.prompter.boxes[0].text.startsWith(refusal))
        << ed.prompter.boxes[0].text.toStdString();
    EXPECT_EQ(Caption(ed), kDefaultCaption);
    EXPECT_TRUE(ed.model().GetFilePath().empty());

    ed.app().Recent().Add(fifo);
    clock.restart();
    ASSERT_TRUE(ed.Run(ID_FILE_MRU_FILE1));
    EXPECT_LT(clock.elapsed(), 1000);
    ASSERT_EQ(ed.prompter.boxes.size(), 2u);
    EXPECT_TRUE(ed.prompter.boxes[1].text.startsWith(refusal));
    EXPECT_FALSE(ed.app().Recent().Files().contains(fifo));
    EXPECT_EQ(Caption(ed), kDefaultCaption);
}

}  // namespace
