#include "editor/codec.h"

#include <unicode/ucnv.h>
#include <unicode/utf8.h>

#include <array>
#include <memory>
#include <mutex>

#include "editor/gbk.h"
#include "editor/utf8.h"

namespace qdm::gbk {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// ICU's default callbacks hide errors; every conversion here stops at the first one.
Converter OpenStrict() {
    UErrorCode status = U_ZERO_ERROR;
    Converter conv(ucnv_open("windows-936", &status));
    if (U_FAILURE(status)) std::abort();
    ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(conv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &status);
    return conv;
}

// Decodes exactly these bytes to one UTF-16 unit, or U+FFFD.
char16_t DecodeBytes(UConverter* conv, const char* bytes, int len) {
    UChar out[4];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(conv);
    int n = ucnv_toUChars(conv, out, 4, bytes, len, &status);
    if (U_FAILURE(status) || n != 1) return u'\uFFFD';
    return out[0];
}

struct DecodeTables {
    std::array<char16_t, 256> single{};
    std::array<char16_t, 128 * 256> pair{};  // index (lead - 0x80) * 256 + trail
};

const DecodeTables& Tables() {
    static const DecodeTables tables = [] {
        DecodeTables t;
        Converter conv = OpenStrict();
        for (int b = 0; b < 256; ++b) {
            char c = static_cast<char>(b);
            t.single[b] = IsLead(b) ? u'\uFFFD' : DecodeBytes(conv.get(), &c, 1);
        }
        t.pair.fill(u'\uFFFD');
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                t.pair[(lead - 0x80) * 256 + trail] = DecodeBytes(conv.get(), bytes, 2);
            }
        return t;
    }();
    return tables;
}

}  // namespace

char16_t DecodeSingle(unsigned char b) {
    return Tables().single[b];
}

char16_t DecodePair(unsigned char lead, unsigned char trail) {
    if (!IsLead(lead) || !IsTrail(trail)) return u'\uFFFD';
    return Tables().pair[(lead - 0x80) * 256 + trail];
}

std::string EncodeChar(char32_t cp) {
    if (cp > 0xFFFF || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFD) return {};
    static thread_local Converter conv = OpenStrict();
    UChar in = static_cast<UChar>(cp);
    char out[8];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(conv.get());
    int n = ucnv_fromUChars(conv.get(), out, sizeof out, &in, 1, &status);
    if (U_FAILURE(status) || n < 1 || n > 2) return {};
    std::string bytes(out, n);
    char16_t back =
        n == 1 ? DecodeSingle(static_cast<unsigned char>(out[0]))
               : DecodePair(static_cast<unsigned char>(out[0]), static_cast<unsigned char>(out[1]));
    if (back != in) return {};
    if (n == 2 && CharLen(bytes, 0) != 2) return {};
    return bytes;
}

std::string ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    const DecodeTables& t = Tables();
    for (size_t i = 0; i < text.size();) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
        } else if (CharLen(text, i) == 2) {
            AppendUtf8(out, t.pair[(b - 0x80) * 256 + static_cast<unsigned char>(text[i + 1])]);
            i += 2;
        } else {
            AppendUtf8(out, t.single[b]);
            ++i;
        }
    }
    return out;
}

std::optional<std::string> FromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        int32_t pos = static_cast<int32_t>(i);
        UChar32 cp;
        U8_NEXT(reinterpret_cast<const uint8_t*>(utf8.data()), pos,
                static_cast<int32_t>(utf8.size()), cp);
        if (cp < 0) return std::nullopt;
        std::string bytes = EncodeChar(static_cast<char32_t>(cp));
        if (bytes.empty()) return std::nullopt;
        out += bytes;
        i = static_cast<size_t>(pos);
    }
    return out;
}

}  // namespace qdm::gbk
