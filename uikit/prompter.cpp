#include "uikit/prompter.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include "editor/codec.h"
#include "uikit/window_place.h"

namespace qdm::ui {
namespace {

// A question without an escape answer: Escape and the close box close it all the same, as
// the caller was promised. Qt's box refuses both when no button is its escape button.
class CloseWithoutAnswer : public QObject {
  public:
    explicit CloseWithoutAnswer(QMessageBox& box) : m_box(box) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &m_box) return false;
        const bool escape = event->type() == QEvent::KeyPress &&
                            static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel);
        if (!escape && event->type() != QEvent::Close) return false;
        m_box.reject();
        return true;
    }

  private:
    QMessageBox& m_box;
};

}  // namespace

void QtPrompter::Message(const QString& text, const QString& caption) {
    MessageFor(nullptr, text, caption);
}

void QtPrompter::MessageFor(QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner ? owner : m_owner);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    PlaceOver(&box, owner ? owner : m_owner);
    box.exec();
}

int QtPrompter::Ask(const QString& text, const QString& caption, const QStringList& buttons,
                    int escape) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::NoButton, m_owner);
    // One role for all keeps the buttons in the order given, whatever the desktop's habit.
    QList<QPushButton*> pushed;
    for (const QString& b : buttons) pushed << box.addButton(b, QMessageBox::ActionRole);
    if (!pushed.isEmpty()) box.setDefaultButton(pushed.first());
    CloseWithoutAnswer closer(box);
    if (escape >= 0 && escape < pushed.size())
        box.setEscapeButton(pushed[escape]);
    else
        box.installEventFilter(&closer);
    PlaceOver(&box, m_owner);
    box.exec();
    const int chosen = static_cast<int>(pushed.indexOf(box.clickedButton()));
    return chosen >= 0 ? chosen : escape;
}

}  // namespace qdm::ui
