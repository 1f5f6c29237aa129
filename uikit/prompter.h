#pragma once
// Every message box of the editor goes through this interface: a plain box with an OK
// button and no icon, modal over the main window. Tests answer it without a modal loop.
#include <QString>
#include <string_view>

class QWidget;

namespace qdm::ui {

class IPrompter {
  public:
    virtual ~IPrompter() = default;
    virtual void Message(const QString& text, const QString& caption) = 0;
};

class QtPrompter : public IPrompter {
  public:
    explicit QtPrompter(QWidget* owner) : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }
    void Message(const QString& text, const QString& caption) override;

  private:
    QWidget* m_owner;
};

}  // namespace qdm::ui
