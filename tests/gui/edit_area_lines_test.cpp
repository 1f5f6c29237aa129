// The edit area's lines against a plain reading of the model's bytes: CR LF, a lone CR
// and a lone LF each end one line, whatever stands around them.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "editor/ui/edit_area.h"
#include "harness.h"

namespace {

using namespace guitest;

// The byte each line starts at, by a walk over the bytes.
std::vector<int32_t> ScannedLineStarts(std::string_view text) {
    std::vector<int32_t> starts{0};
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        if (text[i] == '\r' || text[i] == '\n') starts.push_back(static_cast<int32_t>(i + 1));
    }
    return starts;
}

// Every byte's line, every line's start, and the lines past the end that the text lacks.
void ExpectLinesAsScanned(qdm::ui::IEditArea& area, const std::string& label) {
    const std::string_view text = area.Model().Text();
    const std::vector<int32_t> starts = ScannedLineStarts(text);
    const int32_t lines = static_cast<int32_t>(starts.size());
    ASSERT_EQ(area.LineCount(), lines) << label;
    for (int32_t line = 0; line < lines; ++line)
        EXPECT_EQ(area.LineStartByte(line), starts[line]) << label << " line " << line;
    EXPECT_EQ(area.LineStartByte(lines), -1) << label;
    int32_t line = 0;
    for (int32_t byte = 0; byte <= static_cast<int32_t>(text.size()); ++byte) {
        while (line + 1 < lines && starts[line + 1] <= byte) ++line;
        EXPECT_EQ(area.LineOfByte(byte), line) << label << " byte " << byte;
    }
}

std::string AroundChunkEdge(const std::string& breaks) {
    // The index cuts the text into 4 KB chunks; the breaks straddle the first cut.
    return std::string(4095, 'a') + breaks + "b";
}

TEST(EditAreaLines, AgreeWithAPlainScanOfTheModelForEveryMixOfBreaks) {
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"no break", "abc"},
        {"one of each", "a\rb\nc\r\nd"},
        {"breaks only", "\r\r\n\n\n\r"},
        {"CR then CR LF", "\r\r\n"},
        {"LF then CR", "\n\r"},
        {"ends with a lone CR", "abc\r"},
        {"ends with CR LF", "abc\r\n"},
        {"double-byte characters", G("甲\r乙\n丙\r\n丁")},
        {"lead byte before a break", "x\xB0\r\n\xB0\ry"},
        {"unmapped byte before a break", "\xFF\n\x80\r"},
        {"CR LF across a chunk edge", AroundChunkEdge("\r\n")},
        {"CR CR LF across a chunk edge", std::string(4094, 'a') + "\r\r\nb"},
        {"lone CR at a chunk edge", AroundChunkEdge("\r")},
    };
    Editor ed;
    for (const auto& [label, text] : cases) {
        ed.SetText(text);
        ExpectLinesAsScanned(ed.area(), label);
    }
}

// Typed breaks meet lone CRs and LFs: a typed CR LF after a lone CR, a character typed between
// the CR and LF of a pair. The index re-pairs those units; the lines must follow.
TEST(EditAreaLines, StayAsScannedWhileBreaksAreTypedAndDeletedAmongLoneOnes) {
    Editor ed;
    ed.SetText("a\rb\nc\r\nd\r\r\n\n" + G("甲"), 0, 0);
    std::mt19937 rng(7);
    for (int step = 0; step < 120; ++step) {
        const std::string_view text = ed.model().Text();
        const std::vector<int32_t> starts = ScannedLineStarts(text);
        const int32_t at = starts[rng() % starts.size()] + static_cast<int32_t>(rng() % 2);
        ed.area().SyncSelectionToModel();
        ed.Select(std::min<int32_t>(at, static_cast<int32_t>(text.size())),
                  std::min<int32_t>(at, static_cast<int32_t>(text.size())));
        switch (rng() % 3) {
            case 0:
                ed.Key(Qt::Key_Return);
                break;
            case 1:
                ed.Key(Qt::Key_Backspace);
                break;
            default:
                ed.Type(QStringLiteral("x"));
                break;
        }
        ExpectLinesAsScanned(ed.area(), "step " + std::to_string(step));
        if (::testing::Test::HasFailure()) return;
    }
}

}  // namespace

namespace {

TEST(EditAreaLines, VisibleBytesAreWholeLinesAroundTheCaret) {
    Editor ed;
    ed.SetText(guitest::SectionLines(400), 0, 0);  // double-byte characters: units are not bytes
    qdm::ui::IEditArea& area = ed.area();
    const int32_t length = ed.model().Length();
    auto [first, last] = area.VisibleBytes();
    EXPECT_EQ(first, 0);
    EXPECT_GT(last, first);
    EXPECT_LT(last, length);
    EXPECT_EQ(area.LineStartByte(area.LineOfByte(last)), last);

    ed.Key(Qt::Key_End, Qt::ControlModifier);
    std::tie(first, last) = area.VisibleBytes();
    EXPECT_GT(first, 0);
    EXPECT_EQ(area.LineStartByte(area.LineOfByte(first)), first);
    EXPECT_EQ(last, length);
    EXPECT_GE(ed.Caret(), first);
}

}  // namespace
