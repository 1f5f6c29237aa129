#pragma once
// "宋体", the face a Chinese book is set in, is an alias in res/fonts.conf rather than a font
// of its own. Qt lists only real families, so its font dialog would not offer "宋体" and would
// open on some other face, which OK would then apply.
#include <QString>

namespace qdm::ui {

// Adds the face fontconfig draws `alias` with once more, under the alias's own name, as an
// application font: Qt's font list then holds the alias like any family. Only a face that has
// Chinese characters is taken. Call after the fontconfig file is chosen and before the
// application object exists. Returns the family behind the alias, or an empty string when
// nothing was added (the alias names no such face, or a real font of that name exists).
QString RegisterFontAlias(const QString& alias);

}  // namespace qdm::ui
