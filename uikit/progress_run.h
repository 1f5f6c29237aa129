#pragma once
// Long work on a book, with the window kept alive: the work runs on a thread of its own while
// the event loop paints; after half a second a progress dialog shows how far it has got, and
// its 取消 stops the work at its next report. Until the work ends, the user's input to every
// other window is held back, since the work reads the text and the window must not change
// it meanwhile.
#include <QString>
#include <functional>

#include "editor/pass_meter.h"

class QWidget;

namespace qdm::ui {

inline constexpr int kProgressShowAfterMs = 500;

// Runs `work(meter)` as above; false when the user cancelled it (its result is to be dropped).
bool RunWithProgress(QWidget* owner, const QString& title, const QString& label,
                     const std::function<void(PassMeter&)>& work);

}  // namespace qdm::ui
