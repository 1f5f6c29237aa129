#include "editor/gbk.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "editor/codec.h"

namespace qdm::gbk {
namespace {

inline unsigned char At(std::string_view text, size_t i) {
    return static_cast<unsigned char>(text[i]);
}

// Sixteen bytes that could each lead a pair (0x81 to 0xFE are -127 to -2 as signed bytes):
// Chinese text is nothing else, so the walk back over it goes a block at a time.
inline bool SixteenLeads(const char* p) {
    using Bytes = signed char __attribute__((vector_size(16)));
    Bytes v;
    std::memcpy(&v, p, 16);
    const auto lead = (v > -128) & (v < -1);
    uint64_t half[2];
    std::memcpy(half, &lead, 16);
    return (half[0] & half[1]) == ~uint64_t{0};
}

}  // namespace

bool IsBoundary(std::string_view text, size_t pos, size_t known) {
    if (pos == 0 || pos >= text.size()) return true;
    if (!IsTrail(At(text, pos))) return true;  // nothing can pair with a byte below 0x40
    // Walk back over bytes that could lead a pair. The byte before such a run (or `known`)
    // ends a character, and inside the run the bytes pair up from its start.
    size_t s = pos;
    while (s >= known + 16 && SixteenLeads(text.data() + s - 16)) s -= 16;
    while (s > known && IsLead(At(text, s - 1))) --s;
    return (pos - s) % 2 == 0;
}

size_t BoundaryAtOrAfter(std::string_view text, size_t pos, size_t known) {
    if (pos >= text.size()) return text.size();
    return IsBoundary(text, pos, known) ? pos : pos + 1;
}

size_t PrevCharStart(std::string_view text, size_t pos) {
    if (pos < 2) return 0;
    return IsBoundary(text, pos - 1) ? pos - 1 : pos - 2;
}

size_t PrevUnitStart(std::string_view text, size_t pos) {
    if (pos >= 2 && text[pos - 1] == '\n' && text[pos - 2] == '\r') return pos - 2;
    return PrevCharStart(text, pos);
}

size_t Find(std::string_view text, std::string_view needle, size_t from, bool fromIsBoundary) {
    if (needle.empty() || from >= text.size() || needle.size() > text.size() - from) return npos;
    size_t b = fromIsBoundary ? from : BoundaryAtOrAfter(text, from);
    // A needle that starts below 0x40 can only match at a boundary: plain byte search.
    const bool plain = At(needle, 0) < 0x40;
    while (b + needle.size() <= text.size()) {
        const void* hit = memmem(text.data() + b, text.size() - b, needle.data(), needle.size());
        if (!hit) return npos;
        size_t c = static_cast<const char*>(hit) - text.data();
        if (plain || IsBoundary(text, c, b)) return c;
        b = c + 1;  // c was the second byte of a pair, so c + 1 starts a character
    }
    return npos;
}

std::string Lit(std::string_view utf8) {
    auto bytes = FromUtf8(utf8);
    if (!bytes) std::abort();
    return *bytes;
}

namespace {

// One pass over a GBK pattern: "%s"/"%d" take the next argument, "%%" is a percent sign, and
// the second byte of a double-byte character is never read as '%'.
std::string Substitute(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(pattern.size() + 32);
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size()) {
            char k = pattern[i + 1];
            if (k == '%') {
                out += '%';
                ++i;
                continue;
            }
            if ((k == 's' || k == 'd') && next != args.end()) {
                out += *next++;
                ++i;
                continue;
            }
        }
        size_t len = CharLen(pattern, i);
        out.append(pattern.substr(i, len));
        i += len - 1;
    }
    return out;
}

}  // namespace

std::string Format(std::string_view pattern, std::string_view arg1) {
    return Substitute(pattern, {arg1});
}

std::string Format(std::string_view pattern, std::string_view arg1, std::string_view arg2) {
    return Substitute(pattern, {arg1, arg2});
}

}  // namespace qdm::gbk
