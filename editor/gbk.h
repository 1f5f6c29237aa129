#pragma once
// GBK (code page 936) byte rules shared by every part of the system.
//
// A byte 0x81-0xFE followed by a byte 0x40-0xFE forms one double-byte character; every other
// byte is a character of its own. Character boundaries are those of the whole text counted
// from offset 0, so a search that starts in the middle of a text still only matches where a
// character begins.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qdm::gbk {

constexpr size_t npos = std::string_view::npos;

inline bool IsLead(unsigned char b) {
    return b >= 0x81 && b <= 0xFE;
}
inline bool IsTrail(unsigned char b) {
    return b >= 0x40 && b <= 0xFE;
}

// Length (1 or 2) of the character starting at pos; pos must be a boundary below size().
inline size_t CharLen(std::string_view text, size_t pos) {
    if (pos + 1 < text.size() && IsLead(static_cast<unsigned char>(text[pos])) &&
        IsTrail(static_cast<unsigned char>(text[pos + 1])))
        return 2;
    return 1;
}

// True when pos (0 <= pos <= size) is a character boundary. `known` is a boundary at or
// before pos that the caller already knows (0 when none); the cost is bounded by pos - known.
bool IsBoundary(std::string_view text, size_t pos, size_t known = 0);

// The first boundary at or after pos.
size_t BoundaryAtOrAfter(std::string_view text, size_t pos, size_t known = 0);

// Start of the character that ends at pos (pos > 0 and a boundary).
size_t PrevCharStart(std::string_view text, size_t pos);

// Length of the display unit at pos: a character, or a line break (CR LF, lone CR, lone LF).
inline size_t UnitLen(std::string_view text, size_t pos) {
    if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') return 2;
    return CharLen(text, pos);
}

// Start of the display unit that ends at pos (pos > 0 and a unit boundary).
size_t PrevUnitStart(std::string_view text, size_t pos);

// First occurrence of needle at or after `from` that starts on a character boundary of the
// whole text; npos when none. `fromIsBoundary` saves the boundary check of `from` itself.
size_t Find(std::string_view text, std::string_view needle, size_t from,
            bool fromIsBoundary = false);

// GBK bytes of a UTF-8 literal in the source: every message and caption of the system is
// written once, in UTF-8, and turned into its exact GBK bytes here. Aborts on a character
// GBK cannot hold, which is a programming error.
std::string Lit(std::string_view utf8);

// printf-style "%s"/"%d" substitution over GBK bytes, as the system's messages use it.
std::string Format(std::string_view pattern, std::string_view arg1);
std::string Format(std::string_view pattern, std::string_view arg1, std::string_view arg2);

}  // namespace qdm::gbk
