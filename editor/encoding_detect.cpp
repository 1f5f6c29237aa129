#include "editor/encoding_detect.h"

#include <cstring>
#include <string>

#include "editor/cjk_tables.h"
#include "editor/codec.h"
#include "editor/gbk.h"
#include "editor/text_decoders.h"

namespace qdm {
namespace {

bool StartsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

inline unsigned char At(std::string_view s, size_t i) {
    return static_cast<unsigned char>(s[i]);
}

// Eight bytes that are all ASCII are skipped in one test: most of an English or mixed text,
// and the line breaks and digits of a Chinese one.
inline bool AsciiWord(const char* p) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    return (w & 0x8080808080808080ULL) == 0;
}

// Eight bytes from 0x81 to 0xFE, taken from a lead byte on: four valid two-byte characters,
// the bulk of a GBK book, in one test.
inline bool HighPairsWord(const char* p) {
    constexpr uint64_t kOnes = 0x0101010101010101ULL, kHigh = 0x8080808080808080ULL;
    uint64_t w;
    std::memcpy(&w, p, 8);
    auto hasZeroByte = [](uint64_t v) { return ((v - kOnes) & ~v & kHigh) != 0; };
    return (w & kHigh) == kHigh && !hasZeroByte(w ^ kHigh) && !hasZeroByte(~w);
}

// Thirty-two of them, a run of Chinese text, in one test on two 16-byte vectors (as signed
// bytes, 0x81 to 0xFE are -127 to -2).
inline bool HighPairsBlock(const char* p) {
    using Bytes = signed char __attribute__((vector_size(16)));
    Bytes lo, hi;
    std::memcpy(&lo, p, 16);
    std::memcpy(&hi, p + 16, 16);
    const auto inRange = (lo > -128) & (lo < -1) & (hi > -128) & (hi < -1);
    uint64_t half[2];
    std::memcpy(half, &inRange, 16);
    return (half[0] & half[1]) == ~uint64_t{0};
}

// Length of the valid UTF-8 sequence at i (2-4), or 0.
inline size_t Utf8SequenceLen(std::string_view s, size_t i) {
    const unsigned char b = At(s, i);
    const size_t n = s.size();
    auto cont = [&](size_t k) { return i + k < n && (At(s, i + k) & 0xC0) == 0x80; };
    if (b >= 0xC2 && b <= 0xDF) return cont(1) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        if (!cont(1) || !cont(2)) return 0;
        const unsigned char b1 = At(s, i + 1);
        if (b == 0xE0 && b1 < 0xA0) return 0;   // overlong
        if (b == 0xED && b1 >= 0xA0) return 0;  // surrogate
        return 3;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3)) return 0;
        const unsigned char b1 = At(s, i + 1);
        if (b == 0xF0 && b1 < 0x90) return 0;   // overlong
        if (b == 0xF4 && b1 >= 0x90) return 0;  // beyond U+10FFFF
        return 4;
    }
    return 0;
}

char32_t DecodeUtf8At(std::string_view s, size_t i, size_t len) {
    const unsigned char b = At(s, i);
    char32_t cp = len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (At(s, i + k) & 0x3F);
    return cp;
}

void Weigh(ReadingEvidence& e, char32_t cp) {
    ++e.units;
    if (cjk::IsCommon(cp))
        ++e.common;
    else if (cjk::IsOdd(cp))
        ++e.odd;
}

template <typename IsLead, typename IsTrail, typename Decode>
ReadingEvidence ReadDoubleByte(std::string_view s, IsLead isLead, IsTrail isTrail, Decode decode) {
    ReadingEvidence e;
    for (size_t i = 0; i < s.size();) {
        const unsigned char b = At(s, i);
        if (b < 0x80) {
            ++i;
        } else if (isLead(b) && i + 1 < s.size() && isTrail(At(s, i + 1))) {
            Weigh(e, decode(b, At(s, i + 1)));
            i += 2;
        } else {
            ++e.units;
            ++e.invalid;
            ++i;
        }
    }
    return e;
}

// Four-byte GB18030 codes, as a linear index, cover the basic plane up to 0x8431A439 and the
// supplementary planes from 0x90308130.
bool ValidFourByte(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3) {
    const long index =
        (b0 - 0x81L) * 12600 + (b1 - 0x30L) * 1260 + (b2 - 0x81L) * 10 + (b3 - 0x30L);
    return index <= 39419 || (index >= 189000 && index < 189000 + 0x100000);
}

