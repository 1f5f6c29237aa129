#include <gtest/gtest.h>

#include "editor/edit_box.h"
#include "markup/numbering.h"

namespace {

struct NumberingCase {
    const char* name;
    std::string text;
    std::string want;
};

TEST(Numbering, GivesEveryBeginTagTheNumberOfItsPlace) {
    const NumberingCase cases[] = {
        {"no sections", "plain\r\ntext", "plain\r\ntext"},
        {"unnumbered first section", "\r\n<vsection=\r\nA", "\r\n<vsection=1>\r\nA"},
        {"7 3 3 becomes 1 2 3", "<vsection=7>a<vsection=3>b<vsection=3>c",
         "<vsection=1>a<vsection=2>b<vsection=3>c"},
        {"12 shrinks to 9", std::string(8, 'x') + "<vsection=1>" + "<vsection=12>",
         std::string(8, 'x') + "<vsection=1>" + "<vsection=2>"},
        {"a 9-byte field is a number", "<vsection=123456789>a", "<vsection=1>a"},
        {"a 10-byte field is content", "<vsection=1234567890>a", "<vsection=1>1234567890>a"},
        {"a > after CR LF belongs to the text", "<vsection=\r\n<vemph>a",
         "<vsection=1>\r\n<vemph>a"},
        {"a > after a < belongs to the text", "<vsection=<b>", "<vsection=1><b>"},
        {"any field bytes are replaced", "<vsection=ab\xB0\xA1>c", "<vsection=1>c"},
        {"begin tag at the very end", "x<vsection=", "x<vsection=1>"},
    };
    for (const NumberingCase& c : cases) {
        EXPECT_EQ(qdm::NumberSections(c.text), c.want) << c.name;
        // Counted ahead of numbering, so a result past 2 GiB is refused before it is built.
        EXPECT_EQ(qdm::NumberedSize(c.text), static_cast<int64_t>(c.want.size())) << c.name;
    }
}

TEST(Numbering, CountsPastNineAndIsStableWhenRepeated) {
    std::string text;
    for (int i = 0; i < 120; ++i) text += "<vsection=\r\n</vsection>";
    const std::string once = qdm::NumberSections(text);
    EXPECT_NE(once.find("<vsection=120>\r\n"), std::string::npos);
    EXPECT_NE(once.find("<vsection=99>\r\n</vsection><vsection=100>"), std::string::npos);
    EXPECT_EQ(qdm::NumberSections(once), once);
}

TEST(Numbering, PutsTheCaretBackAtItsByteOffset) {
    qdm::CEditBox edit;
    edit.SetText("<vsection=\r\nabcdef</vsection>");
    edit.SetSelection(14, 16);
    qdm::RenumberSections(edit);
    int32_t s = 0, e = 0;
    edit.GetSelection(s, e);
    EXPECT_EQ(s, 14);  // the same offset, now two bytes earlier in the line
    EXPECT_EQ(e, 14);
    EXPECT_EQ(edit.Text(), "<vsection=1>\r\nabcdef</vsection>");
}

}  // namespace
