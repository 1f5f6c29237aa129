#pragma once
// Draws the tag strings of the edit area in a colour per kind, a section number in bold
// (TagLineFormats). The area asks for the lines it draws only, so a 100 MB book opens and
// types as fast as without it; the formats are asked for again a moment after each change.
#include <QColor>
#include <QObject>

class QTimer;

namespace qdm::ui {

class IEditArea;

class TagHighlighter : public QObject {
    Q_OBJECT
  public:
    explicit TagHighlighter(IEditArea& area);

    void SetEnabled(bool enabled);
    bool Enabled() const { return m_enabled; }
    // Marks the visible tags now (a timer does it by itself after each change).
    void Apply();
    // Colour of kind 1 to 5.
    static QColor KindColor(int32_t kind);

  private:
    void Schedule();

    IEditArea& m_area;
    QTimer* m_timer = nullptr;
    bool m_enabled = false;
};

}  // namespace qdm::ui
