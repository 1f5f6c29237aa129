#include "app/prompt_menu.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStatusTipEvent>

namespace qdm::ui {

PromptMenu::PromptMenu(const QString& title, QWidget* window)
    : QMenu(title, window), m_window(window) {}

// After the menu has handled the move: for an enabled item it has just shown the prompt (or
// taken the last one back), and nothing here may undo that.
void PromptMenu::mouseMoveEvent(QMouseEvent* e) {
    QMenu::mouseMoveEvent(e);
    PromptFor(actionAt(e->position().toPoint()));
}

void PromptMenu::leaveEvent(QEvent* e) {
    QMenu::leaveEvent(e);
    PromptFor(nullptr);
}

void PromptMenu::hideEvent(QHideEvent* e) {
    PromptFor(nullptr);
    QMenu::hideEvent(e);
}

void PromptMenu::PromptFor(QAction* action) {
    if (action && action->isEnabled()) {
        m_prompted = nullptr;  // the menu has put the item's own prompt in its place
        return;
    }
    const bool prompts = action && !action->isSeparator() && !action->statusTip().isEmpty();
    if (prompts && action != m_prompted) {
        m_prompted = action;
        Tell(action->statusTip());
    } else if (!prompts && m_prompted) {
        m_prompted = nullptr;
        Tell(QString());
    }
}

void PromptMenu::Tell(const QString& text) {
    QStatusTipEvent tip(text);
    QApplication::sendEvent(m_window, &tip);
}

}  // namespace qdm::ui
