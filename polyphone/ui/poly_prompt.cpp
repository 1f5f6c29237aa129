#include "polyphone/ui/poly_prompt.h"

#include <QMessageBox>

namespace qdm::ui {

void ShowPolyMessage(QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

}  // namespace qdm::ui
