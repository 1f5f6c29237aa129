// The dictionary settings dialog.
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "polyphone/ui/dialog_duoyinzi_set.h"
#include "polyphone_test_util.h"

namespace {

using polytest::Boxes;
using qdm::CDialogDuoyinziSet;

class PolySettings : public polytest::ScratchDir {
  protected:
    void SetUp() override {
        ScratchDir::SetUp();
        m_file = Path("kolb_polyphone.ini");
        m_dict = std::make_unique<qdm::CPolyDict>(m_file);
    }
    std::unique_ptr<CDialogDuoyinziSet> Open() {
        auto d = std::make_unique<CDialogDuoyinziSet>(*m_dict, m_boxes.Prompter());
        d->show();
        QApplication::setActiveWindow(d.get());
        return d;
    }
    static QLineEdit* Edit(QDialog& d, const char* name) {
        return d.findChild<QLineEdit*>(QLatin1String(name));
    }
    static QListWidget* List(QDialog& d) { return d.findChild<QListWidget*>(); }
    // Types `utf8` into the field one character at a time, as a keyboard would.
    static void Type(QLineEdit* edit, const std::string& utf8) {
        edit->setFocus();
        for (const QChar c : QString::fromStdString(utf8)) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &press);
        }
    }
    static void Add(QDialog& d, const std::string& word, const std::string& replacement) {
        Edit(d, "word")->setText(QString::fromStdString(word));
        Edit(d, "replacement")->setText(QString::fromStdString(replacement));
        d.findChild<QPushButton*>(QStringLiteral("add"))->click();
    }
    std::string LastMessage() const {
        return m_boxes.shown.empty() ? std::string() : m_boxes.shown.back().text;
    }
    std::string m_file;
    std::unique_ptr<qdm::CPolyDict> m_dict;
    Boxes m_boxes;
};

TEST_F(PolySettings, AddingRefusesWhatTheDictionaryCannotTakeWithAWarning) {
    Write(m_file, gbk::Lit("银行======>>银航\n"));
    auto d = Open();
    struct Case {
        const char* word;
        const char* replacement;
        const char* message;
    };
    const Case cases[] = {{"", "航", "请输入要设置的多音字内容"},
                          {"行", "", "请输入要设置的拼音"},
                          {"银行", "银航", "项目已存在"}};
    for (const Case& c : cases) {
        Add(*d, c.word, c.replacement);
        EXPECT_EQ(LastMessage(), gbk::Lit(c.message)) << c.message;
        EXPECT_EQ(m_boxes.shown.back().caption, gbk::Lit("警告"));
        EXPECT_EQ(Edit(*d, "word")->text(), QString::fromUtf8(c.word));  // kept as typed
    }
    EXPECT_EQ(List(*d)->count(), 1);
}

TEST_F(PolySettings, NewRowsGoToTheEndUnsortedSelectedWithTheFieldsEmptied) {
    Write(m_file, gbk::Lit("重庆======>>虫庆\n银行======>>银航\n"));
    auto d = Open();
    m_boxes.shown.clear();
    Add(*d, "银行", "银杭");  // the same word with another replacement is a further row
    Add(*d, "ab", "cd");
    EXPECT_TRUE(m_boxes.shown.empty());
    const std::vector<std::string> rows = {gbk::Lit("重庆======>>虫庆"),
                                           gbk::Lit("银行======>>银航"),
                                           gbk::Lit("银行======>>银杭"), "ab======>>cd"};
    EXPECT_EQ(d->Rows(), rows);
    EXPECT_EQ(List(*d)->item(3)->text(), QStringLiteral("ab======>>cd"));
    EXPECT_TRUE(List(*d)->item(3)->isSelected());
    EXPECT_TRUE(Edit(*d, "word")->text().isEmpty());
    EXPECT_TRUE(Edit(*d, "replacement")->text().isEmpty());
    EXPECT_TRUE(Edit(*d, "word")->hasFocus());
}

TEST_F(PolySettings, EnterInEitherFieldAdds) {
    auto d = Open();
    for (const char* field : {"word", "replacement"}) {
        Edit(*d, "word")->setText(QString::fromLatin1(field));
        Edit(*d, "replacement")->setText(QStringLiteral("x"));
        QTest::keyClick(Edit(*d, field), Qt::Key_Return);
    }
    EXPECT_EQ(d->Rows(), (std::vector<std::string>{"word======>>x", "replacement======>>x"}));
}

