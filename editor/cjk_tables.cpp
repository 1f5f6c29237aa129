#include "editor/cjk_tables.h"

#include <unicode/ucnv.h>

#include <bitset>
#include <cstdlib>
#include <memory>
#include <vector>

#include "editor/codec.h"

namespace qdm::cjk {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// Index of a Big5 code in a dense table: 126 leads times 157 trails.
constexpr int kBig5Trails = 157;
int Big5Index(unsigned char lead, unsigned char trail) {
    const int t = trail <= 0x7E ? trail - 0x40 : trail - 0xA1 + 63;
    return (lead - 0x81) * kBig5Trails + t;
}

std::vector<char16_t> BuildBig5() {
    std::vector<char16_t> table(126 * kBig5Trails, u'\uFFFD');
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> conv(ucnv_open("windows-950", &status));
    if (U_FAILURE(status)) std::abort();
    ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (!IsBig5Trail(static_cast<unsigned char>(trail))) continue;
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            UChar out[4];
            status = U_ZERO_ERROR;
            ucnv_reset(conv.get());
            const int n = ucnv_toUChars(conv.get(), out, 4, bytes, 2, &status);
            if (U_SUCCESS(status) && n == 1)
                table[Big5Index(static_cast<unsigned char>(lead),
                                static_cast<unsigned char>(trail))] = out[0];
        }
    return table;
}

const std::vector<char16_t>& Big5Table() {
    static const std::vector<char16_t> table = BuildBig5();
    return table;
}

void MarkGbkRange(std::bitset<65536>& set, int firstLead, int lastLead) {
    for (int lead = firstLead; lead <= lastLead; ++lead)
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            const char16_t cp = gbk::DecodePair(static_cast<unsigned char>(lead),
                                                static_cast<unsigned char>(trail));
            if (cp != u'\uFFFD') set.set(cp);
        }
}

void MarkBig5Range(std::bitset<65536>& set, int first, int last) {
    for (int code = first; code <= last; ++code) {
        const auto lead = static_cast<unsigned char>(code >> 8);
        const auto trail = static_cast<unsigned char>(code & 0xFF);
        if (!IsBig5Trail(trail)) continue;
        const char16_t cp = Big5Pair(lead, trail);
        if (cp != u'\uFFFD') set.set(cp);
    }
}

const std::bitset<65536>& CommonSet() {
    static const std::bitset<65536> set = [] {
        std::bitset<65536> s;
        MarkGbkRange(s, 0xA1, 0xA3);       // punctuation, numbered forms, full-width ASCII
        MarkGbkRange(s, 0xB0, 0xD7);       // level one
        MarkBig5Range(s, 0xA140, 0xA1FE);  // punctuation only: later rows hold Greek
        MarkBig5Range(s, 0xA440, 0xC67E);
        return s;
    }();
    return set;
}

std::vector<uint16_t> BuildGbkCodes() {
    std::vector<uint16_t> codes(65536, 0);
    auto add = [&](char16_t cp) {
        if (cp == u'\uFFFD' || codes[cp] != 0) return;
        const std::string bytes = gbk::EncodeChar(cp);
        if (bytes.size() == 1)
            codes[cp] = static_cast<unsigned char>(bytes[0]);
        else if (bytes.size() == 2)
            codes[cp] = static_cast<uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                              static_cast<unsigned char>(bytes[1]));
    };
    // Every character GBK holds decodes from some unit, so only those need asking.
    for (int b = 1; b < 0x100; ++b) add(gbk::DecodeSingle(static_cast<unsigned char>(b)));
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail)
            add(gbk::DecodePair(static_cast<unsigned char>(lead),
                                static_cast<unsigned char>(trail)));
    return codes;
}

}  // namespace

char16_t Big5Pair(unsigned char lead, unsigned char trail) {
    if (!IsBig5Lead(lead) || !IsBig5Trail(trail)) return u'\uFFFD';
    return Big5Table()[Big5Index(lead, trail)];
}

bool IsCommon(char32_t cp) {
    return cp < 0x10000 && CommonSet().test(cp);
}

bool IsOdd(char32_t cp) {
    return cp == 0xFFFD || (cp >= 0xE000 && cp <= 0xF8FF) || (cp >= 0x3040 && cp <= 0x30FF) ||
           (cp >= 0x3100 && cp <= 0x312F) || (cp >= 0x2500 && cp <= 0x257F) ||
           (cp >= 0x0370 && cp <= 0x04FF) || (cp >= 0x80 && cp <= 0x9F);
}

const uint16_t* GbkCodeTable() {
    static const std::vector<uint16_t> codes = BuildGbkCodes();
    return codes.data();
}

}  // namespace qdm::cjk
