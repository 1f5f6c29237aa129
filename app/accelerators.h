#pragma once
// The accelerator table, translated before any control of the main window sees the key: a
// key of the table always sends its command (or does nothing while the command is disabled),
// even where a menu mnemonic (Alt+F, Alt+E) or the edit area's own binding (Ctrl+V) would
// claim it. F10 opens the first menu for keyboard use.
#include <QObject>
#include <functional>

class QKeyEvent;
class QWidget;

namespace qdm::ui {

class AcceleratorFilter : public QObject {
    Q_OBJECT
  public:
    // `send` receives the command id of each accelerator key pressed in `window`.
    AcceleratorFilter(QWidget& window, std::function<void(int)> send);
    ~AcceleratorFilter() override;

  signals:
    void menuKeyPressed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The command of the key, 0 for none; -1 for the menu key.
    int CommandOf(const QKeyEvent& e) const;

    QWidget& m_window;
    std::function<void(int)> m_send;
};

}  // namespace qdm::ui
