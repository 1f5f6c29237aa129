#include "editor/ui/unit_text.h"

#include <array>

#include "editor/codec.h"
#include "editor/gbk.h"
#include "editor/utf8.h"

namespace qdm::ui {

namespace {

// Every unit's character by its bytes, looked up directly: decoding walks whole books.
struct Tables {
    std::array<char16_t, 256> single{};
    std::array<char16_t, 65536> pair{};  // lead << 8 | trail
    Tables() {
        for (int b = 0; b < 256; ++b) single[b] = gbk::DecodeSingle(static_cast<unsigned char>(b));
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0x40; trail <= 0xFE; ++trail)
                pair[lead << 8 | trail] = gbk::DecodePair(static_cast<unsigned char>(lead),
                                                          static_cast<unsigned char>(trail));
    }
};

const Tables& DecodeTables() {
    static const Tables tables;
    return tables;
}

}  // namespace

QString DecodeUnitsFrom(std::string_view bytes, size_t& pos, size_t until) {
    const Tables& t = DecodeTables();
    const size_t n = bytes.size();
    until = std::min(until, n);
    QString out(static_cast<qsizetype>(until > pos ? until - pos : 0), Qt::Uninitialized);
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    char16_t* const start = o;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t i = pos;
    while (i < until) {
        const unsigned char b = p[i];
        if (b == '\r' || b == '\n') {
            *o++ = kLineBreak.unicode();
            i += (b == '\r' && i + 1 < n && p[i + 1] == '\n') ? 2 : 1;
        } else if (b >= 0x81 && b <= 0xFE && i + 1 < n && p[i + 1] >= 0x40 && p[i + 1] <= 0xFE) {
            *o++ = t.pair[b << 8 | p[i + 1]];
            i += 2;
        } else {
            *o++ = t.single[b];
            ++i;
        }
    }
    pos = i;
    out.truncate(o - start);
    return out;
}

QString DecodeUnits(std::string_view bytes) {
    size_t pos = 0;
    return DecodeUnitsFrom(bytes, pos, bytes.size());
}

namespace {

bool IsLineBreak(char16_t c) {
    return c == u'\n' || c == u'\r' || c == kLineBreak.unicode() || c == QChar::LineSeparator;
}

}  // namespace

Encoded EncodeChars(QStringView chars) {
    Encoded out;
    out.bytes.reserve(static_cast<size_t>(chars.size()) * 2);
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const char16_t c = chars[i].unicode();
        if (IsLineBreak(c)) {
            out.bytes += "\r\n";
        } else if (c < 0x80) {
            out.bytes += static_cast<char>(c);
        } else {
            std::string one = gbk::EncodeChar(c);  // empty for surrogates and unmapped codes
            if (one.empty()) {
                out.refusedAt = i;
                out.bytes.clear();
                return out;
            }
            out.bytes += one;
        }
    }
    return out;
}

QString RefusalMessage(QStringView chars, qsizetype at) {
    char32_t cp = chars[at].unicode();
    QString shown = chars.mid(at, 1).toString();
    if (chars[at].isHighSurrogate() && at + 1 < chars.size() && chars[at + 1].isLowSurrogate()) {
        cp = QChar::surrogateToUcs4(chars[at], chars[at + 1]);
        shown = chars.mid(at, 2).toString();
    }
    return QStringLiteral("GBK 编码中没有字符“%1”（%2），文本没有改动")
        .arg(shown, QString::fromStdString(qdm::CodepointName(cp)));
}

}  // namespace qdm::ui
