// The four polyphone commands in the running editor, with its boxes and file dialogs
// answered by the test.
#include <QTest>
#include <QTreeWidget>

#include "app/command_ids.h"
#include "app/view.h"
#include "editor/edit_box.h"
#include "editor/ui/edit_area.h"
#include "polyphone/poly_dict.h"
#include "polyphone_test_util.h"

namespace {

using namespace polytest;
using guitest::G;

class PolyCommands : public ScratchDir {
  protected:
    void SetUp() override {
        ScratchDir::SetUp();
        qdm::CPolyDict::SetDefaultPath(Path("kolb_polyphone.ini"));
    }
    void TearDown() override {
        qdm::CPolyDict::SetDefaultPath({});
        ScratchDir::TearDown();
    }
    bool RunAnswering(int command, std::function<bool(QDialog*)> user) {
        ModalUser answering(std::move(user));
        return m_editor.Run(command);
    }
    std::vector<guitest::Box>& Boxes() { return m_editor.prompter.boxes; }
    guitest::Editor m_editor;
};

TEST_F(PolyCommands, TheTextCommandReplacesTheTextOnOkKeepsTheCaretLineAndReports) {
    WriteDict({{"行", "航"}});
    const auto caret = static_cast<int32_t>(G("行\r\n第二").size());
    m_editor.SetText(G("行\r\n第二行文字"), caret, caret);
    // Cancel, even once the run is over, leaves the text and reports 0.
    ASSERT_TRUE(RunAnswering(qdm::ui::ID_POLYPHONE_TEXT, [](QDialog* d) {
        if (!Enabled(*d, "ok")) return false;
        Child<QPushButton>(*d, "cancel")->click();
        return true;
    }));
    EXPECT_EQ(m_editor.model().Text(), G("行\r\n第二行文字"));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, qdm::ui::QLit("处理多音字0个!"));

    Boxes().clear();
    const int32_t records = m_editor.model().History().Count();
    ASSERT_TRUE(RunAnswering(qdm::ui::ID_POLYPHONE_TEXT, ClickWhenEnabled("ok")));
    EXPECT_EQ(m_editor.model().Text(), G("航\r\n第二航文字"));
    EXPECT_EQ(m_editor.Shown(), m_editor.ModelShown());
    EXPECT_EQ(m_editor.model().History().Count(), records);  // nothing to undo
    EXPECT_EQ(m_editor.Caret(), caret);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, qdm::ui::QLit("处理多音字2个!"));
    EXPECT_EQ(Boxes()[0].caption, qdm::ui::QLit("多音字处理结果"));
}

TEST_F(PolyCommands, TheFileCommandRewritesTheChosenFileOnlyWhenConfirmed) {
    WriteDict({{"重重", "众"}});
    const std::string book = Path("book.txt");
    Write(book, G("重重山\r\n"));
    m_editor.files.answers = {QString(), qdm::ui::QFromPath(book), qdm::ui::QFromPath(book)};
    ASSERT_TRUE(m_editor.Run(qdm::ui::ID_POLYPHONE_FILE));  // the chooser is dismissed
    const qdm::ui::FileDialogRequest& request = m_editor.files.requests.at(0);
    EXPECT_EQ(request.mode, qdm::ui::FileDialogRequest::Open);
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].name, qdm::ui::QLit("文本文件(*.txt;*.qdm)"));
    EXPECT_EQ(request.filters[0].patterns, "*.txt;*.qdm");
    EXPECT_EQ(request.filters[1].name, qdm::ui::QLit("所有文件(*.*)"));

    ASSERT_TRUE(RunAnswering(qdm::ui::ID_POLYPHONE_FILE, ClickWhenEnabled("cancel")));
    EXPECT_EQ(Read(book), G("重重山\r\n"));
    EXPECT_TRUE(Boxes().empty());

    ASSERT_TRUE(RunAnswering(qdm::ui::ID_POLYPHONE_FILE, ClickWhenEnabled("ok")));
    EXPECT_EQ(Read(book), G("众山\r\n"));  // shorter: the file ends where the text does
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, qdm::ui::QLit("处理多音字1个!"));
}

