#pragma once
// The CAP, NUM and SCRL panes of the status bar, showing their text while Caps Lock, Num Lock
// and Scroll Lock are on. Only an X11 display tells the lock state; elsewhere the panes are
// not shown at all rather than shown wrong.
#include <QObject>
#include <array>

class QLabel;
class QStatusBar;
class QTimer;

namespace qdm::ui {

class LockIndicators : public QObject {
    Q_OBJECT
  public:
    explicit LockIndicators(QStatusBar& bar);
    ~LockIndicators() override;

  private:
    struct Probe;
    void Refresh();

    std::array<QLabel*, 3> m_panes{};
    Probe* m_probe = nullptr;
    QTimer* m_timer = nullptr;
};

}  // namespace qdm::ui
