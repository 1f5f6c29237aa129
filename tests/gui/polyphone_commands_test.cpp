// The four polyphone commands in the running editor, with its boxes and file dialogs
// answered by the test.
#include <QLineEdit>
#include <QTest>

#include "app/command_ids.h"
#include "editor/edit_box.h"
#include "harness.h"
#include "polyphone/poly_dict.h"
#include "polyphone_test_util.h"

namespace {

using guitest::G;
using polytest::ClickWhenEnabled;
using polytest::ModalUser;

class PolyCommands : public polytest::ScratchDir {
  protected:
    void SetUp() override {
        ScratchDir::SetUp();
        qdm::CPolyDict::SetDefaultPath(Path("kolb_polyphone.ini"));
    }
    void TearDown() override {
        qdm::CPolyDict::SetDefaultPath({});
        ScratchDir::TearDown();
    }
    std::vector<guitest::Box>& Boxes() { return m_editor.prompter.boxes; }
    guitest::Editor m_editor;
};

TEST_F(PolyCommands, TheTextCommandReplacesTheTextKeepsTheCaretLineAndReports) {
    WriteDict({{"行", "航"}});
    const int32_t caret = static_cast<int32_t>(G("行\r\n第二").size());
    m_editor.SetText(G("行\r\n第二行文字"), caret, caret);
    const int32_t records = m_editor.model().History().Count();
    ModalUser user(ClickWhenEnabled("ok"));
    ASSERT_TRUE(m_editor.Run(mked::ID_POLYPHONE_TEXT));

    EXPECT_EQ(m_editor.model().Text(), G("航\r\n第二航文字"));
    EXPECT_EQ(m_editor.Shown(), m_editor.ModelShown());
    EXPECT_EQ(m_editor.model().History().Count(), records);  // nothing to undo
    EXPECT_EQ(m_editor.Caret(), caret);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, qdm::QLit("处理多音字2个!"));
    EXPECT_EQ(Boxes()[0].caption, qdm::QLit("多音字处理结果"));
}

TEST_F(PolyCommands, CancellingTheTextCommandLeavesTheTextAndReportsZero) {
    WriteDict({{"行", "航"}});
    for (const bool escape : {false, true}) {
        m_editor.SetText(G("银行"));
        Boxes().clear();
        // Cancel comes once the run is over, the latest moment it can come.
        ModalUser user([escape](QDialog* d) {
            if (!d->findChild<QPushButton*>(QStringLiteral("ok"))->isEnabled()) return false;
            if (escape)
                QTest::keyClick(d, Qt::Key_Escape);
            else
                d->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
            return true;
        });
        ASSERT_TRUE(m_editor.Run(mked::ID_POLYPHONE_TEXT));
        EXPECT_EQ(m_editor.model().Text(), G("银行")) << escape;
        ASSERT_EQ(Boxes().size(), 1u) << escape;
        EXPECT_EQ(Boxes()[0].text, qdm::QLit("处理多音字0个!"));
    }
}

TEST_F(PolyCommands, TheFileCommandRewritesTheChosenFileOnlyWhenConfirmed) {
    WriteDict({{"重重", "众"}});
    const std::string book = Path("book.txt");
    Write(book, G("重重山\r\n"));
    m_editor.files.answers = {QString()};  // dismissed
    ASSERT_TRUE(m_editor.Run(mked::ID_POLYPHONE_FILE));
    ASSERT_EQ(m_editor.files.requests.size(), 1u);
    const mked::FileDialogRequest& request = m_editor.files.requests[0];
    EXPECT_EQ(request.mode, mked::FileDialogRequest::Open);
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].name, qdm::QLit("文本文件(*.txt;*.qdm)"));
    EXPECT_EQ(request.filters[0].patterns, QStringLiteral("*.txt;*.qdm"));
    EXPECT_EQ(request.filters[1].name, qdm::QLit("所有文件(*.*)"));
    EXPECT_TRUE(Boxes().empty());

    m_editor.files.answers = {qdm::QFromPath(book)};
    {
        ModalUser user(ClickWhenEnabled("cancel"));
        ASSERT_TRUE(m_editor.Run(mked::ID_POLYPHONE_FILE));
    }
    EXPECT_EQ(Read(book), G("重重山\r\n"));
    EXPECT_TRUE(Boxes().empty());

    m_editor.files.answers = {qdm::QFromPath(book)};
    ModalUser user(ClickWhenEnabled("ok"));
    ASSERT_TRUE(m_editor.Run(mked::ID_POLYPHONE_FILE));
    EXPECT_EQ(Read(book), G("众山\r\n"));  // shorter: the file ends where the text does
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, qdm::QLit("处理多音字1个!"));
}

TEST_F(PolyCommands, TheFileCommandNamesAFileItWillNotTouch) {
    WriteDict({{"a", "b"}});
    for (const std::string name : {"cover.qdm", "kolb_polyphone.ini"}) {
        if (name == "cover.qdm") Write(Path(name), std::string("a\0a", 3));
        const std::string before = Read(Path(name));
        m_editor.files.answers = {qdm::QFromPath(Path(name))};
        Boxes().clear();
        ASSERT_TRUE(m_editor.Run(mked::ID_POLYPHONE_FILE));
        EXPECT_EQ(Read(Path(name)), before) << name;
        ASSERT_EQ(Boxes().size(), 1u) << name;
        EXPECT_TRUE(Boxes()[0].text.contains(qdm::QFromPath(Path(name)))) << name;
    }
}

TEST_F(PolyCommands, TheDirectoryCommandAsksForTheBookDirectoryAndRunsTheBatch) {
    WriteDict({{"行", "航"}});
    Write(Path("books/a.txt"), G("行"));
    m_editor.files.answers = {QString()};
    ASSERT_TRUE(m_editor.Run(mked::ID_POLYPHONE_DIR));
    ASSERT_EQ(m_editor.files.requests.size(), 1u);
    EXPECT_EQ(m_editor.files.requests[0].mode, mked::FileDialogRequest::Folder);
    EXPECT_EQ(m_editor.files.requests[0].title, qdm::QLit("请选择书籍目录..."));
    EXPECT_EQ(Read(Path("books/a.txt")), G("行"));

    m_editor.files.answers = {qdm::QFromPath(Path("books"))};
    ModalUser user(ClickWhenEnabled("ok"));
    ASSERT_TRUE(m_editor.Run(mked::ID_POLYPHONE_DIR));
    EXPECT_EQ(Read(Path("books/a.txt")), G("航"));
    EXPECT_TRUE(Boxes().empty());  // the batch shows no box
}

TEST_F(PolyCommands, TheSettingsCommandEditsTheDictionaryBesideTheProgram) {
    WriteDict({{"行", "航"}});
    ModalUser user([](QDialog* d) {
        d->findChild<QLineEdit*>(QStringLiteral("word"))->setText(QStringLiteral("重"));
        d->findChild<QLineEdit*>(QStringLiteral("replacement"))->setText(QStringLiteral("众"));
        d->findChild<QPushButton*>(QStringLiteral("add"))->click();
        d->findChild<QPushButton*>(QStringLiteral("exit"))->click();
        return true;
    });
    ASSERT_TRUE(m_editor.Run(mked::ID_POLYPHONE_SETTINGS));
    EXPECT_EQ(Read(Path("kolb_polyphone.ini")), G("行======>>航\n重======>>众\n"));
}

}  // namespace