bool IsDigit(unsigned char b) {
    return b >= 0x30 && b <= 0x39;
}

// Where the characters of a Chinese text in UTF-8 lie: ideographs, their punctuation and the
// full-width forms. GBK bytes that happen to be valid UTF-8 mostly decode below U+0800.
bool IsHanRange(char32_t cp) {
    return (cp >= 0x2E80 && cp <= 0x9FFF) || (cp >= 0xFF00 && cp <= 0xFFEF) ||
           (cp >= 0x2000 && cp <= 0x206F) || cp >= 0x20000;
}

bool AllHan(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        if (At(s, i) < 0x80) {
            ++i;
            continue;
        }
        const size_t len = Utf8SequenceLen(s, i);
        if (!IsHanRange(DecodeUtf8At(s, i, len))) return false;
        i += len;
    }
    return true;
}

// A short valid UTF-8 text is weighed as GBK too: it stays GBK when that reading is as good
// and the UTF-8 one is not all Chinese.
bool ShortTextReadsAsGbk(std::string_view bytes) {
    const ReadingEvidence asGbk = ReadAsGbk(bytes);
    if (asGbk.invalid > 0) return false;
    const double gbk = asGbk.Score(), utf8 = ReadAsUtf8(bytes).Score();
    if (utf8 > gbk) return false;
    return utf8 < gbk || !AllHan(bytes);
}

bool Big5ExplainsBetter(std::string_view bytes) {
    const std::string sample = SampleForBig5(bytes);
    const ReadingEvidence big5 = ReadAsBig5(sample);
    if (big5.units == 0) return false;
    return big5.Score() > ReadAsGbk(sample).Score() + kBig5Margin;
}

}  // namespace

double ReadingEvidence::Score() const {
    if (units == 0) return 0;
    return static_cast<double>(common - odd - invalid) / static_cast<double>(units);
}

size_t BomLength(std::string_view bytes, Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf8:
            return StartsWith(bytes, "\xEF\xBB\xBF") ? 3 : 0;
        case Encoding::Utf16Le:
            return StartsWith(bytes, "\xFF\xFE") ? 2 : 0;
        case Encoding::Utf16Be:
            return StartsWith(bytes, "\xFE\xFF") ? 2 : 0;
        default:
            return 0;
    }
}

Encoding ResolveUtf16(std::string_view bytes) {
    if (BomLength(bytes, Encoding::Utf16Le)) return Encoding::Utf16Le;
    if (BomLength(bytes, Encoding::Utf16Be)) return Encoding::Utf16Be;
    int64_t zeroEven = 0, zeroOdd = 0;
    const size_t n = std::min<size_t>(bytes.size(), 1 << 16) & ~size_t{1};
    for (size_t i = 0; i < n; i += 2) {
        zeroEven += bytes[i] == 0;
        zeroOdd += bytes[i + 1] == 0;
    }
    return zeroEven > zeroOdd ? Encoding::Utf16Be : Encoding::Utf16Le;
}

Utf8Evidence ScanUtf8(std::string_view s) {
    Utf8Evidence e;
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        const unsigned char b = At(s, i);
        if (b < 0x80) {
            i += (i + 8 <= n && AsciiWord(s.data() + i)) ? 8 : 1;
            continue;
        }
        // Most of a Chinese text: three-byte characters from U+1000 to U+CFFF, checked here
        // without the special cases of the other leads.
        if (b >= 0xE1 && b <= 0xEC && i + 2 < n && (At(s, i + 1) & 0xC0) == 0x80 &&
            (At(s, i + 2) & 0xC0) == 0x80) {
            ++e.multibyte;
            i += 3;
            continue;
        }
        const size_t len = Utf8SequenceLen(s, i);
        if (len > 0) {
            ++e.multibyte;
            i += len;
            continue;
        }
        const size_t bad = decode::Utf8MalformedLen(s, i);
        if (i + bad == n && b >= 0xC2 && b <= 0xF4) break;  // cut at the end
        // A text in another encoding fails within its first characters and again soon after:
        // a GBK book is given up after a few hundred KB.
        ++e.malformed;
        if (decode::Utf8Hopeless(e.malformed, e.multibyte, static_cast<int64_t>(n - i),
                                 kUtf8ErrorRatio))
            return e;
        i += bad;
    }
    e.valid = decode::Utf8Acceptable(e.malformed, e.multibyte, kUtf8ErrorRatio);
    return e;
}

