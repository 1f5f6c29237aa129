#include "app/appearance_dialogs.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QWidget>
#include <cmath>

namespace qdm::ui {
namespace {

// The dialog's own choice of writing system, set to Simplified Chinese: it lists the faces
// that can draw the book and shows a Chinese sample instead of "AaBbYyZz", which Qt never
// translates. The user may still pick "任意".
void ShowChineseFaces(QFontDialog& dialog, const QFont& initial) {
    const QString chinese = QFontDatabase::writingSystemName(QFontDatabase::SimplifiedChinese);
    for (QComboBox* combo : dialog.findChildren<QComboBox*>()) {
        const int at = combo->findText(chinese);
        if (at < 0) continue;
        combo->setCurrentIndex(at);
        emit combo->activated(at);  // what a pick by the user does: the list follows
        dialog.setCurrentFont(initial);
        return;
    }
}

}  // namespace

std::optional<FontChoice> QtAppearanceDialogs::ChooseFont(const FontRequest& request) {
    QFont initial(request.face);
    if (request.sizeTenths > 0)
        initial.setPointSizeF(request.sizeTenths / 10.0);
    else
        initial.setPixelSize(std::abs(request.height));
    QFontDialog dialog(initial, m_owner);
    dialog.setWindowTitle(QStringLiteral("字体"));
    ShowChineseFaces(dialog, initial);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QFont chosen = dialog.selectedFont();
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