TEST_F(PolyCommands, TheFileCommandNamesAFileItWillNotTouch) {
    WriteDict({{"a", "b"}});
    Write(Path("cover.qdm"), std::string("a\0a", 3));  // not a text: the rest would be lost
    for (const std::string name : {"cover.qdm", "kolb_polyphone.ini"}) {
        const std::string before = Read(Path(name));
        m_editor.files.answers = {qdm::ui::QFromPath(Path(name))};
        Boxes().clear();
        ASSERT_TRUE(m_editor.Run(qdm::ui::ID_POLYPHONE_FILE));
        EXPECT_EQ(Read(Path(name)), before) << name;
        ASSERT_EQ(Boxes().size(), 1u) << name;
        EXPECT_TRUE(Boxes()[0].text.contains(qdm::ui::QFromPath(Path(name)))) << name;
    }
}

TEST_F(PolyCommands, TheDirectoryCommandAsksForTheBookDirectoryAndRunsTheBatch) {
    WriteDict({{"行", "航"}});
    Write(Path("books/a.txt"), G("行"));
    m_editor.files.answers = {QString(), qdm::ui::QFromPath(Path("books"))};
    ASSERT_TRUE(m_editor.Run(qdm::ui::ID_POLYPHONE_DIR));  // the chooser is dismissed
    EXPECT_EQ(m_editor.files.requests.at(0).mode, qdm::ui::FileDialogRequest::Folder);
    EXPECT_EQ(m_editor.files.requests.at(0).title, qdm::ui::QLit("请选择书籍目录..."));
    EXPECT_EQ(Read(Path("books/a.txt")), G("行"));

    ASSERT_TRUE(RunAnswering(qdm::ui::ID_POLYPHONE_DIR, ClickWhenEnabled("ok")));
    EXPECT_EQ(Read(Path("books/a.txt")), G("航"));
    EXPECT_TRUE(Boxes().empty());  // the batch shows no box
}

TEST_F(PolyCommands, TheSettingsCommandEditsTheDictionaryBesideTheProgram) {
    WriteDict({{"行", "航"}});
    ASSERT_TRUE(RunAnswering(qdm::ui::ID_POLYPHONE_SETTINGS, [](QDialog* d) {
        Child<QLineEdit>(*d, "word")->setText(QStringLiteral("重"));
        Child<QLineEdit>(*d, "replacement")->setText(QStringLiteral("众"));
        Child<QPushButton>(*d, "add")->click();
        Child<QPushButton>(*d, "exit")->click();
        return true;
    }));
    EXPECT_EQ(Read(Path("kolb_polyphone.ini")), G("行======>>航\n重======>>众\n"));
}

}  // namespace

