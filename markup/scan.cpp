#include "markup/scan.h"

#include <algorithm>
#include <cstring>

#include "markup/tags.h"

namespace qdm::scan {
namespace {

// The strings of kinds 1 to 5, as in the tag table, for the hot loops.
constexpr std::string_view kBegins[] = {kSectionBegin, "<vreadernote>", "<vauthornote>", "<vtrans>",
                                        "<vemph>"};
constexpr std::string_view kEnds[] = {kSectionEnd, "</vreadernote>", "</vauthornote>", "</vtrans>",
                                      "</vemph>"};

// A token is at most 20 bytes long: a section begin tag with a 9-byte number field and ">".
constexpr size_t kLongestToken = 20;

bool StartsWith(std::string_view text, size_t pos, std::string_view s) {
    return text.size() - pos >= s.size() && std::memcmp(text.data() + pos, s.data(), s.size()) == 0;
}

}  // namespace

size_t Find(std::string_view text, std::string_view needle, size_t from) {
    const char* base = text.data();
    const size_t n = text.size();
    while (from < n) {
        const void* hit = std::memchr(base + from, needle[0], n - from);
        if (!hit) return npos;
        size_t p = static_cast<const char*>(hit) - base;
        if (StartsWith(text, p, needle)) return p;
        from = p + 1;
    }
    return npos;
}

size_t FindLast(std::string_view text, std::string_view needle, size_t lo, size_t hi) {
    const char* base = text.data();
    while (hi > lo) {
        const void* hit = memrchr(base + lo, needle[0], hi - lo);
        if (!hit) return npos;
        size_t p = static_cast<const char*>(hit) - base;
        if (p + needle.size() <= hi && StartsWith(text, p, needle)) return p;
        hi = p;
    }
    return npos;
}

TagString TagAt(std::string_view text, size_t pos) {
    if (pos + 1 >= text.size() || text[pos] != '<') return {};
    const bool isEnd = text[pos + 1] == '/';
    const size_t v = pos + (isEnd ? 2 : 1);  // the "v" of the tag name
    if (v + 1 >= text.size() || text[v] != 'v') return {};
    int32_t kind = 0;
    switch (text[v + 1]) {  // the tag names differ in their second letter
        case 's':
            kind = TAG_SECTION;
            break;
        case 'r':
            kind = TAG_READERNOTE;
            break;
        case 'a':
            kind = TAG_AUTHORNOTE;
            break;
        case 't':
            kind = TAG_TRANS;
            break;
        case 'e':
            kind = TAG_EMPH;
            break;
        default:
            return {};
    }
    if (!StartsWith(text, pos, isEnd ? kEnds[kind - 1] : kBegins[kind - 1])) return {};
    return {kind, isEnd};
}

size_t TagString::Length() const {
    return kind == 0 ? 0 : (isEnd ? kEnds : kBegins)[kind - 1].size();
}

size_t FindTagString(std::string_view text, size_t from, TagString& found) {
    const char* base = text.data();
    const size_t n = text.size();
    while (from < n) {
        const void* hit = std::memchr(base + from, '<', n - from);
        if (!hit) return npos;
        size_t p = static_cast<const char*>(hit) - base;
        found = TagAt(text, p);
        if (found.kind) return p;
        from = p + 1;
    }
    return npos;
}

size_t NumberFieldEnd(std::string_view text, size_t a) {
    const size_t limit = std::min(text.size(), a + kLongestToken);
    for (size_t g = a + kSectionBegin.size(); g < limit; ++g) {
        const char c = text[g];
        if (c == '>') return g;
        if (c == '\r' || c == '\n' || c == '<') return npos;
    }
    return npos;
}

size_t TokenLength(std::string_view text, size_t pos) {
    const TagString tag = TagAt(text, pos);
    if (!tag.kind) return 0;
    if (tag.kind == TAG_SECTION && !tag.isEnd) {
        const size_t g = NumberFieldEnd(text, pos);
        if (g != npos) return g + 1 - pos;
    }
    return tag.Length();
}

size_t TokenAround(std::string_view text, size_t x) {
    if (x == 0 || x >= text.size()) return npos;
    const size_t lo = x >= kLongestToken - 1 ? x - (kLongestToken - 1) : 0;
    // A token holds no "<" after its first byte, so only the last "<" before x can start it.
    const void* hit = memrchr(text.data() + lo, '<', x - lo);
    if (!hit) return npos;
    const size_t t = static_cast<const char*>(hit) - text.data();
    return x < t + TokenLength(text, t) ? t : npos;
}

}  // namespace qdm::scan
