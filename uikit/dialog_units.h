#pragma once
// Dialog units: forms and boxes are laid out in units of their font, a quarter of the average
// Latin letter width across and an eighth of the font's height down.
#include <QFont>
#include <QRect>

namespace qdm::ui {

// The font of the editor's forms and boxes: 宋体 at 9 points.
QFont FormFont();
QRect DialogUnits(const QFont& font, int x, int y, int w, int h);

}  // namespace qdm::ui
