#pragma once
// How much of the widget's old text a new model text keeps at its start and at its end, found
// without decoding the whole new text at once: a rewrite of a book (numbering, sectioning)
// then only touches the part between.
#include <QStringView>
#include <string_view>

namespace qdm {
class UnitIndex;
}

namespace qdm::ui {

// Widget characters at the start of `was` that equal the units of `text`.
qsizetype CommonPrefix(QStringView was, std::string_view text);

// Characters at the end of `was` that equal the last units of `text` (indexed by `index`),
// not reaching into the first `prefix` characters of either.
qsizetype CommonSuffix(QStringView was, std::string_view text, const UnitIndex& index,
                       qsizetype prefix);

}  // namespace qdm::ui
