// The context readings in the editor: the audit's reading columns and 全部修正, and the run
// over the text that goes on by context when 多音字设置 says so.
#include <QCheckBox>
#include <QTreeWidget>

#include "app/command_ids.h"
#include "editor/edit_box.h"
#include "polyphone/poly_dict.h"
#include "polyphone/ui/dialog_poly_audit.h"
#include "polyphone/ui/poly_context_choice.h"
#include "polyphone_test_util.h"

namespace {

using namespace polytest;
using guitest::G;
using qdm::ui::QLit;

// 行 is read hang2 in 银行 and 还 huan2 before 钱 (unsure), the rest as an engine reads them
// alone; the audit lists 好 and 了 first by count.
const char* const kBook = "好了。好了。好了。好了。好了。行动。行动。银行。银行。还钱。";

class PolyReadings : public ScratchDir {
  protected:
    void SetUp() override {
        qdm::CPolyDict::SetDefaultPath(Path("kolb_polyphone.ini"));
        WriteDict({});
    }
    void TearDown() override { qdm::CPolyDict::SetDefaultPath({}); }
    // Opens the audit on `book` and hands its dialog to `look` once; closes it after.
    void Audit(const char* book, const std::function<void(QDialog&)>& look) {
        m_editor.SetText(G(book), 0, 0);
        ModalUser user([&](QDialog* d) {
            look(*d);
            Child<QPushButton>(*d, "close")->click();
            return true;
        });
        ASSERT_TRUE(m_editor.Run(qdm::ui::ID_POLYPHONE_AUDIT));
    }
    guitest::Editor m_editor;
};

// Each row as "text reading confidence", the rows of a character after it, indented.
QStringList Rows(QDialog& d) {
    auto* tree = Child<QTreeWidget>(d, "chars");
    QStringList rows;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* c = tree->topLevelItem(i);
        rows << c->text(0) + " " + c->text(3) + c->text(4);
        for (int j = 0; j < c->childCount(); ++j)
            rows << "  " + c->child(j)->text(0) + " " + c->child(j)->text(3);
    }
    return rows;
}

QTreeWidgetItem* Context(QDialog& d, const char* text) {
    for (QTreeWidgetItem* item :
         Child<QTreeWidget>(d, "chars")
             ->findItems(QString::fromUtf8(text), Qt::MatchExactly | Qt::MatchRecursive))
        if (item->parent()) return item;
    return nullptr;
}

TEST_F(PolyReadings, TheAuditShowsEachContextsPredictionWithTheMisreadFirstAndTheUnsureTinted) {
    Audit(kBook, [](QDialog& d) {
        auto* tree = Child<QTreeWidget>(d, "chars");
        ASSERT_EQ(tree->columnCount(), 5);
        EXPECT_EQ(tree->headerItem()->text(0), QLit("多音字 / 上下文"));
        EXPECT_EQ(tree->headerItem()->text(3), QLit("预测读音"));
        EXPECT_EQ(tree->headerItem()->text(4), QLit("置信度"));
        EXPECT_EQ(Rows(d), (QStringList{QLit("行 "), QLit("  银行 hang2"), QLit("  行动 xing2"),
                                        QLit("还 "), QLit("  还钱 huan2"), QLit("好 "),
                                        QLit("  好了 hao3"), QLit("了 "), QLit("  好了 le")}));
        EXPECT_EQ(tree->topLevelItem(0)->text(1), QStringLiteral("xing2/hang2"));
        EXPECT_EQ(tree->topLevelItem(0)->text(2), QStringLiteral("4"));
        QTreeWidgetItem* sure = Context(d, "银行");
        QTreeWidgetItem* unsure = Context(d, "还钱");
        ASSERT_TRUE(sure && unsure);
        EXPECT_EQ(sure->text(4), QStringLiteral("1.00"));
        EXPECT_LT(unsure->text(4).toDouble(), qdm::ui::kPolyReviewConfidence);
        EXPECT_EQ(unsure->text(4).size(), 4);  // two decimals
        EXPECT_EQ(sure->background(0).style(), Qt::NoBrush);
        EXPECT_NE(unsure->background(0).style(), Qt::NoBrush);
        EXPECT_EQ(unsure->background(4), unsure->background(0));  // the whole row
        EXPECT_TRUE(Enabled(d, "fixAll"));
        EXPECT_EQ(Child<QPushButton>(d, "fixAll")->text(), QLit("全部修正"));
    });
}

