// The progress dialog of a run over one text, and the two commands that use it.
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>

#include "editor/edit_box.h"
#include "polyphone/poly_engine.h"
#include "polyphone/ui/dialog_poly_procing.h"
#include "polyphone/ui/polyphone_commands.h"
#include "polyphone_test_util.h"

namespace {

using polytest::Boxes;
using polytest::ClickWhenEnabled;
using polytest::ModalUser;
using qdm::CDialogPOLYP_PROCING;

class PolyProcing : public polytest::ScratchDir {
  protected:
    static QString Field(QDialog& d, const char* name) {
        return d.findChild<QLineEdit*>(QLatin1String(name))->text();
    }
    static bool OkEnabled(QDialog& d) {
        return d.findChild<QPushButton*>(QStringLiteral("ok"))->isEnabled();
    }
    qdm::PolyCommandHost Host(qdm::CEditBox* edit, Boxes& boxes, const std::string& file = {}) {
        qdm::PolyCommandHost host;
        host.edit = edit;
        host.message = boxes.Prompter();
        host.dictPath = Path("kolb_polyphone.ini");
        host.openFile = [this, file](QWidget*, const QString&, const QString& filter) {
            m_filter = filter;
            return file.empty() ? QString() : qdm::QFromPath(file);
        };
        return host;
    }
    QString m_filter;
};

TEST_F(PolyProcing, EachTickShowsTheEntryAppliedThePercentAndTheRunningCount) {
    WriteDict({{"行", "航"}, {"重", "众"}, {"长", "常"}});
    const qdm::CPolyDict dict(Path("kolb_polyphone.ini"));
    std::string text = gbk::Lit("银行重重长");
    CDialogPOLYP_PROCING dialog(&text, dict);
    dialog.SetTickBudget(qdm::PolyBudget::zero());
    EXPECT_EQ(Field(dialog, "percent"), "0%");

    struct Expect {
        const char* percent;
        const char* word;
        const char* replacement;
        const char* count;
        bool ok;
    };
    const Expect ticks[] = {{"33%", "行", "航", "1", false},
                            {"66%", "重", "众", "3", false},
                            {"100%", "长", "常", "4", true}};
    for (const Expect& e : ticks) {
        dialog.OnTimer();
        EXPECT_EQ(Field(dialog, "percent"), e.percent);
        EXPECT_EQ(Field(dialog, "word"), qdm::QLit(e.word));
        EXPECT_EQ(Field(dialog, "replacement"), qdm::QLit(e.replacement));
        EXPECT_EQ(Field(dialog, "count"), e.count);
        EXPECT_EQ(OkEnabled(dialog), e.ok) << e.percent;
    }
    EXPECT_EQ(dialog.findChild<QProgressBar*>()->value(), 100);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(text, gbk::Lit("银航众众常"));
}

TEST_F(PolyProcing, BudgetedTicksGiveTheTextAndCountOfOneEntryPerTick) {
    std::vector<std::pair<std::string, std::string>> entries;
    std::string text;
    for (int i = 0; i < 300; ++i) {
        std::string w = std::to_string(i % 37);
        w.insert(0, 1, 'w').append(1, 'x').append(std::to_string(i % 11));
        entries.push_back({w, i % 3 ? w + "!" : std::string(1, 'z').append(w)});
        text.append(w).append(i % 5 ? " " : "\r\n").append(gbk::Lit("中")).append(w, 1);
    }
    WriteDict(entries);
    const qdm::CPolyDict dict(Path("kolb_polyphone.ini"));

    std::string literal = text;
    int64_t literalCount = 0;
    qdm::CPolyStepper stepper(dict);
    while (stepper.Step(literal)) literalCount += stepper.LastCount();

    std::string processed = text;
    CDialogPOLYP_PROCING dialog(&processed, dict);
    ModalUser user(ClickWhenEnabled("ok"));
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.Count(), literalCount);
    EXPECT_EQ(processed, literal);
}

TEST_F(PolyProcing, AMissingDictionaryFinishesAtTheFirstTickWithNothingDone) {
    const qdm::CPolyDict dict(Path("missing.ini"));
    std::string text = "abc";
    CDialogPOLYP_PROCING dialog(&text, dict);
    EXPECT_FALSE(OkEnabled(dialog));
    dialog.OnTimer();
    EXPECT_TRUE(OkEnabled(dialog));
    EXPECT_EQ(Field(dialog, "percent"), "100%");
    EXPECT_EQ(Field(dialog, "count"), "0");
    EXPECT_EQ(text, "abc");
}

