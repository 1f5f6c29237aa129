#include "editor/find.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "editor/gbk.h"

namespace qdm {
namespace {

inline unsigned char At(std::string_view text, size_t i) {
    return static_cast<unsigned char>(text[i]);
}

bool IsAsciiLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Backward searches look at the text in windows of this size, so finding the previous match
// near the caret does not cost a pass from the start of the book.
constexpr size_t kWindow = 64 * 1024;
constexpr size_t kChunk = 4096;

// The first p in [from, last] where a and b stand at p and p + 1 (base[last + 1] is read),
// sixteen starts in one test: memmem takes a needle of two bytes, 的 or any other character,
// one byte at a time.
size_t PairAt(const char* base, size_t from, size_t last, char a, char b) {
    using Bytes = char __attribute__((vector_size(16)));
    const Bytes va = Bytes{} + a, vb = Bytes{} + b;
    size_t p = from;
    for (; p + 15 <= last; p += 16) {
        Bytes x, y;
        std::memcpy(&x, base + p, 16);
        std::memcpy(&y, base + p + 1, 16);
        const auto both = (x == va) & (y == vb);
        uint64_t half[2];
        std::memcpy(half, &both, 16);
        if (half[0] | half[1]) break;  // the byte loop below finds which
    }
    for (; p <= last; ++p)
        if (base[p] == a && base[p + 1] == b) return p;
    return std::string_view::npos;
}

}  // namespace

bool IsWordByte(unsigned char c) {
    return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_';
}

CTextFinder::CTextFinder(std::string pattern, FindOptions options)
    : m_pattern(std::move(pattern)), m_options(options), m_fold(m_pattern.size(), 0) {
    // Only a letter that stands as a character of its own folds; the same byte as the second
    // half of a double-byte character must match exactly.
    for (size_t i = 0; i < m_pattern.size();) {
        const size_t len = gbk::CharLen(m_pattern, i);
        if (len == 1 && IsAsciiLetter(At(m_pattern, i)) && !options.matchCase) {
            m_fold[i] = 1;
            m_folds = true;
        }
        const bool word = len == 1 && IsWordByte(At(m_pattern, i));
        if (i == 0) m_firstIsWord = word;
        m_lastIsWord = word;
        i += len;
    }
}

bool CTextFinder::BytesMatch(std::string_view text, size_t pos) const {
    const size_t n = m_pattern.size();
    if (pos > text.size() || text.size() - pos < n) return false;
    if (!m_folds) return std::memcmp(text.data() + pos, m_pattern.data(), n) == 0;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char t = At(text, pos + i), p = At(m_pattern, i);
        if (m_fold[i] ? (t | 0x20) != (p | 0x20) : t != p) return false;
    }
    return true;
}

// The first position at or after `from` where the bytes match and the match ends by `hi`.
size_t CTextFinder::Candidate(std::string_view text, size_t from, size_t hi) const {
    const size_t n = m_pattern.size();
    if (from > hi || hi - from < n) return npos;
    const char* base = text.data();
    if (!m_folds && n == 1) {
        const void* hit = std::memchr(base + from, m_pattern[0], hi - from);
        return hit ? static_cast<const char*>(hit) - base : npos;
    }
    if (!m_folds) {
        for (size_t p = from;; ++p) {
            p = PairAt(base, p, hi - n, m_pattern[0], m_pattern[1]);
            if (p == npos || std::memcmp(base + p + 2, m_pattern.data() + 2, n - 2) == 0) return p;
        }
    }
    // The first byte in either case, looked for chunk by chunk: one of the two may not occur
    // at all, and looking for it to the end of the book on every call would be quadratic.
    const char first = m_pattern[0];
    const char other = m_fold[0] ? static_cast<char>(first ^ 0x20) : first;
    const size_t last = hi - n;  // the last possible start
    for (size_t chunk = from; chunk <= last; chunk += kChunk) {
        const size_t stop = std::min(last + 1, chunk + kChunk);
        auto find = [&](char b, size_t p) -> size_t {
            const void* hit = std::memchr(base + p, b, stop - p);
            return hit ? static_cast<const char*>(hit) - base : npos;
        };
        size_t a = find(first, chunk), b = other == first ? npos : find(other, chunk);
        while (a != npos || b != npos) {
            const size_t c = std::min(a, b);
            if (BytesMatch(text, c)) return c;
            if (c + 1 == stop) break;
            if (a == c) a = find(first, c + 1);
            if (b == c) b = find(other, c + 1);
        }
    }
    return npos;
}

bool CTextFinder::WordEdgesOk(std::string_view text, size_t pos) const {
    if (!m_options.wholeWord) return true;
    // A byte of a word is below 0x80, so before the match it ends a character unless it is
    // the second byte of a pair; after the match it always starts one.
    if (m_firstIsWord && pos > 0 && IsWordByte(At(text, pos - 1)) && gbk::IsBoundary(text, pos - 1))
        return false;
    const size_t end = pos + m_pattern.size();
    return !(m_lastIsWord && end < text.size() && IsWordByte(At(text, end)));
}

size_t CTextFinder::Next(std::string_view text, size_t from, size_t hi) const {
    if (m_pattern.empty()) return npos;
    hi = std::min(hi, text.size());
    size_t known = from;  // a boundary at or before every candidate looked at
    for (size_t p = from;;) {
        const size_t c = Candidate(text, p, hi);
        if (c == npos) return npos;
        if (!gbk::IsBoundary(text, c, known)) {
            known = p = c + 1;  // c was a second byte, so the next byte starts a character
            continue;
        }
        if (WordEdgesOk(text, c)) return c;
        known = p = c + gbk::CharLen(text, c);
    }
}

size_t CTextFinder::Previous(std::string_view text, size_t lo, size_t to) const {
    if (m_pattern.empty()) return npos;
    to = std::min(to, text.size());
    // Windows [s, e) from the back: the last match starting in a window is the answer.
    for (size_t e = to; e > lo;) {
        size_t s = e - lo > kWindow ? e - kWindow : lo;
        // Back to a byte that cannot lead a pair: the byte after it starts a character.
        while (s > lo && gbk::IsLead(At(text, s - 1))) --s;
        const size_t hi = std::min(to, e + m_pattern.size() - 1);
        size_t last = npos;
        for (size_t p = s;;) {
            const size_t c = Next(text, p, hi);
            if (c == npos || c >= e) break;
            last = c;
            p = c + gbk::CharLen(text, c);
        }
        if (last != npos) return last;
        e = s;
    }
    return npos;
}

bool CTextFinder::MatchesAt(std::string_view text, size_t pos) const {
    return !m_pattern.empty() && BytesMatch(text, pos) && WordEdgesOk(text, pos);
}

}  // namespace qdm
