#pragma once
// The small 转到 dialog: a line number or a section number. It only asks; the view moves the
// caret when it is accepted.
#include <QDialog>

class QRadioButton;
class QSpinBox;

namespace qdm::ui {

class GoToDialog : public QDialog {
    Q_OBJECT
  public:
    explicit GoToDialog(QWidget* parent);

    bool ToSection() const;
    int Number() const;

  private:
    QRadioButton* m_line = nullptr;
    QRadioButton* m_section = nullptr;
    QSpinBox* m_number = nullptr;
};

}  // namespace qdm::ui