TEST_F(PolySettings, DeletionSelectsTheRowThatTookThePlaceOrTheOneBefore) {
    Write(m_file, "a======>>1\nb======>>2\nc======>>3\n");
    auto d = Open();
    QListWidget* list = List(*d);
    auto del = [&] { d->findChild<QPushButton*>(QStringLiteral("delete"))->click(); };
    m_boxes.shown.clear();
    del();
    EXPECT_EQ(LastMessage(), gbk::Lit("请选择要删除的项目"));

    list->setCurrentRow(1);
    del();  // b goes, c takes its place
    EXPECT_EQ(d->Rows(), (std::vector<std::string>{"a======>>1", "c======>>3"}));
    EXPECT_TRUE(list->item(1)->isSelected());
    del();  // the last row goes, the one before it is selected
    EXPECT_TRUE(list->item(0)->isSelected());
    del();  // the only row goes
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_EQ(m_boxes.shown.size(), 1u);
}

TEST_F(PolySettings, FieldsStopAtTheirByteLimitWhenTypingAndPasting) {
    auto d = Open();
    QLineEdit* word = Edit(*d, "word");
    Type(word, "一二三四五六七八");  // 16 bytes: the eighth character does not fit
    EXPECT_EQ(word->text(), QStringLiteral("一二三四五六七"));
    Type(word, "xy");  // one byte is left
    EXPECT_EQ(word->text(), QStringLiteral("一二三四五六七x"));

    QLineEdit* replacement = Edit(*d, "replacement");
    replacement->setText(QStringLiteral("ab"));
    replacement->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("一二三四五六七八九十"));
    replacement->paste();  // 2 + 20 bytes: the paste keeps what fits
    EXPECT_EQ(replacement->text(), QStringLiteral("ab一二三四五六七八九"));
    QApplication::clipboard()->setText(QStringLiteral("\U0001F600"));  // GBK has no emoji
    replacement->clear();
    replacement->paste();
    EXPECT_TRUE(replacement->text().isEmpty());
}

TEST_F(PolySettings, ExitAndTheCloseBoxSaveEscapeDoesNot) {
    const std::string before = "a======>>1\r\nb======>>2\n";
    struct Case {
        const char* how;
        std::string after;
    };
    const Case cases[] = {{"exit", "a======>>1\r\nb======>>2\na======>>1\n"},
                          {"close", "a======>>1\r\nb======>>2\na======>>1\n"},
                          {"escape", before}};
    for (const Case& c : cases) {
        Write(m_file, before);
        auto d = Open();
        // A CR LF line keeps its CR, so the same entry typed again is a new row.
        Add(*d, "a", "1");
        EXPECT_EQ(d->Rows().size(), 3u) << c.how;
        const std::string how = c.how;
        if (how == "exit")
            d->findChild<QPushButton*>(QStringLiteral("exit"))->click();
        else if (how == "close")
            d->close();
        else
            QTest::keyClick(d.get(), Qt::Key_Escape);
        EXPECT_FALSE(d->isVisible()) << c.how;
        EXPECT_EQ(d->result(), how == "exit" ? QDialog::Accepted : QDialog::Rejected) << c.how;
        EXPECT_EQ(Read(m_file), c.after) << c.how;
    }
}

TEST_F(PolySettings, AMissingFileIsReportedAndTheFirstExitCreatesIt) {
    auto d = Open();
    ASSERT_EQ(m_boxes.shown.size(), 1u);
    EXPECT_EQ(m_boxes.shown[0].text, gbk::Lit("加载kolb_polyphone.ini错误"));
    EXPECT_EQ(m_boxes.shown[0].caption, gbk::Lit("打开多音字配置文件错误"));
    EXPECT_EQ(List(*d)->count(), 0);
    Add(*d, "行", "航");
    d->findChild<QPushButton*>(QStringLiteral("exit"))->click();
    EXPECT_EQ(Read(m_file), gbk::Lit("行======>>航\n"));
}

TEST_F(PolySettings, ADictionaryThatCannotBeWrittenIsReportedAndTheDialogStaysOpen) {
    Write(Path("not-a-dir"), "x");
    m_dict = std::make_unique<qdm::CPolyDict>(Path("not-a-dir/kolb_polyphone.ini"));
    auto d = Open();
    Add(*d, "行", "航");
    m_boxes.shown.clear();
    d->findChild<QPushButton*>(QStringLiteral("exit"))->click();
    d->close();
    ASSERT_EQ(m_boxes.shown.size(), 2u);
    EXPECT_NE(m_boxes.shown[0].text.find(Path("not-a-dir")), std::string::npos);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->Rows().size(), 1u);
}

}  // namespace
