#pragma once
// The non-modal 查找和替换 dialog: it gathers a FindRequest and hands it to the FindSession;
// the edit area stays usable while it is open.
#include <QDialog>

#include "editor/ui/find_session.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qdm::ui {

class FindReplaceDialog : public QDialog {
    Q_OBJECT
  public:
    FindReplaceDialog(FindSession& session, QWidget* parent);

    // Shows and raises the dialog with the focus on the search text, for 查找 and 替换 alike:
    // the replacement is no use before there is something to find. A selection of one short line
    // becomes the search text; a selection over several lines becomes the range searched.
    void Present(const QString& selected);
    FindRequest Request() const;

  protected:
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void UpdateButtons();
    void OnInSelectionToggled(bool on);

    FindSession& m_session;
    QLineEdit* m_find = nullptr;
    QLineEdit* m_replace = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_wholeWord = nullptr;
    QCheckBox* m_inSelection = nullptr;
    QRadioButton* m_up = nullptr;
    QRadioButton* m_down = nullptr;
    QPushButton* m_findNext = nullptr;
    QPushButton* m_replaceOne = nullptr;
    QPushButton* m_replaceAll = nullptr;
    QLabel* m_status = nullptr;
};

}  // namespace qdm::ui
