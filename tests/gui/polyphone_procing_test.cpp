// The progress dialog of a run over one text.
#include <QProgressBar>
#include <QTest>

#include "app/polyphone_commands.h"
#include "polyphone/ui/dialog_poly_procing.h"
#include "polyphone_test_util.h"

namespace gbk = qdm::gbk;

namespace {

using namespace polytest;
using qdm::ui::CDialogPOLYP_PROCING;

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
    } ticks[] = {{"33%", "行", "航", "1"}, {"66%", "重", "众", "3"}, {"100%", "长", "常", "4"}};
    for (const auto& e : ticks) {
        dialog.OnTimer();
        EXPECT_EQ(Field(dialog, "percent"), e.percent);
        EXPECT_EQ(Field(dialog, "word"), qdm::ui::QLit(e.word));
        EXPECT_EQ(Field(dialog, "replacement"), qdm::ui::QLit(e.replacement));
        EXPECT_EQ(Field(dialog, "count"), e.count);
        EXPECT_FALSE(Enabled(dialog, "ok")) << e.percent;
    }
    EXPECT_EQ(dialog.findChild<QProgressBar*>()->value(), 100);
    dialog.OnTimer();  // finds the dictionary exhausted
    EXPECT_TRUE(Enabled(dialog, "ok"));
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
        for (int k = 0; k < 200; ++k)
            text.append(w).append(k % 5 ? " " : "\r\n").append(gbk::Lit("中")).append(w, 1);
    }
    WriteDict(entries);
    const qdm::CPolyDict dict(Path("kolb_polyphone.ini"));
    std::string results[2] = {text, text};
    int64_t counts[2] = {};
    for (int budgeted = 0; budgeted < 2; ++budgeted) {
        CDialogPOLYP_PROCING dialog(&results[budgeted], dict);
        if (!budgeted) dialog.SetTickBudget(qdm::PolyBudget::zero());
        while (!dialog.IsFinished()) dialog.OnTimer();
        counts[budgeted] = dialog.Count();
        EXPECT_EQ(Field(dialog, "count"), QString::number(dialog.Count()));
    }
    EXPECT_GT(counts[0], 0);
    EXPECT_EQ(counts[1], counts[0]);
    EXPECT_EQ(results[1], results[0]);
}

TEST_F(PolyProcing, OkRefusesAFieldOutOfBoundsAndEscapeStillCloses) {
    WriteDict({{std::string(51, 'a'), "b"}});
    const qdm::CPolyDict dict(Path("kolb_polyphone.ini"));
    std::string text(51, 'a');
    guitest::Prompter prompter;
    CDialogPOLYP_PROCING dialog(&text, dict, qdm::ui::BoxesOf(&prompter));
    dialog.show();
    dialog.OnTimer();
    Child<QPushButton>(dialog, "ok")->click();
    EXPECT_EQ(prompter.boxes.size(), 1u);
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(PolyProcing, ADictionaryLostDuringTheRunEndsItWithAMessageNotACount) {
    WriteDict({{"a", "b"}, {"c", "d"}, {"e", "f"}});
    const qdm::CPolyDict dict(Path("kolb_polyphone.ini"));
    std::string text = "ace";
    guitest::Prompter prompter;
    CDialogPOLYP_PROCING dialog(&text, dict, qdm::ui::BoxesOf(&prompter));
    dialog.SetTickBudget(qdm::PolyBudget::zero());
    dialog.show();
    dialog.OnTimer();  // one entry
    std::filesystem::remove(Path("kolb_polyphone.ini"));
    dialog.OnTimer();
    EXPECT_TRUE(dialog.DictionaryLost());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_TRUE(prompter.boxes[0].text.startsWith(qdm::ui::QLit("无法再读取多音字词典，处理中止")));
}

}  // namespace
