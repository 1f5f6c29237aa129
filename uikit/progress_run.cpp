#include "uikit/progress_run.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <future>

#include "uikit/qt_text.h"

namespace qdm::ui {
namespace {

// Swallows what the user does to any window but the progress dialog, closing included.
class InputHold : public QObject {
  public:
    explicit InputHold(QWidget& allowed) : m_allowed(allowed) { qApp->installEventFilter(this); }
    ~InputHold() override { qApp->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (!IsInput(event->type())) return false;
        auto* widget = qobject_cast<QWidget*>(target);
        return !widget || !(widget == &m_allowed || m_allowed.isAncestorOf(widget));
    }

  private:
    static bool IsInput(QEvent::Type t) {
        switch (t) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::InputMethod:
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop:
            case QEvent::TouchBegin:
            case QEvent::Close:
                return true;
            default:
                return false;
        }
    }
    QWidget& m_allowed;
};

}  // namespace

bool RunWithProgress(QWidget* owner, const QString& title, const QString& label,
                     const std::function<void(PassMeter&)>& work) {
    std::atomic<int> permille{0};
    std::atomic<bool> cancelled{false};
    PassMeter meter([&](double share) {
        permille.store(static_cast<int>(share * 1000));
        return !cancelled.load();
    });
    QProgressDialog dialog(label, QLit("取消"), 0, 1000, owner);
    dialog.setWindowTitle(title);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(kProgressShowAfterMs);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    QObject::connect(&dialog, &QProgressDialog::canceled, [&] { cancelled.store(true); });
    InputHold hold(dialog);

    std::future<void> done = std::async(std::launch::async, [&] { work(meter); });
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done.wait_for(std::chrono::seconds(0)) == std::future_status::ready) return loop.quit();
        dialog.setValue(permille.load());
    });
    poll.start(20);
    loop.exec();
    done.get();  // the work's own exception, if any, goes on to the caller
    return !cancelled.load() && !meter.Stopped();
}

}  // namespace qdm::ui
