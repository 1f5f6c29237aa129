// Unsaved text survives a killed editor: kept while modified, offered back at start-up.
// The editors that are killed run as child processes (this test program in its child mode,
// see RunRecoveryChild), so the kernel, not the test, drops their locks.
#include "editor/recovery.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/recovery_keeper.h"
#include "app/view.h"
#include "editor/edit_box.h"
#include "harness.h"
#include "polyphone_test_util.h"

namespace {

using namespace qdm::ui;
using namespace guitest;

const std::string kBook = G("<vsection=1>\r\n第一章\r\n</vsection> \r\n");
constexpr int kYes = 0, kNo = 1;

qdm::ui::RecoveryKeeper& Keeper(Editor& ed) {
    return ed.app().Recovery();
}

std::string Kept(Editor& ed) {
    Keeper(ed).Wait();
    const qdm::RecoveryFile* file = Keeper(ed).File();
    return file ? ReadFile(QString::fromStdString(file->TextPath())) : "<no recovery file>";
}

size_t FilesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).size();
}

// Runs this program as an editor on `book`, which types "改" at the start; `mode` "kill"
// keeps the text and waits to be killed, "term" waits for a signal.
class ChildEditor {
  public:
    ChildEditor(const QString& stateDir, const QString& mode, const QString& book,
                const QString& tmp) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmp);  // what a killed child leaves stays there
        m_process.setProcessEnvironment(env);
        m_process.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--recovery-child"), stateDir, mode, book});
    }
    ~ChildEditor() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    bool WaitFor(const QByteArray& line) {
        QElapsedTimer clock;
        clock.start();
        while (!m_out.contains(line) && clock.elapsed() < 30000) {
            m_process.waitForReadyRead(1000);
            m_out += m_process.readAllStandardOutput();
        }
        return m_out.contains(line);
    }
    // The exit status, or 128 + the signal that ended it.
    int Signal(int signo) {
        ::kill(static_cast<pid_t>(m_process.processId()), signo);
        if (!m_process.waitForFinished(30000)) return -1;
        return m_process.exitStatus() == QProcess::CrashExit ? 128 + signo : m_process.exitCode();
    }

  private:
    QProcess m_process;
    QByteArray m_out;
};

class Recovery : public ::testing::Test {
  protected:
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QString StateDir() const { return Path(QStringLiteral("state/mked")); }
    QString Tmp() const {
        QDir(m_dir.path()).mkpath(QStringLiteral("tmp"));
        return Path(QStringLiteral("tmp"));
    }

  private:
    QTemporaryDir m_dir;
};

TEST_F(Recovery, AModifiedTextIsKeptOnTheTimerAndDroppedWhenSaved) {
    Editor ed;
    WriteFile(ed.Path("a.txt"), kBook);
    ed.files.answers = {ed.Path("a.txt")};
    ASSERT_TRUE(ed.Run(ID_FILE_OPEN));
    Keeper(ed).SetInterval(10);
    QTest::qWait(50);
    EXPECT_EQ(Kept(ed), "<missing>");  // nothing to keep while unmodified

    ed.Type(QStringLiteral("改"));
    QTest::qWait(50);
    EXPECT_EQ(Kept(ed), std::string(ed.model().Text()));
    ed.Type(QStringLiteral("过"));
    QTest::qWait(50);
    EXPECT_EQ(Kept(ed), std::string(ed.model().Text()));

    ed.Key(Qt::Key_Z, Qt::ControlModifier);
    ed.Key(Qt::Key_Z, Qt::ControlModifier);  // back to the text as loaded
    EXPECT_EQ(Kept(ed), "<missing>");

    ed.Type(QStringLiteral("改"));
    QTest::qWait(50);
    ASSERT_NE(Kept(ed), "<missing>");
    ASSERT_TRUE(ed.Run(ID_FILE_SAVE));
    EXPECT_EQ(Kept(ed), "<missing>");
}

TEST_F(Recovery, ALargeTextIsKeptWhole) {
    Editor ed;
    std::string book;
    while (book.size() <= qdm::ui::RecoveryKeeper::kPreparedFrom) book += kBook;
    ed.SetText(book);
    ed.Type(QStringLiteral("改"));
    Keeper(ed).Tick();
    EXPECT_EQ(Kept(ed), std::string(ed.model().Text()));
}

TEST_F(Recovery, ACleanExitLeavesNothingBehind) {
    Editor ed({}, StateDir(), {});
    ed.Type(QStringLiteral("x"));
    Keeper(ed).Tick();
    ASSERT_NE(Kept(ed), "<missing>");
    ed.prompter.answers = {1};  // 不保存
    ASSERT_TRUE(ed.Run(ID_APP_EXIT));
    EXPECT_EQ(FilesIn(StateDir()), 0u);
}

