#pragma once
// The dictionary settings dialog: every line of the dictionary file in a list (file order,
// then the rows added in this opening; nothing is sorted), a word and a replacement field to
// append an entry, and deletion of the selected row. The rows are the working copy; on "退出"
// and on the close box (never on Escape) the changes made here are applied to the file as it
// is then, under its lock, changing only those lines: entries another program added meanwhile,
// lines the list cannot show (after a NUL byte, a last line without LF) and every other byte
// stay. What the list cannot show is said when the dialog opens. A file that cannot be written
// (or holds a NUL byte) is reported with its path and the reason, and the dialog stays open so
// that the edits are not lost.
//
// Beside the template's controls, for dictionaries of tens of thousands of rows: a search
// that narrows the list, the count of rows and of rows shown, moving the selected row up and
// down (or by dragging it), changing a row in place (a double-click puts it into the fields),
// importing the starter dictionary, the lint's word on the rows as they stand, and whether
// 本文多音字处理 goes on by context after the dictionary (poly_context_choice.h).
#include <QDialog>
#include <string>
#include <vector>

#include "polyphone/poly_dict.h"
#include "polyphone/poly_dict_edit.h"
#include "polyphone/poly_merge.h"
#include "polyphone/ui/poly_prompt.h"

class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;

namespace qdm::ui {

class PolyRowsModel;

class CDialogDuoyinziSet : public QDialog {
    Q_OBJECT

  public:
    // Loads the file's lines; a file that cannot be read is reported and the list starts
    // empty.
    CDialogDuoyinziSet(const CPolyDict& dict, PolyMessageBox box = {}, QWidget* parent = nullptr,
                       PolyStyleChooser chooseStyle = {});

    // The rows as GBK bytes, in list order.
    const std::vector<std::string>& Rows() const { return m_rows; }
    // Puts a word and a replacement (GBK) into the two fields, for the user to confirm.
    void Prefill(const std::string& word, const std::string& replacement);
    // How "导入常用词…" asks whether to put imported words that the user's shorter ones
    // would shadow first (a real box unless set).
    void SetQuestion(PolyQuestion ask) { m_ask = std::move(ask); }
    // The list as it stands: the filter, the row selected (in file order, -1 for none).
    QListView* List() const { return m_list; }
    int SelectedRow() const;
    void SelectRow(int row);

    void OnAdd();
    void OnDelete();
    void OnExit();
    void OnMoveUp() { MoveSelected(-1); }
    void OnMoveDown() { MoveSelected(+1); }
    void OnEdit();
    void OnImportStarter();
    // Row `from` goes to the place of row `to` (file order); the rows between shift by one.
    void MoveRow(int from, int to);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void BuildExtras();
    void OnInitDialog();
    void OnDoubleClick(const QModelIndex& index);
    void MoveSelected(int step);
    void RowsChanged();
    void ShowCount();
    void ShowFile();
    void Warn(const QString& text);
    // Imported rows [first, end) have been added; tells what came of it and offers to put
    // those that earlier, shorter words would shadow before every other row.
    void ReportImport(const PolyMergeCount& count, size_t first);
    bool Save();

    const CPolyDict& m_dict;
    PolyMessageBox m_box;
    PolyStyleChooser m_chooseStyle;
    PolyQuestion m_ask = &AskPolyQuestion;
    std::vector<std::string> m_rows;
    PolyDictEdits m_edits;  // what Save applies to the file
    std::string m_strWord;
    std::string m_strReplacement;

    QListView* m_list = nullptr;
    PolyRowsModel* m_model = nullptr;
    QLineEdit* m_editWord = nullptr;
    QLineEdit* m_editReplacement = nullptr;
    QLineEdit* m_search = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_lint = nullptr;
    QLabel* m_file = nullptr;  // the file edited
    QPushButton* m_add = nullptr;
};

}  // namespace qdm::ui
