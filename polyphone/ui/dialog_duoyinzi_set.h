#pragma once
// The dictionary settings dialog: every line of the dictionary file in a list (file order,
// then the rows added in this opening; nothing is sorted), a word and a replacement field to
// append an entry, and deletion of the selected row. The rows are the working copy; on "退出"
// and on the close box (never on Escape) the additions and deletions made here are applied to
// the file as it is then, under its lock, changing only those lines: entries another program
// added meanwhile, lines the list cannot show (after a NUL byte, a last line without LF) and
// every other byte stay. What the list cannot show is said when the dialog opens. A file that
// cannot be written (or holds a NUL byte) is reported with its path and the reason, and the
// dialog stays open so that the edits are not lost.
#include <QDialog>
#include <string>
#include <vector>

#include "polyphone/poly_dict.h"
#include "polyphone/poly_dict_edit.h"
#include "polyphone/ui/poly_prompt.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace qdm::ui {

class CDialogDuoyinziSet : public QDialog {
    Q_OBJECT

  public:
    // Loads the file's lines; a file that cannot be read is reported and the list starts
    // empty.
    CDialogDuoyinziSet(const CPolyDict& dict, PolyMessageBox box = {}, QWidget* parent = nullptr);

    // The rows as GBK bytes, in list order.
    const std::vector<std::string>& Rows() const { return m_rows; }

    void OnAdd();
    void OnDelete();
    void OnExit();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void OnInitDialog();
    void AppendRow(std::string row);
    int SelectedRow() const;
    void SelectRow(int row);
    void Warn(const QString& text);
    bool Save();

    const CPolyDict& m_dict;
    PolyMessageBox m_box;
    std::vector<std::string> m_rows;
    PolyDictEdits m_edits;  // what Save applies to the file
    std::string m_strWord;
    std::string m_strReplacement;

    QListWidget* m_list = nullptr;
    QLineEdit* m_editWord = nullptr;
    QLineEdit* m_editReplacement = nullptr;
    QPushButton* m_add = nullptr;
};

}  // namespace qdm::ui