ReadingEvidence ReadAsGbk(std::string_view s) {
    return ReadDoubleByte(s, gbk::IsLead, gbk::IsTrail, gbk::DecodePair);
}

ReadingEvidence ReadAsBig5(std::string_view s) {
    return ReadDoubleByte(s, cjk::IsBig5Lead, cjk::IsBig5Trail, cjk::Big5Pair);
}

ReadingEvidence ReadAsUtf8(std::string_view s) {
    ReadingEvidence e;
    for (size_t i = 0; i < s.size();) {
        if (At(s, i) < 0x80) {
            ++i;
            continue;
        }
        const size_t len = Utf8SequenceLen(s, i);
        if (len == 0) {
            ++e.units;
            ++e.invalid;
            ++i;
            continue;
        }
        Weigh(e, DecodeUtf8At(s, i, len));
        i += len;
    }
    return e;
}

Gb18030Evidence ScanGb18030(std::string_view s) {
    Gb18030Evidence e;
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char b = At(s, i);
        if (b < 0x80) {
            i += (i + 8 <= n && AsciiWord(s.data() + i)) ? 8 : 1;
            continue;
        }
        if (i + 32 <= n && HighPairsBlock(s.data() + i)) {
            do i += 32;
            while (i + 32 <= n && HighPairsBlock(s.data() + i));
            continue;
        }
        if (i + 8 <= n && HighPairsWord(s.data() + i)) {
            i += 8;
            continue;
        }
        if (b != 0xFF && b != 0x80 && i + 1 < n) {
            const unsigned char t = At(s, i + 1);
            if (t >= 0x40 && t != 0x7F && t != 0xFF) {
                i += 2;
                continue;
            }
        }
        if (b == 0x80 || b == 0xFF || i + 1 >= n) return e;
        if (const unsigned char b1 = At(s, i + 1);
            IsDigit(b1) && i + 3 < n && At(s, i + 2) >= 0x81 && At(s, i + 2) <= 0xFE &&
            IsDigit(At(s, i + 3)) && ValidFourByte(b, b1, At(s, i + 2), At(s, i + 3))) {
            ++e.fourByte;
            i += 4;
        } else {
            return e;
        }
    }
    e.valid = true;
    return e;
}

std::string SampleForBig5(std::string_view bytes) {
    constexpr size_t kWindow = 64 * 1024;
    if (bytes.size() <= 4 * kWindow) return std::string(bytes);
    std::string sample;
    for (int k = 0; k < 4; ++k) {
        size_t start = bytes.size() / 4 * k;
        if (k > 0) {
            const size_t lf = bytes.find('\n', start);
            if (lf == std::string_view::npos || lf + 1 >= bytes.size()) break;
            start = lf + 1;
        }
        // A window ends before a line feed too, so no character is cut in two.
        std::string_view window = bytes.substr(start, kWindow);
        const size_t last = window.rfind('\n');
        if (last != std::string_view::npos && start + kWindow < bytes.size())
            window = window.substr(0, last + 1);
        sample.append(window);
        if (!sample.empty() && sample.back() != '\n') sample += '\n';
    }
    return sample;
}

Encoding DetectEncoding(std::string_view bytes) {
    if (BomLength(bytes, Encoding::Utf8)) return Encoding::Utf8;
    if (BomLength(bytes, Encoding::Utf16Le)) return Encoding::Utf16Le;
    if (BomLength(bytes, Encoding::Utf16Be)) return Encoding::Utf16Be;
    const Utf8Evidence utf8 = ScanUtf8(bytes);
    if (utf8.valid && utf8.multibyte > 0) {
        if (utf8.multibyte >= kShortUtf8 || !ShortTextReadsAsGbk(bytes)) return Encoding::Utf8;
        return Encoding::Gbk;
    }
    if (utf8.valid) return Encoding::Gbk;  // plain ASCII
    const Gb18030Evidence gb18030 = ScanGb18030(bytes);
    if (gb18030.valid && gb18030.fourByte > 0) return Encoding::Gb18030;
    if (Big5ExplainsBetter(bytes)) return Encoding::Big5;
    return Encoding::Gbk;
}

}  // namespace qdm
