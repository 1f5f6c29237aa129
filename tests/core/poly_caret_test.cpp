#include "polyphone/poly_caret.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CaretCase {
    const char* name;
    std::string oldText;
    int32_t oldCaret;
    std::string newText;
    int32_t expected;
};

TEST(PolyCaret, StaysOnItsLineAtTheSameColumnOnACharacterBoundary) {
    const std::string han = "\xD6\xD0";  // one double-byte character
    const CaretCase cases[] = {
        {"same line, text grew before it", "ab\r\ncd", 5, "xxab\r\ncd", 7},
        {"line shrank below the column", "ab\r\nabcdef", 9, "ab\r\nxy", 6},
        {"never between CR and LF", "abcd\r\nx", 4, "ab\r\nx", 2},
        {"column inside a double-byte character moves past it", "a" + han + "b\nz", 3,
         han + han + "\nz", 4},
        {"caret at the very end", "ab\ncd", 5, "ab\ncdef", 5},
        {"caret at the start", "ab", 0, "xyz", 0},
        {"caret past the text is clamped", "ab", 99, "abc", 2},
        {"text lost its lines: end of the last one", "a\nb\nc", 4, "abc", 3},
        {"empty new text", "abc", 2, "", 0},
    };
    for (const CaretCase& c : cases)
        EXPECT_EQ(qdm::CaretAfterReplacement(c.oldText, c.oldCaret, c.newText), c.expected)
            << c.name;
}

}  // namespace
