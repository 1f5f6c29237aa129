// The progress dialog of a run over one text.
#include <QProgressBar>
#include <QTest>

#include "polyphone/ui/dialog_poly_procing.h"
#include "polyphone/ui/polyphone_commands.h"
#include "polyphone_test_util.h"

namespace {

using namespace polytest;
using qdm::CDialogPOLYP_PROCING;

class PolyProcing : public ScratchDir {};

TEST_F(PolyProcing, EachTickShowsTheEntryAppliedThePercentAndTheRunningCount) {
    WriteDict({{"行", "航"}, {"重", "众"}, {"长", "常"}});
    const qdm::CPolyDict dict(Path("kolb_polyphone.ini"));
    std::string text = gbk::Lit("银行重重长");
    CDialogPOLYP_PROCING dialog(&text, dict);
    dialog.SetTickBudget(qdm::PolyBudget::zero());
    EXPECT_EQ(Field(dialog, "percent"), "0%");
    const struct {
        const char *percent, *word, *replacement, *count;
        bool ok;
    } ticks[] = {{"33%", "行", "航", "1", false},
                 {"66%", "重", "众", "3", false},
                 {"100%", "长", "常", "4", true}};
    for (const auto& e : ticks) {
        dialog.OnTimer();
        EXPECT_EQ(Field(dialog, "percent"), e.percent);
        EXPECT_EQ(Field(dialog, "word"), qdm::QLit(e.word));
        EXPECT_EQ(Field(dialog, "replacement"), qdm::QLit(e.replacement));
        EXPECT_EQ(Field(dialog, "count"), e.count);
        EXPECT_EQ(Enabled(dialog, "ok"), e.ok) << e.percent;
    }
    EXPECT_EQ(dialog.findChild<QProgressBar*>()->value(), 100);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(text, gbk::Lit("银航众众常"));
}

TEST_F(PolyProcing, OkRefusesAFieldOutOfBoundsAndEscapeStillCloses) {
    WriteDict({{std::string(51, 'a'), "b"}});
    const qdm::CPolyDict dict(Path("kolb_polyphone.ini"));
    std::string text(51, 'a');
    guitest::Prompter prompter;
    CDialogPOLYP_PROCING dialog(&text, dict, qdm::BoxesOf(&prompter));
    dialog.show();
    dialog.OnTimer();
    Child<QPushButton>(dialog, "ok")->click();
    EXPECT_EQ(prompter.boxes.size(), 1u);
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

}  // namespace
