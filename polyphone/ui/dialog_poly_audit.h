#pragma once
// "多音字检查": the polyphonic characters of the editor's text that no dictionary entry takes
// care of, each with its readings, its count and its most frequent contexts. Selecting a
// context shows its next occurrence in the text; "添加到词典" hands the context and a proposed
// replacement to the settings dialog for the user to confirm.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "polyphone/poly_audit.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace qdm::ui {

class CDialogPolyAudit : public QDialog {
    Q_OBJECT

  public:
    struct Hooks {
        std::function<void(const std::string& context)> jump;  // select its next occurrence
        std::function<void(const std::string& context)> add;   // to the settings dialog
    };
    CDialogPolyAudit(std::vector<PolyAuditChar> result, Hooks hooks, QWidget* parent = nullptr);

    void SetResult(std::vector<PolyAuditChar> result);
    // The context of the selected row, empty when a character row or nothing is selected.
    std::string SelectedContext() const;
    void OnAdd();

  private:
    void OnSelection();

    std::vector<PolyAuditChar> m_result;
    Hooks m_hooks;
    QTreeWidget* m_tree = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_add = nullptr;
};

}  // namespace qdm::ui
