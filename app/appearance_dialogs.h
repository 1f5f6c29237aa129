#pragma once
// The font and colour dialogs of the View menu, behind an interface tests can answer.
#include <QString>
#include <cstdint>
#include <optional>

class QWidget;

namespace qdm::ui {

// The font description the dialog opens with: a face and a logical height, negative for the
// height of the characters in pixels (-22 for 15 points on a 96 dpi screen), and the size the
// text has now. The dialog shows that size, so OK without changes keeps it: the height read
// back as points would grow it at every OK (15 -> 17 -> 19).
struct FontRequest {
    QString face;
    int height = 0;
    int32_t sizeTenths = 0;  // tenths of a point; 0: the height alone
};

// What the dialog reports; every other choice made in it (weight, italic, colour...) is not
// part of it.
struct FontChoice {
    QString face;
    int32_t sizeTenths = 0;  // tenths of a point
};

class IAppearanceDialogs {
  public:
    virtual ~IAppearanceDialogs() = default;
    virtual std::optional<FontChoice> ChooseFont(const FontRequest& request) = 0;
    // The chosen colour as 0xRRGGBB.
    virtual std::optional<uint32_t> ChooseColor(uint32_t initial) = 0;
};

class QtAppearanceDialogs : public IAppearanceDialogs {
  public:
    explicit QtAppearanceDialogs(QWidget* owner) : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }
    std::optional<FontChoice> ChooseFont(const FontRequest& request) override;
    std::optional<uint32_t> ChooseColor(uint32_t initial) override;

  private:
    QWidget* m_owner;
};

}  // namespace qdm::ui