TEST_F(Recovery, AKilledEditorsTextIsOfferedAndRestoredExactly) {
    const QString book = Path(QStringLiteral("a.txt"));
    WriteFile(book, kBook);
    {
        ChildEditor child(StateDir(), QStringLiteral("kill"), book, Tmp());
        ASSERT_TRUE(child.WaitFor("kept"));
        ASSERT_EQ(child.Signal(SIGKILL), 128 + SIGKILL);
    }
    const QDateTime now = QDateTime::currentDateTime();

    Editor ed({}, StateDir(), {kYes});
    ASSERT_EQ(ed.prompter.questions.size(), 1u);
    const guitest::Question& q = ed.prompter.questions[0];
    const QRegularExpression shape(
        QStringLiteral("^发现未保存的文本 \\((.{19})\\)，是否恢复\\?\n原文件：(.*)$"));
    const QRegularExpressionMatch m = shape.match(q.text);
    ASSERT_TRUE(m.hasMatch()) << q.text.toStdString();
    EXPECT_EQ(m.captured(2), book);
    const QDateTime when =
        QDateTime::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    EXPECT_LE(std::abs(when.secsTo(now)), 60);
    EXPECT_EQ(q.buttons, QStringList({QStringLiteral("是"), QStringLiteral("否")}));

    EXPECT_EQ(ed.model().Text(), G("改") + kBook);
    EXPECT_EQ(ed.model().GetFilePath(), book.toStdString());
    EXPECT_EQ(ed.frame().windowTitle(), QStringLiteral("a.txt*"));
    EXPECT_EQ(ed.Shown(), ed.ModelShown());

    // The text is this editor's now: a second editor is not offered it; a save ends it.
    {
        Editor second({}, StateDir(), {});
        EXPECT_TRUE(second.prompter.questions.empty());
    }
    ASSERT_TRUE(ed.Run(ID_FILE_SAVE));
    EXPECT_EQ(ReadFile(Path(QStringLiteral("a.qdm"))), G("改") + kBook);
    EXPECT_EQ(Kept(ed), "<missing>");
}

TEST_F(Recovery, SigtermKeepsTheTextAndEndsTheEditor) {
    const QString book = Path(QStringLiteral("b.txt"));
    WriteFile(book, kBook);
    ChildEditor child(StateDir(), QStringLiteral("term"), book, Tmp());
    ASSERT_TRUE(child.WaitFor("ready"));
    EXPECT_EQ(child.Signal(SIGTERM), 128 + SIGTERM);

    auto left = qdm::FindLeftRecoveries(StateDir().toStdString());
    ASSERT_EQ(left.size(), 1u);
    std::string text;
    ASSERT_TRUE(left[0].Load(text));
    EXPECT_EQ(text, G("改") + kBook);
    EXPECT_EQ(left[0].origin.path, book.toStdString());
    EXPECT_EQ(left[0].origin.name, "b.txt");
}

// Texts planted as an editor that ended without a clean exit leaves them.
void Leave(const QString& dir, const std::string& text, const qdm::RecoveryOrigin& origin = {}) {
    qdm::IoStatus status;
    auto file = qdm::RecoveryFile::Create(dir.toStdString(), status);
    ASSERT_TRUE(file) << status.Describe();
    ASSERT_TRUE(file->WriteNow(text, origin));
}

TEST_F(Recovery, AClosedQuestionKeepsTheTextAndNoDeletesIt) {
    Leave(StateDir(), "left");
    {
        Editor ed({}, StateDir(), {});  // the question is closed: nothing happens
        EXPECT_EQ(ed.prompter.questions.size(), 1u);
        EXPECT_FALSE(ed.model().IsModified());
    }
    {
        Editor ed({}, StateDir(), {kNo});
        EXPECT_EQ(ed.prompter.questions.size(), 1u);
        EXPECT_NE(ed.model().Text(), "left");
    }
    Editor ed({}, StateDir(), {});
    EXPECT_TRUE(ed.prompter.questions.empty());
}

// The real question box, as a user meets it at start-up.
TEST_F(Recovery, EscapeOrTheCloseBoxOnTheRealQuestionKeepsTheTextForTheNextStart) {
    const std::string book = Path(QStringLiteral("书.txt")).toStdString();
    Leave(StateDir(), "left", {book, "书.txt"});
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "the close box");
        QString asked;
        int tries = 0;
        polytest::ModalUser user([&](QDialog* d) {
            auto* box = qobject_cast<QMessageBox*>(d);
            if (!box) return false;
            if (++tries > 1) {  // still open: answer 否, which the count below shows
                box->buttons().at(1)->click();
                return true;
            }
            asked = box->text();
            if (escape)
                QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Escape);
            else
                box->close();
            return false;
        });
        FileDialogs files;
        AppearanceDialogs appearance;
        EncodingPrompter encoding;
        {
            CmkedApp app(Services{nullptr, &files, &appearance, nullptr, &encoding},
                         StateDir().toStdString());
            app.InitInstance({});
            EXPECT_FALSE(app.View().Edit().IsModified());
        }
        EXPECT_EQ(tries, 1);
        EXPECT_TRUE(asked.endsWith(QStringLiteral("\n原文件：") + QString::fromStdString(book)))
            << asked.toStdString();
        std::vector<qdm::LeftRecovery> left = qdm::FindLeftRecoveries(StateDir().toStdString());
        ASSERT_EQ(left.size(), 1u);
        std::string text;
        ASSERT_TRUE(left[0].Load(text));
        EXPECT_EQ(text, "left");
    }
}

TEST_F(Recovery, AnotherRunningEditorsTextIsLeftAlone) {
    Editor first({}, StateDir(), {});
    first.Type(QStringLiteral("x"));
    Keeper(first).Tick();
    const std::string kept = Kept(first);
    ASSERT_EQ(kept, std::string(first.model().Text()));
    {
        Editor second({}, StateDir(), {kNo});
        EXPECT_TRUE(second.prompter.questions.empty());
        ASSERT_TRUE(second.Run(ID_APP_EXIT));
    }
    EXPECT_EQ(Kept(first), kept);
}

}  // namespace