TEST_F(PolyProcing, OkRefusesAFieldOutOfBoundsAndCancelStillCloses) {
    WriteDict({{std::string(51, 'a'), "b"}});
    const qdm::CPolyDict dict(Path("kolb_polyphone.ini"));
    std::string text(51, 'a');
    Boxes boxes;
    CDialogPOLYP_PROCING dialog(&text, dict, boxes.Prompter());
    dialog.show();
    dialog.OnTimer();
    ASSERT_TRUE(OkEnabled(dialog));
    dialog.findChild<QPushButton*>(QStringLiteral("ok"))->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(PolyProcing, TheTextCommandReplacesTheTextWithoutHistoryAndKeepsTheCaretLine) {
    WriteDict({{"行", "航"}});
    qdm::CEditBox edit;
    edit.SetText(gbk::Lit("行\r\n第二行文字"));
    const int32_t caret = static_cast<int32_t>(gbk::Lit("行\r\n第二").size());
    edit.SetSelection(caret, caret);
    const int32_t records = edit.History().Count();
    Boxes boxes;
    ModalUser user(ClickWhenEnabled("ok"));
    qdm::OnPolyphoneText(Host(&edit, boxes));

    EXPECT_EQ(edit.Text(), gbk::Lit("航\r\n第二航文字"));
    EXPECT_EQ(edit.History().Count(), records);
    int32_t start = -1, end = -1;
    edit.GetSelection(start, end);
    EXPECT_EQ(start, caret);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, gbk::Lit("处理多音字2个!"));
    EXPECT_EQ(boxes.shown[0].caption, gbk::Lit("多音字处理结果"));
}

TEST_F(PolyProcing, CancellingTheTextCommandLeavesTheTextAndReportsZero) {
    WriteDict({{"行", "航"}});
    for (const char* button : {"cancel", "escape"}) {
        qdm::CEditBox edit;
        edit.SetText(gbk::Lit("银行"));
        Boxes boxes;
        const std::string which = button;
        // Cancel is pressed once the run is over, the latest moment it can come.
        ModalUser user([&](QDialog* d) {
            if (!OkEnabled(*d)) return false;
            if (which == "escape")
                QTest::keyClick(d, Qt::Key_Escape);
            else
                d->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
            return true;
        });
        qdm::OnPolyphoneText(Host(&edit, boxes));
        EXPECT_EQ(edit.Text(), gbk::Lit("银行")) << which;
        ASSERT_EQ(boxes.shown.size(), 1u) << which;
        EXPECT_EQ(boxes.shown[0].text, gbk::Lit("处理多音字0个!"));
    }
}

TEST_F(PolyProcing, TheFileCommandRewritesTheChosenFileOnlyWhenConfirmed) {
    WriteDict({{"重重", "众"}});
    const std::string book = Path("book.txt");
    Write(book, gbk::Lit("重重山\r\n"));
    Boxes boxes;
    {
        ModalUser user(ClickWhenEnabled("cancel"));
        qdm::OnPolyphoneFile(Host(nullptr, boxes, book));
    }
    EXPECT_EQ(Read(book), gbk::Lit("重重山\r\n"));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(m_filter, qdm::QLit("文本文件(*.txt;*.qdm)|*.txt;*.qdm|所有文件(*.*)|*.*||"));

    ModalUser user(ClickWhenEnabled("ok"));
    qdm::OnPolyphoneFile(Host(nullptr, boxes, book));
    EXPECT_EQ(Read(book), gbk::Lit("众山\r\n"));  // shorter: the file ends where the text does
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, gbk::Lit("处理多音字1个!"));
}

TEST_F(PolyProcing, TheFileCommandNamesAFileItWillNotTouch) {
    WriteDict({{"a", "b"}});
    const std::string binary = Path("cover.qdm");
    Write(binary, std::string("a\0a", 3));
    Boxes boxes;
    qdm::OnPolyphoneFile(Host(nullptr, boxes, binary));
    EXPECT_EQ(Read(binary), std::string("a\0a", 3));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find(binary), std::string::npos);

    boxes.shown.clear();
    qdm::OnPolyphoneFile(Host(nullptr, boxes));  // the chooser was dismissed
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
