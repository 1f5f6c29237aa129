// The child mode of this test program: an editor the recovery tests can kill.
//   --recovery-child STATE_DIR kill BOOK   opens BOOK, types, keeps the text, prints "kept"
//   --recovery-child STATE_DIR term BOOK   opens BOOK, types, prints "ready", ends on a signal
#include <QApplication>
#include <cstdio>

#include "app/recovery_keeper.h"
#include "harness.h"

int RunRecoveryChild(const QStringList& args) {
    if (args.size() < 3) return 2;
    const QString& dir = args[0];
    const QString& mode = args[1];
    guitest::Editor ed({args[2]}, dir, {});
    ed.Type(QStringLiteral("改"));
    if (mode == QStringLiteral("kill")) {
        ed.app().Recovery().Tick();
        ed.app().Recovery().Wait();
        std::puts("kept");
    } else {
        ed.app().WatchTermination();
        std::puts("ready");
    }
    std::fflush(stdout);
    return QApplication::exec();
}
