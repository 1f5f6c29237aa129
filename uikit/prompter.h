#pragma once
// Every message box of the editor goes through this interface: a plain box with an OK
// button and no icon, or a question, modal over the main window. Tests answer it without a
// modal loop.
#include <QString>
#include <QStringList>
#include <string_view>

class QWidget;

namespace qdm::ui {

class IPrompter {
  public:
    virtual ~IPrompter() = default;
    virtual void Message(const QString& text, const QString& caption) = 0;
    // A question with these buttons, in this order; the index of the button pressed. Escape
    // and the close box give `escape` (-1: neither does anything but close the box).
    virtual int Ask(const QString& text, const QString& caption, const QStringList& buttons,
                    int escape) = 0;
};

class QtPrompter : public IPrompter {
  public:
    explicit QtPrompter(QWidget* owner) : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }
    void Message(const QString& text, const QString& caption) override;
    int Ask(const QString& text, const QString& caption, const QStringList& buttons,
            int escape) override;

  private:
    QWidget* m_owner;
};

}  // namespace qdm::ui
