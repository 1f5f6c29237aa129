#pragma once
// "多音字检查": the polyphonic characters of the editor's text that no dictionary entry takes
// care of, each with its readings, its count and its most frequent contexts. Selecting a
// context shows its next occurrence in the text; "添加到词典" hands the context and a proposed
// replacement to the settings dialog for the user to confirm.
//
// With the model's readings, each context also shows the reading it predicts there and how
// sure it is: the contexts a speech engine would misread come first, the unsure ones are
// tinted for review, and "全部修正" respells every misread character of the text at once.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "polyphone/context_audit.h"
#include "polyphone/poly_audit.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace qdm::ui {

// Below this confidence a predicted reading is worth a look before it is trusted.
inline constexpr float kPolyReviewConfidence = 0.7f;

class CDialogPolyAudit : public QDialog {
    Q_OBJECT

  public:
    struct Hooks {
        std::function<void(const std::string& context)> jump;  // select its next occurrence
        std::function<void(const std::string& context)> add;   // to the settings dialog
        std::function<void()> fixAll;                          // every predicted fix
    };
    CDialogPolyAudit(std::vector<PolyAuditChar> result, Hooks hooks, QWidget* parent = nullptr);

    void SetResult(std::vector<PolyAuditChar> result);
    // The audit with the readings ReadAuditContexts gives for it, the misread first.
    void SetResult(std::vector<PolyAuditChar> result,
                   std::vector<std::vector<PolyContextReading>> readings);
    // How many characters "全部修正" would respell; none: the button is off.
    void SetFixable(int64_t count);
    // The context of the selected row, empty when a character row or nothing is selected.
    std::string SelectedContext() const;
    void OnAdd();
    void OnFixAll();

  private:
    void OnSelection();
    void Fill(const std::vector<std::vector<PolyContextReading>>* readings);

    std::vector<PolyAuditChar> m_result;
    Hooks m_hooks;
    QTreeWidget* m_tree = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_fixAll = nullptr;
};

}  // namespace qdm::ui
