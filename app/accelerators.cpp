#include "app/accelerators.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "app/command_table.h"

namespace qdm::ui {

AcceleratorFilter::AcceleratorFilter(QWidget& window, std::function<void(int)> send)
    : m_window(window), m_send(std::move(send)) {
    qApp->installEventFilter(this);
}

AcceleratorFilter::~AcceleratorFilter() {
    qApp->removeEventFilter(this);
}

int AcceleratorFilter::CommandOf(const QKeyEvent& e) const {
    const Qt::KeyboardModifiers mods = e.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier |
                                                        Qt::AltModifier | Qt::MetaModifier);
    const QKeyCombination key(mods, static_cast<Qt::Key>(e.key()));
    for (const Accelerator& a : Accelerators())
        if (a.key == key) return a.id;
    if (key == QKeyCombination(Qt::Key_F10)) return -1;
    return 0;
}

bool AcceleratorFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) return false;
    // Keys in menus, dialogs and message boxes are theirs.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != &m_window) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const int id = CommandOf(*key);
    if (id == 0) return false;
    if (type == QEvent::ShortcutOverride) {
        // Claim the key, so that no shortcut or mnemonic takes it; it comes back as a press.
        event->accept();
        return true;
    }
    if (id == -1)
        emit menuKeyPressed();
    else
        m_send(id);
    return true;
}

}  // namespace qdm::ui
