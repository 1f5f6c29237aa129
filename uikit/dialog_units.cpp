#include "uikit/dialog_units.h"

#include <QFontInfo>
#include <QFontMetricsF>

namespace qdm::ui {

QFont FormFont() {
    QFont font(QStringLiteral("宋体"));
    font.setPointSize(9);
    return font;
}

QRect DialogUnits(const QFont& font, int x, int y, int w, int h) {
    // The average over the Latin alphabet, as the units are defined; a CJK face's own
    // "average width" is that of its full-width characters, twice too wide. The height is
    // the font's size in pixels: a CJK face's line height adds generous leading.
    const QFontMetricsF fm(font);
    const double bx = fm.horizontalAdvance(
                          QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                      52.0 / 4.0;
    const double by = QFontInfo(font).pixelSize() / 8.0;
    return QRect(qRound(x * bx), qRound(y * by), qRound(w * bx), qRound(h * by));
}

}  // namespace qdm::ui
