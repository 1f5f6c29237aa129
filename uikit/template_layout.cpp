#include "uikit/template_layout.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "uikit/dialog_units.h"

namespace qdm::ui {

QFont TemplateFont(const QStringList& faces, int points) {
    QFont font;
    font.setFamilies(faces);
    font.setPointSize(points);
    return font;
}

QFont FitOnScreen(QFont font, int cx, int cy, const QWidget* dialog) {
    const QScreen* screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
    if (!screen) return font;
    // Room for the window's frame and title bar.
    const QSize room = screen->availableGeometry().size() - QSize(16, 40);
    constexpr int kSmallest = 6;
    while (font.pointSize() > kSmallest) {
        const QSize need = qdm::ui::DialogUnits(font, 0, 0, cx, cy).size();
        if (need.width() <= room.width() && need.height() <= room.height()) break;
        font.setPointSize(font.pointSize() - 1);
    }
    return font;
}

void TemplateLayout::Place(QWidget* w, int x, int y, int cx, int cy) const {
    QRect r = qdm::ui::DialogUnits(m_dialog->font(), x, y, cx, cy);
    QString text;
    if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
    const QFontMetrics fm(w->font());
    if (!text.isEmpty()) {
        const int pad = qobject_cast<QLabel*>(w) ? 2 : fm.averageCharWidth() * 2;
        r.setWidth(std::max(r.width(), fm.horizontalAdvance(text) + pad));
    }
    if (!text.isEmpty() || w->inherits("QLineEdit")) {
        const int need = fm.height() + (w->inherits("QLineEdit") ? 4 : 0);
        if (need > r.height())
            r.adjust(0, -(need - r.height()) / 2, 0, (need - r.height() + 1) / 2);
    }
    w->setGeometry(r);
}

void TemplateLayout::Fit(int cx, int cy) const {
    QSize size = qdm::ui::DialogUnits(m_dialog->font(), 0, 0, cx, cy).size();
    const int margin = qdm::ui::DialogUnits(m_dialog->font(), 0, 0, 7, 7).width();
    for (const QWidget* child : m_dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        // A control hidden on purpose (shown only later) takes no room yet.
        const bool hidden =
            child->testAttribute(Qt::WA_WState_ExplicitShowHide) && child->isHidden();
        if (!child->isWindow() && !hidden)
            size = size.expandedTo(
                QSize(child->geometry().right() + margin, child->geometry().bottom() + margin));
    }
    m_dialog->setFixedSize(size);
}

}  // namespace qdm::ui
