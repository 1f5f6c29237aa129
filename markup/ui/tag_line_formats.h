#pragma once
// The tag colours of one line: every tag string in the colour of its kind, the number of a
// numbered section begin tag in bold.
#include <QColor>
#include <QList>
#include <QTextLayout>
#include <cstdint>
#include <string_view>

namespace qdm::ui {

// Colour of kind 1 to 5 (any other number: the emphasis colour).
QColor KindColor(int32_t kind);

// The formats of the tags in bytes [lineStart, lineEnd) of `text`, a line without its break;
// ranges count the line's characters from its start.
QList<QTextLayout::FormatRange> TagLineFormats(std::string_view text, int32_t lineStart,
                                               int32_t lineEnd);

}  // namespace qdm::ui