TEST_F(PolyReadings, FixAllRespellsExactlyThePredictedCharactersAsOneUndoStep) {
    const std::string before = G(kBook);
    QString status;
    bool offAfter = false;
    Audit(kBook, [&](QDialog& d) {
        Child<QPushButton>(d, "fixAll")->click();
        status = m_editor.Status();
        offAfter = !Enabled(d, "fixAll");  // the audit of the fixed text has nothing left
    });
    EXPECT_EQ(m_editor.model().Text(),
              G("好了。好了。好了。好了。好了。行动。行动。银航。银航。环钱。"));
    EXPECT_EQ(m_editor.Shown(), m_editor.ModelShown());
    EXPECT_EQ(status, QLit("按上下文修正多音字 3 个"));
    EXPECT_TRUE(offAfter);
    ASSERT_TRUE(m_editor.Run(qdm::ui::ID_EDIT_UNDO));
    EXPECT_EQ(m_editor.model().Text(), before);
    EXPECT_EQ(m_editor.Shown(), m_editor.ModelShown());
}

TEST_F(PolyReadings, FixAllLeavesWhatTheDictionaryReplacesAndIsOffWhenNothingIsLeft) {
    WriteDict({{"银行", "银航"}});
    Audit(kBook, [](QDialog& d) { Child<QPushButton>(d, "fixAll")->click(); });
    EXPECT_EQ(m_editor.model().Text(),
              G("好了。好了。好了。好了。好了。行动。行动。银行。银行。环钱。"));

    bool enabled = true;
    Audit("好了。行动。", [&](QDialog& d) { enabled = Enabled(d, "fixAll"); });
    EXPECT_FALSE(enabled);
}

class PolyRunByContext : public PolyReadings {
  protected:
    // The dictionary respells 银行 and writes 行长, which the model would read hang2 zhang3.
    void SetUp() override {
        PolyReadings::SetUp();
        WriteDict({{"银行", "银航"}, {"经理", "行长"}});
        m_editor.SetText(G("他是银行的经理，也常常要还钱。"), 0, 0);
    }
    void Run() {
        ModalUser ok(ClickWhenEnabled("ok"));
        ASSERT_TRUE(m_editor.Run(qdm::ui::ID_POLYPHONE_TEXT));
    }
};

TEST_F(PolyRunByContext, OffTheRunIsTheDictionarysAlone) {
    const int32_t records = m_editor.model().History().Count();
    Run();
    EXPECT_EQ(m_editor.model().Text(), G("他是银航的行长，也常常要还钱。"));
    EXPECT_EQ(m_editor.model().History().Count(), records);
    ASSERT_EQ(m_editor.prompter.boxes.size(), 1u);
    EXPECT_EQ(m_editor.prompter.boxes[0].text, QLit("处理多音字2个!"));
    EXPECT_FALSE(m_editor.Status().contains(QLit("按上下文")));
}

TEST_F(PolyRunByContext, OnItFixesTheRestInTheSameChangeAndNeverTheDictionarysBytes) {
    qdm::ui::RememberPolyContextFix(true);
    const int32_t records = m_editor.model().History().Count();
    Run();
    EXPECT_EQ(m_editor.model().Text(), G("他是银航的行长，也常常要环钱。"));
    EXPECT_EQ(m_editor.Shown(), m_editor.ModelShown());
    EXPECT_EQ(m_editor.model().History().Count(), records);  // one change, as the run alone
    ASSERT_EQ(m_editor.prompter.boxes.size(), 1u);
    EXPECT_EQ(m_editor.prompter.boxes[0].text, QLit("处理多音字2个!"));
    QApplication::processEvents();
    EXPECT_EQ(m_editor.Status(), QLit("按上下文修正多音字 1 个"));
}

TEST_F(PolyRunByContext, TheChoiceIsOffAtFirstAndKeptFromOneOpeningOfTheSettingsToTheNext) {
    std::vector<bool> seen;
    const auto open = [&](bool toggle, bool escape) {
        ModalUser user([&](QDialog* d) {
            auto* box = Child<QCheckBox>(*d, "contextFix");
            if (!box) return false;
            EXPECT_EQ(box->text(), QLit("按上下文修正其余多音字"));
            seen.push_back(box->isChecked());
            if (toggle) box->click();
            if (escape)
                d->reject();
            else
                Child<QPushButton>(*d, "exit")->click();
            return true;
        });
        ASSERT_TRUE(m_editor.Run(qdm::ui::ID_POLYPHONE_SETTINGS));
    };
    open(true, false);
    open(true, true);  // Escape keeps the file as it was, and the choice as made
    open(false, false);
    EXPECT_EQ(seen, (std::vector<bool>{false, true, false}));
    EXPECT_FALSE(qdm::ui::PolyContextFixChosen());
}

}  // namespace
