// The dictionary settings dialog.
#include <QClipboard>
#include <QKeyEvent>
#include <QListView>
#include <QTest>

#include "app/polyphone_commands.h"
#include "polyphone/ui/dialog_duoyinzi_set.h"
#include "polyphone_test_util.h"

namespace gbk = qdm::gbk;

namespace {

using namespace polytest;
using Rows = std::vector<std::string>;

class PolySettings : public ScratchDir {
  protected:
    std::unique_ptr<qdm::ui::CDialogDuoyinziSet> Open(const std::string& file = {}) {
        m_dict = std::make_unique<qdm::CPolyDict>(file.empty() ? Path("kolb_polyphone.ini") : file);
        auto d =
            std::make_unique<qdm::ui::CDialogDuoyinziSet>(*m_dict, qdm::ui::BoxesOf(&m_prompter));
        d->show();
        QApplication::setActiveWindow(d.get());
        return d;
    }
    static void Add(QDialog& d, const char* word, const char* replacement) {
        Child<QLineEdit>(d, "word")->setText(QString::fromUtf8(word));
        Child<QLineEdit>(d, "replacement")->setText(QString::fromUtf8(replacement));
        Child<QPushButton>(d, "add")->click();
    }
    QString LastBox() const {
        return m_prompter.boxes.empty() ? QString() : m_prompter.boxes.back().text;
    }
    std::unique_ptr<qdm::CPolyDict> m_dict;
    guitest::Prompter m_prompter;
};

TEST_F(PolySettings, AddingAppendsUnsortedAndRefusesWhatTheDictionaryCannotTake) {
    Write(Path("kolb_polyphone.ini"), gbk::Lit("银行======>>银航\n"));
    auto d = Open();
    const struct {
        const char *word, *replacement, *message;
    } refused[] = {{"", "航", "请输入要设置的多音字内容"},
                   {"行", "", "请输入要设置的拼音"},
                   {"银行", "银航", "项目已存在"}};
    for (const auto& c : refused) {
        Add(*d, c.word, c.replacement);
        EXPECT_EQ(LastBox(), qdm::ui::QLit(c.message));
        EXPECT_EQ(m_prompter.boxes.back().caption, qdm::ui::QLit("警告"));
        EXPECT_EQ(Field(*d, "word"), QString::fromUtf8(c.word));  // kept as typed
    }
    m_prompter.boxes.clear();
    Add(*d, "银行", "银杭");  // the same word with another replacement is a further row
    Child<QLineEdit>(*d, "word")->setText("ab");
    Child<QLineEdit>(*d, "replacement")->setText("c");
    QTest::keyClick(Child<QLineEdit>(*d, "replacement"), Qt::Key_Return);  // Enter adds
    EXPECT_TRUE(m_prompter.boxes.empty());
    EXPECT_EQ(d->Rows(),
              (Rows{gbk::Lit("银行======>>银航"), gbk::Lit("银行======>>银杭"), "ab======>>c"}));
    EXPECT_EQ(d->SelectedRow(), 2);
    EXPECT_TRUE(Field(*d, "word").isEmpty());
    EXPECT_TRUE(Field(*d, "replacement").isEmpty());
    EXPECT_TRUE(Child<QLineEdit>(*d, "word")->hasFocus());
}

TEST_F(PolySettings, DeletionSelectsTheRowThatTookThePlaceOrTheOneBefore) {
    Write(Path("kolb_polyphone.ini"), "a======>>1\nb======>>2\nc======>>3\n");
    auto d = Open();
    const auto del = [&] { Child<QPushButton>(*d, "delete")->click(); };
    del();
    EXPECT_EQ(LastBox(), qdm::ui::QLit("请选择要删除的项目"));
    d->SelectRow(1);
    del();  // b goes, c takes its place
    EXPECT_EQ(d->Rows(), (Rows{"a======>>1", "c======>>3"}));
    EXPECT_EQ(d->SelectedRow(), 1);
    del();  // the last row goes, the one before it is selected
    EXPECT_EQ(d->SelectedRow(), 0);
    del();  // the only row goes
    EXPECT_EQ(d->List()->model()->rowCount(), 0);
    EXPECT_EQ(d->SelectedRow(), -1);
    EXPECT_EQ(m_prompter.boxes.size(), 1u);
}

TEST_F(PolySettings, FieldsStopAtTheirByteLimitWhenTypingAndPasting) {
    auto d = Open();
    auto* word = Child<QLineEdit>(*d, "word");
    word->setFocus();
    for (const QChar c : QStringLiteral("一二三四五六七八xy")) {  // 7 characters and x fit
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(word, &press);
    }
    EXPECT_EQ(word->text(), QStringLiteral("一二三四五六七x"));

    auto* replacement = Child<QLineEdit>(*d, "replacement");
    replacement->setText("ab");
    QApplication::clipboard()->setText(QStringLiteral("一二三四五六七八九十"));
    replacement->paste();  // 2 + 20 bytes: the paste keeps what fits
    EXPECT_EQ(replacement->text(), QStringLiteral("ab一二三四五六七八九"));
    replacement->clear();
    QApplication::clipboard()->setText(QStringLiteral("\U0001F600"));  // GBK has no emoji
    replacement->paste();
    EXPECT_TRUE(replacement->text().isEmpty());
}

TEST_F(PolySettings, ExitAndTheCloseBoxSaveEscapeDoesNot) {
    const std::string before = "a======>>1\r\nb======>>2\n";
    const std::string saved = before + "a======>>1\n";
    for (const char* how : {"exit", "close", "escape"}) {
        Write(Path("kolb_polyphone.ini"), before);
        auto d = Open();
        Add(*d, "a", "1");  // a CR LF row keeps its CR, so this one is new
        EXPECT_EQ(d->Rows().size(), 3u) << how;
        if (how == std::string("exit"))
            Child<QPushButton>(*d, "exit")->click();
        else if (how == std::string("close"))
            d->close();
        else
            QTest::keyClick(d.get(), Qt::Key_Escape);
        EXPECT_FALSE(d->isVisible()) << how;
        EXPECT_EQ(d->result(), how == std::string("exit") ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(Read(Path("kolb_polyphone.ini")), how == std::string("escape") ? before : saved)
            << how;
    }
}

TEST_F(PolySettings, AnUnreadableOrUnwritableDictionaryIsReportedAndTheEditsStayOpen) {
    Write(Path("not-a-dir"), "x");
    auto d = Open(Path("not-a-dir/kolb_polyphone.ini"));
    ASSERT_EQ(m_prompter.boxes.size(), 1u);
    EXPECT_EQ(LastBox(), qdm::ui::QLit("加载kolb_polyphone.ini错误"));
    EXPECT_EQ(m_prompter.boxes[0].caption, qdm::ui::QLit("打开多音字配置文件错误"));
    EXPECT_EQ(d->List()->model()->rowCount(), 0);
    Add(*d, "行", "航");
    Child<QPushButton>(*d, "exit")->click();
    d->close();
    ASSERT_EQ(m_prompter.boxes.size(), 3u);  // one for each attempt to leave
    EXPECT_TRUE(LastBox().contains(qdm::ui::QFromPath(Path("not-a-dir"))));
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->Rows().size(), 1u);
}

TEST_F(PolySettings, SavingKeepsEveryByteTheListCannotShowAndSaysWhatThoseAre) {
    const std::string before = "a======>>1\r\nnot an entry\nlast line";
    Write(Path("kolb_polyphone.ini"), before);
    auto d = Open();
    ASSERT_EQ(m_prompter.boxes.size(), 1u);
    EXPECT_EQ(LastBox(), qdm::ui::QLit("最后一行没有换行符，不在列表中；它会原样保留 "
                                       "(添加条目时先补上换行符)\n"
                                       "1 个条目以回车符结尾 (回车符会成为替换文本的一部分)"));
    EXPECT_EQ(m_prompter.boxes[0].caption, qdm::ui::QLit("警告"));
    // Another program adds an entry while the dialog is open; it stays.
    Write(Path("kolb_polyphone.ini"), before + "\nz======>>9\n");
    Add(*d, "b", "2");
    d->SelectRow(1);
    Child<QPushButton>(*d, "delete")->click();
    Child<QPushButton>(*d, "exit")->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(Read(Path("kolb_polyphone.ini")),
              "a======>>1\r\nlast line\nz======>>9\nb======>>2\n");
}

TEST_F(PolySettings, ADictionaryHoldingANulByteIsNeverRewritten) {
    const std::string before("a======>>1\n\0binary\n", 19);
    Write(Path("kolb_polyphone.ini"), before);
    auto d = Open();
    ASSERT_EQ(m_prompter.boxes.size(), 1u);
    EXPECT_EQ(LastBox(), qdm::ui::QLit("第 12 个字节是 NUL 字节，它后面的内容没有列出；"
                                       "为了不丢失它们，这个文件不会被改写"));
    Add(*d, "b", "2");
    Child<QPushButton>(*d, "exit")->click();
    EXPECT_TRUE(d->isVisible());  // the edits stay in the list
    EXPECT_TRUE(LastBox().contains(qdm::ui::QLit("含有 NUL 字节")));
    EXPECT_EQ(Read(Path("kolb_polyphone.ini")), before);
}

}  // namespace
