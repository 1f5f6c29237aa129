#include "uikit/window_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace qdm::ui {
namespace {

QScreen* ScreenAround(const QRect& area) {
    if (QScreen* s = QGuiApplication::screenAt(area.center())) return s;
    return QGuiApplication::primaryScreen();
}

QRect Available(const QRect& area) {
    const QScreen* screen = ScreenAround(area);
    return screen ? screen->availableGeometry() : area;
}

// The outer size the window will have: its frame once shown or sized, its size hint before.
QSize OuterSize(QWidget* window) {
    if (!window->isVisible() && !window->testAttribute(Qt::WA_Resized)) window->adjustSize();
    return window->frameGeometry().size();
}

// `r` moved, not resized, to lie inside `screen` as far as it can.
QRect Inside(QRect r, const QRect& screen) {
    r.moveLeft(std::max(screen.left(), std::min(r.left(), screen.right() - r.width() + 1)));
    r.moveTop(std::max(screen.top(), std::min(r.top(), screen.bottom() - r.height() + 1)));
    return r;
}

}  // namespace

QWidget* ShownOwner(QWidget* owner) {
    for (QWidget* w = owner; w; w = w->parentWidget())
        if (w->isVisible()) return w->window();
    return nullptr;
}

void CentreOn(QWidget* window, const QRect& area) {
    QRect r(QPoint(), OuterSize(window));
    r.moveCenter(area.center());
    window->move(Inside(r, Available(area)).topLeft());
}

void PlaceOver(QWidget* window, QWidget* owner) {
    if (const QWidget* shown = ShownOwner(owner)) {
        CentreOn(window, shown->frameGeometry());
        return;
    }
    const QScreen* screen =
        owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) CentreOn(window, screen->availableGeometry());
}

void KeepInSight(QWidget* window, const QRect& spot) {
    QRect r = window->frameGeometry();
    if (!r.intersects(spot)) return;
    const QRect screen = Available(spot);
    const int gap = 8;
    if (spot.bottom() + gap + r.height() <= screen.bottom())
        r.moveTop(spot.bottom() + gap);
    else if (spot.top() - gap - r.height() >= screen.top())
        r.moveBottom(spot.top() - gap);
    else if (spot.right() + gap + r.width() <= screen.right())
        r.moveLeft(spot.right() + gap);
    else
        r.moveRight(spot.left() - gap);
    window->move(Inside(r, screen).topLeft());
}

}  // namespace qdm::ui
