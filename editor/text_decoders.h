#pragma once
// Decoders that hand each character of a text to a sink, in order: sink.Put(cp) for a
// character, sink.Malformed(cp, byteOffset) for a sequence that is not valid in the encoding
// (cp is U+FFFD, or the surrogate itself for a lone UTF-16 surrogate). Internal to the
// converter; templates so the per-character call inlines into the loop.
#include <cstdint>
#include <cstring>
#include <string_view>

namespace qdm::decode {

inline unsigned char At(std::string_view s, size_t i) {
    return static_cast<unsigned char>(s[i]);
}

// The number of bytes a malformed UTF-8 sequence at i covers: the lead byte and whatever
// continuation bytes could still have completed it, so a truncated character counts once.
inline size_t Utf8MalformedLen(std::string_view s, size_t i) {
    const unsigned char b = At(s, i);
    size_t want = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF)
        want = 1;
    else if (b >= 0xE0 && b <= 0xEF) {
        want = 2;
        if (b == 0xE0) lo = 0xA0;
        if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        want = 3;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;
    }
    size_t len = 1;
    while (len <= want && i + len < s.size()) {
        const unsigned char c = At(s, i + len);
        if (c < lo || c > hi) break;
        lo = 0x80;
        hi = 0xBF;
        ++len;
    }
    return len;
}

// What a UTF-8 pass saw, for deciding whether the text was UTF-8 at all.
struct Utf8Tally {
    int64_t multibyte = 0;  // valid characters of two or more bytes
    int64_t damaged = 0;    // malformed sequences, not counting one cut by the end of the text
    bool stopped = false;   // given up: too much damage for a UTF-8 text
};

// A text is UTF-8 when at most one sequence in `ratio` is damaged. The decision is taken on the
// whole text's counts, so it does not depend on where a scan is cut into parts; a scan may stop
// once the damage could not be outweighed even if every byte left (`bytesLeft`, here and in the
// other parts) formed a two-byte character.
inline bool Utf8Acceptable(int64_t damaged, int64_t multibyte, int64_t ratio) {
    return damaged * ratio <= multibyte;
}
inline bool Utf8Hopeless(int64_t damaged, int64_t multibyte, int64_t bytesLeft, int64_t ratio) {
    return damaged * ratio > multibyte + bytesLeft / 2;
}

// With `ratio` > 0 the pass stops once the text is hopeless as UTF-8; `elsewhere` counts the
// bytes of the other parts of the text. A sequence cut by the end of `s` counts as damage only
// when `s` does not end the text.
template <typename Sink>
Utf8Tally Utf8(std::string_view s, Sink& sink, int64_t ratio = 0, int64_t elsewhere = 0,
               bool endsText = true) {
    Utf8Tally tally;
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char b = At(s, i);
        if (b < 0x80) {
            sink.Put(b);
            ++i;
            continue;
        }
        if (b >= 0xE1 && b <= 0xEC && i + 2 < n) {  // most of the Chinese text: fast path
            const unsigned char b1 = At(s, i + 1), b2 = At(s, i + 2);
            if ((b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80) {
                sink.Put(static_cast<char32_t>((b & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F)));
                ++tally.multibyte;
                i += 3;
                continue;
            }
        }
        const size_t bad = Utf8MalformedLen(s, i);
        const size_t want = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
        if (b >= 0xC2 && b <= 0xF4 && bad == want) {
            char32_t cp = want == 2 ? (b & 0x1F) : want == 3 ? (b & 0x0F) : (b & 0x07);
            for (size_t k = 1; k < want; ++k) cp = (cp << 6) | (At(s, i + k) & 0x3F);
            sink.Put(cp);
            ++tally.multibyte;
            i += want;
            continue;
        }
        const bool cutByEnd = endsText && i + bad == n && b >= 0xC2 && b <= 0xF4;
        if (!cutByEnd) ++tally.damaged;
        if (ratio > 0 && Utf8Hopeless(tally.damaged, tally.multibyte,
                                      static_cast<int64_t>(n - i) + elsewhere, ratio)) {
            tally.stopped = true;
            return tally;
        }
        sink.Malformed(U'\uFFFD', static_cast<int64_t>(i));
        i += bad;
    }
    return tally;
}

template <typename Sink>
void Utf16(std::string_view s, bool bigEndian, Sink& sink) {
    const size_t n = s.size() & ~size_t{1};
    auto unit = [&](size_t i) -> char32_t {
        return bigEndian ? (At(s, i) << 8 | At(s, i + 1)) : (At(s, i + 1) << 8 | At(s, i));
    };
    size_t i = 0;
    while (i < n) {
        const char32_t u = unit(i);
        if (u < 0xD800 || u > 0xDFFF) {
            sink.Put(u);
            i += 2;
        } else if (u <= 0xDBFF && i + 2 < n && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
            sink.Put(0x10000 + ((u - 0xD800) << 10) + (unit(i + 2) - 0xDC00));
            i += 4;
        } else {
            sink.Malformed(u, static_cast<int64_t>(i));
            i += 2;
        }
    }
    if (s.size() & 1) sink.Malformed(U'\uFFFD', static_cast<int64_t>(n));
}

}  // namespace qdm::decode
