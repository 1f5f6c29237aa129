#pragma once
// SIGTERM, SIGINT and SIGHUP, delivered as a call on the user-interface thread: a signal
// handler may do next to nothing, so it only writes the signal's number into a pipe that the
// event loop watches.
#include <QObject>
#include <functional>

class QSocketNotifier;

namespace qdm::ui {

class TerminationWatch : public QObject {
    Q_OBJECT
  public:
    // One watch at a time; it restores the default handlers when it goes.
    explicit TerminationWatch(std::function<void(int signo)> onSignal, QObject* parent = nullptr);
    ~TerminationWatch() override;

  private:
    void Drain();

    std::function<void(int)> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace qdm::ui
