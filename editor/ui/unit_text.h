#pragma once
// The widget's side of the GBK text: one QChar per display unit, and back to bytes.
#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

namespace qdm::ui {

// How the view stands for a line break among its characters (selected text, ShownText).
constexpr QChar kLineBreak = QChar::ParagraphSeparator;

// One character per unit of `bytes`, which start on a unit boundary: a line break (CR LF,
// lone CR, lone LF) becomes kLineBreak, a code GBK does not map becomes U+FFFD.
QString DecodeUnits(std::string_view bytes);

// Decodes the units that start in [pos, until) of `bytes`, where pos is a unit boundary, and
// moves pos past them (past `until` when the last unit straddles it).
QString DecodeUnitsFrom(std::string_view bytes, size_t& pos, size_t until);

struct Encoded {
    std::string bytes;
    qsizetype refusedAt = -1;  // index of the first character GBK cannot hold, or -1
};

// GBK bytes of widget characters; every kind of line break becomes CR LF.
Encoded EncodeChars(QStringView chars);

// Status-bar text naming the character at `at` that GBK cannot hold.
QString RefusalMessage(QStringView chars, qsizetype at);

}  // namespace qdm::ui
