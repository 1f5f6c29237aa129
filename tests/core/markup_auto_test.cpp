#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "editor/undo_history.h"
#include "markup/auto_section.h"

namespace gbk = qdm::gbk;

namespace {

using qdm::CEditBox;

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Sectioned in place when the text's buffer has room for the result, else into a new one.
std::string Sectioned(std::string text, bool roomy = false) {
    if (roomy) text.reserve(text.size() * 4 + 64);
    CEditBox edit;
    edit.SetText(std::move(text));
    qdm::AutoSection(edit);
    return std::string(edit.Text());
}

std::string Open(int n) {
    return "\r\n<vsection=" + std::to_string(n) + ">\r\n";
}
const std::string kBoundaryEnd = "\r\n</vsection>\r\n";
const std::string kLastEnd = "\r\n</vsection> \r\n";

TEST(AutoSection, CutsOneSectionPerLineAndKeepsShortLinesWithTheNext) {
    const std::string a(10, 'A'), b(10, 'B'), c(10, 'C');
    EXPECT_EQ(Sectioned(a + "\r\n" + b + "\r\n" + c), Open(1) + a + "\r\n" + kBoundaryEnd +
                                                          Open(2) + b + "\r\n" + kBoundaryEnd +
                                                          Open(3) + c + kLastEnd);
    EXPECT_EQ(Sectioned(a + "\r\n" + b + "\r\n" + c + "\r\n"),
              Open(1) + a + "\r\n" + kBoundaryEnd + Open(2) + b + "\r\n" + kBoundaryEnd + Open(3) +
                  c + "\r\n" + kLastEnd);
    EXPECT_EQ(Sectioned("ab\r\ncdefgh\r\n\r\nijklmnopqrstu\r\nvw\r\n"),
              Open(1) + "ab\r\ncdefgh\r\n" + kBoundaryEnd + Open(2) +
                  "\r\nijklmnopqrstu\r\nvw\r\n" + kLastEnd);
    EXPECT_EQ(Sectioned(""), Open(1) + kLastEnd);
}

TEST(AutoSection, MatchesTheGoldenFiles) {
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(MKED_TEST_DATA "/auto")) {
        if (entry.path().extension() != ".txt") continue;
        std::filesystem::path golden = entry.path();
        golden.replace_extension(".qdm");
        const std::string want = Slurp(golden);
        EXPECT_EQ(Sectioned(Slurp(entry.path())), want) << entry.path();
        EXPECT_EQ(Sectioned(Slurp(entry.path()), true), want) << entry.path();
        ++checked;
    }
    EXPECT_GE(checked, 5);
}

TEST(AutoSection, LeavesATextWithASectionAloneAndSelectsTheFault) {
    const std::string text = "intro<vsection=1>a</vsection>";
    CEditBox edit;
    edit.SetText(text);
    std::string message;
    EXPECT_EQ(qdm::AutoSection(edit, message), qdm::AutoSectionOutcome::Refused);
    EXPECT_EQ(edit.Text(), text);
    EXPECT_EQ(message, gbk::Lit("section之间不能相交;"));
    int32_t s = 0, e = 0;
    edit.GetSelection(s, e);
    EXPECT_EQ(s, 5);
    EXPECT_EQ(e, 15);
    EXPECT_TRUE(edit.History().Empty());
}

TEST(AutoSection, RecordsOnlyTheWrappingAndEndsWithTheCaretAtTheStart) {
    CEditBox edit;
    edit.SetText("first line here\r\nsecond line here");
    edit.SetSelection(7, 9);
    qdm::AutoSection(edit);
    int32_t s = -1, e = -1;
    edit.GetSelection(s, e);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(e, 0);
    EXPECT_EQ(edit.Clipboard().Text(), "first line here\r\nsecond line here");
    // The wrapping's two records, which the unrecorded boundaries leave with no bytes: they
    // can never be replayed.
    ASSERT_EQ(edit.History().Count(), 2);
    EXPECT_EQ(edit.History().Newest(1).kind, qdm::kDeleteSelection);
    EXPECT_EQ(edit.History().Newest(0).kind, qdm::kReplaceSelection);
    for (int32_t i = 0; i < 2; ++i) {
        EXPECT_EQ(edit.History().Newest(i).removed, "");
        EXPECT_EQ(edit.History().Newest(i).inserted, "");
    }
    std::string why;
    EXPECT_FALSE(edit.CanUndo(&why));  // the boundaries were not recorded
    EXPECT_EQ(why, gbk::Lit("文本在最近一次记录之后有未记录的修改，无法撤消"));
}

// The records clear what was undone before, as recording the wrapping always did.
TEST(AutoSection, LeavesNothingToRedo) {
    CEditBox edit;
    edit.SetText("first line here\r\nsecond line here");
    edit.SetSelection(5, 5);
    edit.TypeText("x");
    ASSERT_TRUE(edit.Undo().ok);
    qdm::AutoSection(edit);
    std::string why;
    EXPECT_FALSE(edit.CanRedo(&why));
    EXPECT_EQ(why, gbk::Lit("没有可以重做的操作"));
}

// The size is counted without building the result: it must agree with what is built, or a
// result past 2 GiB would be written or a smaller one refused.
TEST(AutoSection, TheCountedSizeIsTheSizeBuilt) {
    for (const std::string& text :
         {std::string(), std::string("short"), std::string(13, 'x') + "\n",
          std::string(20, 'a') + "\r\n" + std::string(3, 'b') + "\r\n" + std::string(30, 'c'), [] {
              std::string many;
              for (int i = 0; i < 1200; ++i) many += "0123456789\r\n";
              return many;
          }()})
        EXPECT_EQ(qdm::AutoSectionSize(text),
                  static_cast<int64_t>(qdm::AutoSectionText(text).size()))
            << text.size();
}

}  // namespace
