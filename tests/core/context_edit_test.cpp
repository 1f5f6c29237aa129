// A fix by context put into the editor's model as one step of its history.
#include "polyphone/context_edit.h"

#include <gtest/gtest.h>

#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "shipped_model.h"

namespace {

using qdm::gbk::Lit;

struct Case {
    const char* name;
    qdm::PolyStyle style;
    const char* fixed;
};

class SmartFixInTheModel : public ::testing::TestWithParam<Case> {};

TEST_P(SmartFixInTheModel, IsOneUndoStepAndKeepsTheSelectionOnItsCharacters) {
    const std::string text = Lit("他是银行的行长，也常常要还钱。");
    qdm::CEditBox edit;
    edit.SetText(text);
    const auto at = [](const char* utf8) { return static_cast<int32_t>(Lit(utf8).size()); };
    edit.SetSelection(at("他是银行的行长，"), at("他是银行的行长，也常常"));  // 也常常
    const qdm::PolySmartResult fix = qdm::SmartFix(ShippedModel(), text, {}, GetParam().style);
    ASSERT_EQ(fix.fixed, 4);

    EXPECT_EQ(qdm::ApplySmartFix(edit, fix), 4);
    EXPECT_EQ(edit.Text(), Lit(GetParam().fixed));
    int32_t start = 0, end = 0;
    edit.GetSelection(start, end);
    EXPECT_EQ(edit.Text().substr(start, end - start), Lit("也常常"));

    ASSERT_TRUE(edit.Undo().ok);
    EXPECT_EQ(edit.Text(), text);
    EXPECT_FALSE(edit.CanUndo());
}

INSTANTIATE_TEST_SUITE_P(Styles, SmartFixInTheModel,
                         ::testing::Values(Case{"homophone", qdm::PolyStyle::Homophone,
                                                "他是银航的航掌，也常常要环钱。"},
                                           Case{"pinyin", qdm::PolyStyle::Pinyin,
                                                "他是银hang2的hang2zhang3，也常常要huan2钱。"}),
                         [](const ::testing::TestParamInfo<Case>& p) {
                             return std::string(p.param.name);
                         });

TEST(SmartFixInTheModelRefused, AFixMadeFromAnotherTextChangesNothingAndRecordsNothing) {
    const std::string text = Lit("他是银行的行长。");
    const qdm::PolySmartResult fix =
        qdm::SmartFix(ShippedModel(), text, {}, qdm::PolyStyle::Homophone);
    ASSERT_GT(fix.fixed, 0);
    for (const std::string& other : {Lit("她是银河的星星。"), Lit("银行"), std::string()}) {
        qdm::CEditBox edit;
        edit.SetText(other);
        EXPECT_EQ(qdm::ApplySmartFix(edit, fix), 0);
        EXPECT_EQ(edit.Text(), other);
        EXPECT_FALSE(edit.CanUndo());
    }
    qdm::CEditBox edit;
    edit.SetText(text);
    EXPECT_EQ(qdm::ApplySmartFix(edit, qdm::PolySmartResult{text, 0, 0, 0, {}}), 0);
    EXPECT_FALSE(edit.CanUndo());
}

}  // namespace
