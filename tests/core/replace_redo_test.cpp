#include <gtest/gtest.h>

#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "editor/replace.h"
#include "markup/insert.h"

namespace {

namespace gbk = qdm::gbk;

using qdm::CEditBox;
using qdm::CTextFinder;

CEditBox Box(std::string text, int32_t start, int32_t end) {
    CEditBox box;
    box.SetText(std::move(text));
    box.SetSelection(start, end);
    return box;
}

struct ReplaceCase {
    const char* name;
    std::string text, pattern, replacement;
    qdm::FindOptions options;
    int32_t lo, hi;
    std::string result;
    int32_t count;
};

TEST(ReplaceAll, ReplacesEveryMatchAndOneUndoRestoresTheText) {
    const qdm::FindOptions fold{false, false}, word{true, true};
    const ReplaceCase cases[] = {
        {"longer replacement", "a-a-a", "a", "xyz", {}, 0, -1, "xyz-xyz-xyz", 3},
        {"shorter, not overlapping", "aaaaa", "aa", "b", {}, 0, -1, "bba", 2},
        {"empty replacement", "a\r\nb\r\n", "\r\n", "", {}, 0, -1, "ab", 2},
        {"folded letters, trail bytes left alone",
         "\xB0"
         "aAa",
         "a", "_", fold, 0, -1,
         "\xB0"
         "a__",
         2},
        {"whole words", "cat cats cat", "cat", "dog", word, 0, -1, "dog cats dog", 2},
        {"only inside the range", "ababab", "ab", "X", {}, 1, 5, "abXab", 1},
        {"nothing found", "abc", "x", "y", {}, 0, -1, "abc", 0},
    };
    for (const ReplaceCase& c : cases) {
        CEditBox box = Box(c.text, 0, 0);
        const qdm::ReplaceAllResult r =
            qdm::ReplaceAll(box, CTextFinder(c.pattern, c.options), c.replacement, c.lo, c.hi);
        EXPECT_EQ(box.Text(), c.result) << c.name;
        EXPECT_EQ(r.count, c.count) << c.name;
        if (c.count == 0) {
            EXPECT_TRUE(box.History().Empty()) << c.name;
            continue;
        }
        EXPECT_EQ(box.History().Count(), 1) << c.name;
        ASSERT_TRUE(box.Undo().ok) << c.name;
        EXPECT_EQ(box.Text(), c.text) << c.name;
        ASSERT_TRUE(box.Redo().ok) << c.name;
        EXPECT_EQ(box.Text(), c.result) << c.name;
    }
}

TEST(ReplaceAll, ReportsTheReplacedPartAndLeavesTheCaretAtItsStart) {
    CEditBox box = Box("xx<a>yy<a>zz", 0, 0);
    const qdm::ReplaceAllResult r = qdm::ReplaceAll(box, CTextFinder("<a>", {}), "<bb>");
    EXPECT_EQ(box.Text(), "xx<bb>yy<bb>zz");
    EXPECT_EQ(r.first, 2);
    EXPECT_EQ(r.end, 12);
    int32_t s = 0, e = 0;
    box.GetSelection(s, e);
    EXPECT_EQ(s, 2);
    EXPECT_EQ(e, 2);
}

TEST(ReplaceSelectedMatch, ReplacesOnlyASelectionThatIsAMatch) {
    const CTextFinder finder("ab", {});
    CEditBox box = Box("xaby", 1, 3);
    EXPECT_TRUE(qdm::ReplaceSelectedMatch(box, finder, "Q"));
    EXPECT_EQ(box.Text(), "xQy");
    CEditBox part = Box("xaby", 1, 2);
    EXPECT_FALSE(qdm::ReplaceSelectedMatch(part, finder, "Q"));
    // "\xB0a" is one character: the selection starts inside it.
    CEditBox inside =
        Box("\xB0"
            "ab",
            1, 3);
    EXPECT_FALSE(qdm::ReplaceSelectedMatch(inside, finder, "Q"));
    EXPECT_EQ(inside.Text(),
              "\xB0"
              "ab");
}

TEST(Redo, RedoesWhatUndoUndidInOrder) {
    CEditBox box = Box("abc", 3, 3);
    box.TypeText("d");
    box.PressBackspace();
    box.PressBackspace();
    ASSERT_EQ(box.Text(), "ab");
    std::string why;
    EXPECT_FALSE(box.CanRedo(&why));
    EXPECT_EQ(why, gbk::Lit("没有可以重做的操作"));
    ASSERT_TRUE(box.Undo().ok);
    ASSERT_TRUE(box.Undo().ok);
    ASSERT_TRUE(box.Undo().ok);
    EXPECT_EQ(box.Text(), "abc");
    ASSERT_TRUE(box.Redo().ok);
    EXPECT_EQ(box.Text(), "abcd");
    int32_t s = 0, e = 0;
    box.GetSelection(s, e);
    EXPECT_EQ(s, 4);
    ASSERT_TRUE(box.Redo().ok);
    ASSERT_TRUE(box.Redo().ok);
    EXPECT_EQ(box.Text(), "ab");
    EXPECT_FALSE(box.Redo().ok);
    // Redone edits can be undone again.
    ASSERT_TRUE(box.Undo().ok);
    EXPECT_EQ(box.Text(), "abc");
}

TEST(Redo, RedoesAMarkupInsertionAsOneStepThatUndoesAsOne) {
    CEditBox box = Box("abcdef", 2, 4);
    std::string message;
    ASSERT_TRUE(qdm::InsertSection(box, message)) << message;
    const std::string marked(box.Text());
    ASSERT_TRUE(box.Undo().ok);
    EXPECT_EQ(box.Text(), "abcdef");
    ASSERT_TRUE(box.Redo().ok);
    EXPECT_EQ(box.Text(), marked);
    EXPECT_EQ(box.History().Count(), 2);
    ASSERT_TRUE(box.Undo().ok);
    EXPECT_EQ(box.Text(), "abcdef");
    EXPECT_TRUE(box.History().Empty());
}

TEST(Redo, ANewEditClearsTheListAndAnUnrecordedChangeRefusesIt) {
    CEditBox box = Box("abc", 3, 3);
    box.TypeText("d");
    ASSERT_TRUE(box.Undo().ok);
    box.TypeText("x");
    std::string why;
    EXPECT_FALSE(box.CanRedo(&why));
    EXPECT_EQ(why, gbk::Lit("没有可以重做的操作"));

    box.TypeText("y");
    ASSERT_TRUE(box.Undo().ok);
    box.ApplyWidgetEdit(0, 0, "zz");  // a paste from the context menu records nothing
    const qdm::UndoResult r = box.Redo();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, gbk::Lit("文本在撤消之后有未记录的修改，无法重做"));
    EXPECT_EQ(box.Text(), "zzabcx");

    CEditBox off = Box("abc", 3, 3);
    off.SetHistoryEnabled(false);
    off.TypeText("d");
    EXPECT_FALSE(off.CanRedo());
}

}  // namespace
