#include "editor/ui/unit_text.h"

#include "editor/codec.h"
#include "editor/gbk.h"

namespace qdm::ui {

QString DecodeUnits(std::string_view bytes) {
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* o = out.data();
    const size_t n = bytes.size();
    for (size_t i = 0; i < n;) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80 && b != '\r' && b != '\n') {
            *o++ = QChar(b);
            ++i;
        } else if (b == '\r' || b == '\n') {
            *o++ = kLineBreak;
            i += (b == '\r' && i + 1 < n && bytes[i + 1] == '\n') ? 2 : 1;
        } else if (gbk::CharLen(bytes, i) == 2) {
            *o++ = QChar(gbk::DecodePair(b, static_cast<unsigned char>(bytes[i + 1])));
            i += 2;
        } else {
            *o++ = QChar(gbk::DecodeSingle(b));
            ++i;
        }
    }
    out.truncate(o - out.data());
    return out;
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
    const QString hex = QString::number(static_cast<uint>(cp), 16).toUpper();
    return QStringLiteral("GBK 编码中没有字符“%1”（U+%2），文本没有改动")
        .arg(shown, hex.rightJustified(4, u'0'));
}

}  // namespace qdm::ui
