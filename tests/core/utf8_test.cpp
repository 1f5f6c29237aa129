#include "editor/utf8.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Utf8, EachLengthIsEncodedAndWhatUtf8CannotCarryBecomesTheReplacementCharacter) {
    struct Case {
        char32_t cp;
        std::string utf8;
        std::string name;
    };
    const std::vector<Case> cases = {
        {U'A', "A", "U+0041"},
        {0xE9, "\xC3\xA9", "U+00E9"},
        {0x7FF, "\xDF\xBF", "U+07FF"},
        {0x4E2D, "\xE4\xB8\xAD", "U+4E2D"},
        {0xFFFF, "\xEF\xBF\xBF", "U+FFFF"},
        {0x20BB7, "\xF0\xA0\xAE\xB7", "U+20BB7"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF", "U+10FFFF"},
        {0xD800, "\xEF\xBF\xBD", "U+D800"},
        {0xDFFF, "\xEF\xBF\xBD", "U+DFFF"},
        {0x110000, "\xEF\xBF\xBD", "U+110000"},
    };
    for (const Case& c : cases) {
        std::string out = "x";
        qdm::AppendUtf8(out, c.cp);
        EXPECT_EQ(out, "x" + c.utf8) << c.name;
        EXPECT_EQ(qdm::CodepointName(c.cp), c.name);
    }
}

}  // namespace
