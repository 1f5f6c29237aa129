#include "polyphone/ui/dialog_units.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QWidget>
#include <algorithm>

namespace qdm {

QFont TemplateFont(const QStringList& faces, int points) {
    QFont font;
    font.setFamilies(faces);
    font.setPointSize(points);
    return font;
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics fm(font);
    const int alphabet = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = std::max(1, (alphabet / 26 + 1) / 2);
    m_baseY = std::max(1, fm.height());
}

void DialogUnits::Place(QWidget* w, int x, int y, int cx, int cy) const {
    QRect r = Rect(x, y, cx, cy);
    QString text;
    if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
    if (!text.isEmpty()) {
        const QFontMetrics fm(w->font());
        const int need = fm.horizontalAdvance(text) + (qobject_cast<QLabel*>(w) ? 2 : X(6));
        if (need > r.width()) r.setWidth(need);
        if (fm.height() > r.height()) r.setHeight(fm.height());
    }
    w->setGeometry(r);
}

void FitDialog(QWidget* dialog, const DialogUnits& du, int cx, int cy) {
    QSize size = du.Size(cx, cy);
    for (const QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow())
            size = size.expandedTo(QSize(child->geometry().right() + du.X(7), size.height()));
    }
    dialog->setFixedSize(size);
}

}  // namespace qdm
