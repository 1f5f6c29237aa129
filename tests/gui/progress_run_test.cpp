// Long work behind a progress dialog: shown only when the work takes long, cancelled at the
// work's next report, and the window beneath untouched by the user meanwhile.
#include "uikit/progress_run.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

using qdm::PassMeter;
using qdm::ui::RunWithProgress;

// The progress dialog on screen now, or null.
QProgressDialog* ShownProgress() {
    auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

TEST(ProgressRun, ShortWorkEndsWithoutADialogAndGivesItsResult) {
    QLineEdit owner;
    bool seen = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { seen |= ShownProgress() != nullptr; });
    watch.start(1);
    int result = 0;
    const bool finished = RunWithProgress(&owner, "t", "l", [&](PassMeter& meter) {
        for (int i = 0; i <= 10; ++i) meter.At(i / 10.0);
        result = 42;
    });
    EXPECT_TRUE(finished);
    EXPECT_EQ(result, 42);
    EXPECT_FALSE(seen);
}

TEST(ProgressRun, CancelStopsTheWorkAtItsNextReportAndTheWindowGetsNoKeysMeanwhile) {
    QLineEdit owner;
    owner.show();
    std::atomic<int> reportsAfterStop{0};
    int shownValue = -1;
    QTimer user;  // types into the window, then cancels once the dialog is up
    QObject::connect(&user, &QTimer::timeout, [&] {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(&owner, &key);
        if (QProgressDialog* dialog = ShownProgress()) {
            shownValue = dialog->value();
            dialog->findChild<QPushButton*>()->click();
            user.stop();
        }
    });
    user.start(20);
    const auto began = std::chrono::steady_clock::now();
    const bool finished = RunWithProgress(&owner, "t", "l", [&](PassMeter& meter) {
        // Reports a rising share every few milliseconds, for ten seconds at most.
        for (int i = 0; i < 2000; ++i) {
            if (!meter.At(i / 2000.0)) {
                if (meter.At(1)) ++reportsAfterStop;  // a stopped meter stays stopped
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    EXPECT_FALSE(finished);
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));
    EXPECT_EQ(reportsAfterStop.load(), 0);
    EXPECT_GT(shownValue, 0);  // the bar moved with the work
    EXPECT_EQ(owner.text(), QString());
}

}  // namespace
