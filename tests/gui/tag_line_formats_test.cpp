// The tag colours of one line, as the edit area asks for them.
#include "markup/ui/tag_line_formats.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <string>

#include "harness.h"

namespace {

using guitest::G;
using qdm::ui::KindColor;
using qdm::ui::TagLineFormats;

// "start+length kN" per range, " bold" for a bold one; kN is the kind whose colour it has.
QStringList Describe(const QList<QTextLayout::FormatRange>& ranges) {
    QStringList out;
    for (const QTextLayout::FormatRange& r : ranges) {
        int kind = 0;
        for (int k = 1; k <= 5; ++k)
            if (r.format.foreground().color() == KindColor(k)) kind = k;
        QString d = QStringLiteral("%1+%2 k%3").arg(r.start).arg(r.length).arg(kind);
        if (r.format.fontWeight() == QFont::Bold) d += QStringLiteral(" bold");
        out << d;
    }
    return out;
}

struct LineCase {
    const char* label;
    std::string before, line, after;  // the line stands between two others
    QStringList ranges;
};

TEST(TagLineFormats, ColourEveryTagOfTheLineByItsKindAndNothingOfItsNeighbours) {
    const LineCase cases[] = {
        {"numbered section", "", "<vsection=12>", "", {"0+10 k1", "10+2 k1 bold", "12+1 k1"}},
        {"unnumbered section", "", "<vsection=", "", {"0+10 k1"}},
        {"section end", "", "</vsection>", "", {"0+11 k1"}},
        {"reader note", "", "<vreadernote>x</vreadernote>", "", {"0+13 k2", "14+14 k2"}},
        {"author note", "", "<vauthornote>x</vauthornote>", "", {"0+13 k3", "14+14 k3"}},
        {"translation", "", "<vtrans>x</vtrans>", "", {"0+8 k4", "9+9 k4"}},
        {"emphasis", "", "<vemph>x</vemph>", "", {"0+7 k5", "8+8 k5"}},
        {"columns count characters, not bytes",
         "",
         G("甲乙<vemph>丙</vemph>"),
         "",
         {"2+7 k5", "10+8 k5"}},
        {"a lead byte before a tag stands alone", "", "\xB0<vemph>", "", {"1+7 k5"}},
        {"the neighbours' tags stay theirs",
         "<vemph>\r\n",
         G("甲</vemph>"),
         "\r\n<vtrans>",
         {"1+8 k5"}},
        {"after a lone CR", "<vtrans>\r", "</vtrans>", "\n", {"0+9 k4"}},
        {"a number cut by the line's end is no number", "", "<vsection=12", "\r\n>", {"0+10 k1"}},
        {"no tag", "", G("只有文字<v"), "", {}},
    };
    for (const LineCase& c : cases) {
        const std::string text = c.before + c.line + c.after;
        const auto start = static_cast<int32_t>(c.before.size());
        const auto end = static_cast<int32_t>(start + c.line.size());
        EXPECT_EQ(Describe(TagLineFormats(text, start, end)), c.ranges) << c.label;
    }
}

}  // namespace
