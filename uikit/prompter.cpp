#include "uikit/prompter.h"

#include <QAbstractButton>
#include <QMessageBox>

#include "editor/codec.h"

namespace qdm::ui {

void QtPrompter::Message(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, m_owner);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.exec();
}

}  // namespace qdm::ui
