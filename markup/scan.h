#pragma once
// Finding tag strings in a text. Every tag string starts with "<", a byte below 0x40 that never
// ends a GBK character, so a plain byte search finds exactly the matches that start on a
// character boundary. A tag string holds no "<" after its first byte, so occurrences of tag
// strings never overlap and each "<" starts at most one of them.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qdm::scan {

constexpr size_t npos = std::string_view::npos;

// First occurrence of `needle` (whose first byte is below 0x40) starting at or after `from`.
size_t Find(std::string_view text, std::string_view needle, size_t from);
// Last occurrence starting in [lo, hi) and lying wholly before `hi`.
size_t FindLast(std::string_view text, std::string_view needle, size_t lo, size_t hi);

// The tag string starting at `pos`: kind number 1 to 5 and whether it is the end string;
// kind 0 when none starts there.
struct TagString {
    int32_t kind = 0;
    bool isEnd = false;
    size_t Length() const;
};
TagString TagAt(std::string_view text, size_t pos);

// First tag string (any of the ten) starting at or after `from`; npos when none.
size_t FindTagString(std::string_view text, size_t from, TagString& found);

// The ">" that closes the number field of the "<vsection=" at `a`, or npos when the begin
// tag is unnumbered: the field is numbered when the first ">" after the "=" comes within the
// 20 bytes from "<" and the bytes before it hold no CR, LF or "<".
size_t NumberFieldEnd(std::string_view text, size_t a);

// Length of the tag token that starts at `pos` (a tag string, and for a numbered section
// begin tag also its number field and ">"); 0 when no tag string starts there.
size_t TokenLength(std::string_view text, size_t pos);
// Start of the tag token that holds `x` strictly inside (t < x < t + length), or npos.
size_t TokenAround(std::string_view text, size_t x);

}  // namespace qdm::scan
