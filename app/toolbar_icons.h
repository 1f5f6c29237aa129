#pragma once
// Images of the toolbar buttons (16 x 15), drawn rather than loaded so that they stay sharp
// at any screen scale.
#include <QIcon>

namespace qdm::ui {

QIcon ToolbarIcon(int commandId);
// The application's icon, res/mked.png; the platform's default where it cannot be found.
QIcon AppIcon();

}  // namespace qdm::ui
