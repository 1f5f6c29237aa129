// The progress dialog of a run over one text, and the two commands that use it.
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>

#include "polyphone/poly_engine.h"
#include "polyphone/ui/dialog_poly_procing.h"
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

}  // namespace
