#pragma once
// Where the editor's boxes and dialogs appear. Qt centres a dialog on its parent's window,
// which tells nothing while that window is not shown yet (a warning from a dialog that is
// still being set up) and nothing useful while it sits where no window manager has put it.
#include <QRect>

class QWidget;

namespace qdm::ui {

// The first shown window up `owner`'s chain of parents, null when there is none.
QWidget* ShownOwner(QWidget* owner);
// Centres `window`, at the size it will show at, on `area`, kept on the screen around it.
void CentreOn(QWidget* window, const QRect& area);
// Before a box or dialog owned by `owner` is shown: centred on the first shown window up
// the chain, or on the screen when there is none.
void PlaceOver(QWidget* window, QWidget* owner);
// Moves `window` off `spot` (global coordinates) when it covers it: below the spot when the
// window fits there on the screen, otherwise above it, otherwise beside it.
void KeepInSight(QWidget* window, const QRect& spot);

}  // namespace qdm::ui
