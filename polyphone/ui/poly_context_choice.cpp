#include "polyphone/ui/poly_context_choice.h"

#include <QSettings>
#include <QString>

namespace qdm::ui {
namespace {

// The application names its settings at start-up, so the default store is the program's.
const QString kKey = QStringLiteral("polyphone/contextFix");

}  // namespace

bool PolyContextFixChosen() {
    return QSettings().value(kKey, false).toBool();
}

void RememberPolyContextFix(bool on) {
    QSettings().setValue(kKey, on);
}

}  // namespace qdm::ui
