#pragma once
// A menu that shows the status-bar prompt of a disabled item under the mouse as well, as it
// does for an enabled one: a user who wonders what a grey "剪切" would do can read it.
#include <QMenu>

namespace qdm::ui {

class PromptMenu : public QMenu {
    Q_OBJECT
  public:
    // `window` receives the prompts (a main window shows them in its status bar).
    PromptMenu(const QString& title, QWidget* window);

  protected:
    void mouseMoveEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void hideEvent(QHideEvent* e) override;

  private:
    // Shows the prompt of `action` when it is a disabled item with one; takes back a prompt
    // shown before otherwise. Enabled items are the menu's own business.
    void PromptFor(QAction* action);
    void Tell(const QString& text);

    QWidget* m_window;
    QAction* m_prompted = nullptr;
};

}  // namespace qdm::ui
