#include "app/appearance_dialogs.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QWidget>
#include <cmath>

namespace qdm::ui {

std::optional<FontChoice> QtAppearanceDialogs::ChooseFont(const FontRequest& request) {
    QFont initial(request.face);
    if (request.sizeTenths > 0)
        initial.setPointSizeF(request.sizeTenths / 10.0);
    else
        initial.setPixelSize(std::abs(request.height));
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, m_owner, QStringLiteral("字体"));
    if (!ok) return {};
    double points = chosen.pointSizeF();
    if (points <= 0) {
        // A size kept in pixels, as the description gave it: in points at the screen's dpi.
        const int dpi = m_owner ? m_owner->logicalDpiY() : 96;
        points = chosen.pixelSize() * 72.0 / dpi;
    }
    return FontChoice{chosen.family(), static_cast<int32_t>(std::lround(points * 10))};
}

std::optional<uint32_t> QtAppearanceDialogs::ChooseColor(uint32_t initial) {
    const QColor chosen =
        QColorDialog::getColor(QColor::fromRgb(initial), m_owner, QStringLiteral("颜色"));
    if (!chosen.isValid()) return {};
    return static_cast<uint32_t>(chosen.rgb() & 0xFFFFFFu);
}

}  // namespace qdm::ui
