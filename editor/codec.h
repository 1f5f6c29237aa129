#pragma once
// Conversion between GBK bytes and Unicode, for terminals, command-line words and the
// on-screen widget. The text itself is never converted: it stays GBK bytes end to end.
#include <optional>
#include <string>
#include <string_view>

namespace qdm::gbk {

// The character a GBK unit stands for: a single byte, or a lead byte with its trail byte.
// Unmapped codes give U+FFFD (the bytes themselves are kept by the model).
char16_t DecodeSingle(unsigned char b);
char16_t DecodePair(unsigned char lead, unsigned char trail);

// GBK bytes of one character, or the empty string when GBK cannot hold it. A character
// counts as held only when its bytes are non-empty and decode back to the same character.
std::string EncodeChar(char32_t cp);

// Whole strings. ToUtf8 decodes unit by unit (strict character rule, line breaks as they
// are, unmapped units as U+FFFD). FromUtf8 fails when any character cannot be held or the
// input is not valid UTF-8.
std::string ToUtf8(std::string_view gbkText);
std::optional<std::string> FromUtf8(std::string_view utf8);

}  // namespace qdm::gbk