namespace {

using namespace polytest;
using guitest::G;

TEST_F(PolyCommands, TheFileAndFolderChoosersStartInTheFolderOfTheBookOpen) {
    Write(Path("books/a.txt"), G("行"));
    ASSERT_TRUE(m_editor.view().OpenPath(qdm::ui::QFromPath(Path("books/a.txt"))));
    ASSERT_TRUE(m_editor.Run(qdm::ui::ID_POLYPHONE_FILE));  // both dismissed
    ASSERT_TRUE(m_editor.Run(qdm::ui::ID_POLYPHONE_DIR));
    ASSERT_EQ(m_editor.files.requests.size(), 2u);
    for (const qdm::ui::FileDialogRequest& r : m_editor.files.requests)
        EXPECT_EQ(r.directory, qdm::ui::QFromPath(Path("books")));
}

class PolyAuditCommand : public ScratchDir {
  protected:
    void SetUp() override { qdm::CPolyDict::SetDefaultPath(Path("kolb_polyphone.ini")); }
    void TearDown() override { qdm::CPolyDict::SetDefaultPath({}); }
    guitest::Editor m_editor;
};

QTreeWidgetItem* ContextItem(QDialog* d, const QString& text) {
    auto* tree = Child<QTreeWidget>(*d, "chars");
    const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    for (QTreeWidgetItem* item : found)
        if (item->parent()) return item;
    return nullptr;
}

TEST_F(PolyAuditCommand, ListsWhatTheDictionaryMissesJumpsToAContextAndAddsItToTheDictionary) {
    WriteDict({{"银行", "银航"}});
    const std::string text = G("银行行动。行动！银行");
    m_editor.SetText(text, 0, 0);
    int step = 0;
    QString firstRow, afterRow;
    int32_t selStart = -1, selEnd = -1;
    QString prefilledWord, prefilledReplacement;
    ModalUser user([&](QDialog* d) {
        if (step == 0) {  // the audit
            auto* tree = Child<QTreeWidget>(*d, "chars");
            firstRow = tree->topLevelItem(0)->text(0) + " " + tree->topLevelItem(0)->text(1) + " " +
                       tree->topLevelItem(0)->text(2);
            EXPECT_FALSE(Enabled(*d, "addToDict"));
            QTreeWidgetItem* context = ContextItem(d, QStringLiteral("行动"));
            if (!context) return true;
            tree->setCurrentItem(context);  // jumps to 行动 after the caret
            m_editor.model().GetSelection(selStart, selEnd);
            EXPECT_TRUE(Enabled(*d, "addToDict"));
            step = 1;
            // Opens the settings, modal: clicked from its own event, so that this timer
            // goes on serving the nested dialog.
            QTimer::singleShot(0, Child<QPushButton>(*d, "addToDict"), &QPushButton::click);
            return false;
        }
        if (step == 1) {  // the settings dialog, filled in
            if (!Child<QLineEdit>(*d, "word")) return false;
            prefilledWord = Field(*d, "word");
            prefilledReplacement = Field(*d, "replacement");
            Child<QPushButton>(*d, "add")->click();
            step = 2;
            Child<QPushButton>(*d, "exit")->click();
            return false;
        }
        auto* tree = Child<QTreeWidget>(*d, "chars");  // the audit again, refreshed
        afterRow = tree->topLevelItemCount() ? tree->topLevelItem(0)->text(0) : QString();
        Child<QPushButton>(*d, "close")->click();
        return true;
    });
    ASSERT_TRUE(m_editor.Run(qdm::ui::ID_POLYPHONE_AUDIT));
    EXPECT_EQ(firstRow, QStringLiteral("行 xing2/hang2 2"));
    EXPECT_EQ(selStart, static_cast<int32_t>(G("银行").size()));
    EXPECT_EQ(selEnd, static_cast<int32_t>(G("银行行动").size()));
    EXPECT_EQ(prefilledWord, QStringLiteral("行动"));
    EXPECT_FALSE(prefilledReplacement.isEmpty());
    EXPECT_EQ(
        Read(Path("kolb_polyphone.ini")).substr(0, G("银行======>>银航\n行动======>>").size()),
        G("银行======>>银航\n行动======>>"));
    EXPECT_EQ(afterRow, QString());  // every polyphonic character is now taken care of
}

TEST_F(PolyAuditCommand, TheDialogLeavesTheOccurrenceItSelectsInSight) {
    WriteDict({{"银行", "银航"}});
    std::string text;
    for (int i = 0; i < 200; ++i) text += G("银行\r\n");
    m_editor.SetText(text + G("行动\r\n") + text, 0, 0);
    QRect dialog, occurrence;
    ModalUser user([&](QDialog* d) {
        QTreeWidgetItem* context = ContextItem(d, QStringLiteral("行动"));
        if (!context) return true;
        Child<QTreeWidget>(*d, "chars")->setCurrentItem(context);
        QAbstractScrollArea& w = m_editor.widget();
        const QRect r = m_editor.area().CaretRect();  // the caret ends the selected occurrence
        occurrence = QRect(w.viewport()->mapToGlobal(r.topLeft()), r.size());
        occurrence.setLeft(w.viewport()->mapToGlobal(QPoint(0, 0)).x());
        dialog = d->frameGeometry();
        EXPECT_TRUE(w.viewport()->rect().contains(r)) << "not scrolled into view";
        Child<QPushButton>(*d, "close")->click();
        return true;
    });
    ASSERT_TRUE(m_editor.Run(qdm::ui::ID_POLYPHONE_AUDIT));
    ASSERT_FALSE(occurrence.isNull());
    EXPECT_FALSE(dialog.intersects(occurrence));
}

}  // namespace
