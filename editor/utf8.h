#pragma once
// Code points as UTF-8 and as their "U+XXXX" names: for the terminal, JSON and OpenCC, and for
// the messages that name a character GBK cannot hold.
#include <string>

namespace qdm {

// Appends `cp` in UTF-8. A surrogate or a value past U+10FFFF, which UTF-8 cannot carry, is
// written as U+FFFD.
inline void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000 || cp > 0x10FFFF) {
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// "U+" and at least four upper-case hex digits: "U+00E9", "U+20BB7".
std::string CodepointName(char32_t cp);

}  // namespace qdm
