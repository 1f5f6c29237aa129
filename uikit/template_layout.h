#pragma once
// The polyphone dialogs keep the arrangement of their templates, given in dialog units of
// the dialog's font (app/dialog_units.h). The template's face may be missing here and the
// face standing in for it may be larger, so a text that would be cut off gets the room it
// needs: to the right, and evenly above and below.
#include <QFont>
#include <QStringList>

class QWidget;

namespace qdm::ui {

// The template's face, followed by faces that can stand in for it on this system.
QFont TemplateFont(const QStringList& faces, int points);
// `font`, smaller where a template of cx by cy units in it would not fit on the screen of
// `dialog` (a small screen, a large scale factor): the whole dialog stays in sight.
QFont FitOnScreen(QFont font, int cx, int cy, const QWidget* dialog);

class TemplateLayout {
  public:
    // Lays out children of `dialog`, whose font must already be set.
    explicit TemplateLayout(QWidget* dialog) : m_dialog(dialog) {}
    void Place(QWidget* w, int x, int y, int cx, int cy) const;
    // Fixes the dialog's size: the template's, widened when a shown control reaches beyond it.
    void Fit(int cx, int cy) const;

  private:
    QWidget* m_dialog;
};

}  // namespace qdm::ui
