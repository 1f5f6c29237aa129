#pragma once
// The dialogs keep the arrangement of their resource templates, which is given in dialog
// units: a horizontal unit is a quarter of the dialog font's average Latin character width,
// a vertical unit an eighth of the font's height. Measuring the font actually used keeps
// the proportions when the template's face is missing and a fallback stands in.
#include <QFont>
#include <QRect>
#include <QSize>
#include <QStringList>

class QWidget;

namespace qdm {

// The template's face, followed by faces that can stand in for it on this system.
QFont TemplateFont(const QStringList& faces, int points);

class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);
    int X(int units) const { return (units * m_baseX + 2) / 4; }
    int Y(int units) const { return (units * m_baseY + 4) / 8; }
    QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(w), Y(h)); }
    QSize Size(int w, int h) const { return QSize(X(w), Y(h)); }
    // Places `w` at the template position; a text that would be cut off gets room to the
    // right (and the window grows with it, see FitDialog).
    void Place(QWidget* w, int x, int y, int cx, int cy) const;

  private:
    int m_baseX;
    int m_baseY;
};

// Sets the fixed client size of a template dialog: the template's size, widened when a
// placed control reaches beyond it.
void FitDialog(QWidget* dialog, const DialogUnits& du, int cx, int cy);

}  // namespace qdm
