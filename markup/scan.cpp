#include "markup/scan.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "markup/tags.h"

namespace qdm::scan {
namespace {

// The scanned kinds (1 to 5) by the letter after "<v" (or "</v"): their names differ in it.
constexpr std::array<int8_t, 256> kKindByLetter = [] {
    std::array<int8_t, 256> byLetter{};
    for (int32_t kind = TAG_SECTION; kind <= TAG_EMPH; ++kind)
        byLetter[static_cast<unsigned char>(kTagSpellings[kind - 1].begin[2])] =
            static_cast<int8_t>(kind);
    return byLetter;
}();
static_assert([] {
    int found = 0;
    for (int8_t kind : kKindByLetter) found += kind != 0;
    return found == TAG_EMPH;
}());

std::string_view Spelling(int32_t kind, bool isEnd) {
    const TagSpelling& s = kTagSpellings[kind - 1];
    return isEnd ? s.end : s.begin;
}

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
    const int32_t kind = kKindByLetter[static_cast<unsigned char>(text[v + 1])];
    if (!kind || !StartsWith(text, pos, Spelling(kind, isEnd))) return {};
    return {kind, isEnd};
}

size_t TagString::Length() const {
    return kind == 0 ? 0 : Spelling(kind, isEnd).size();
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
