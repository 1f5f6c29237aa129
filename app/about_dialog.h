#pragma once
// The About box: the application icon, the product name and version, and an OK button.
#include <QDialog>

namespace qdm::ui {

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace qdm::ui
