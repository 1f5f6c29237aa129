#pragma once
// The progress dialog of a polyphone run over every file of a directory tree.
//
// The directory batch (a walker thread handing files over one at a time) is driven from a
// timer on the user-interface thread in budgeted ticks of about 10 ms. The dialog shows the
// directory, the file in hand relative to it, the entry applied last, the words replaced, the
// files done and their share. Files that cannot be processed (unreadable, unwritable, not a
// text because they hold a NUL byte) are left as they are and counted; the final status says
// how many, and a list below names each with the reason (the tooltip too).
//
// The interrupt button (or Escape) stops the walker, waits for it to end, drops the file in
// hand unwritten and closes the dialog with Cancel. In the final state only OK is enabled;
// Escape then closes at once. Directories that cannot be read are skipped entries like
// unreadable files. A dictionary that can no longer be read ends the run: the message names
// it with the reason and says how many files were done; the rest are untouched.
#include <QDialog>
#include <QStringList>
#include <string>

#include "polyphone/poly_dict.h"
#include "polyphone/poly_dir.h"
#include "polyphone/ui/poly_prompt.h"

class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace qdm::ui {

class CDialogPolyDir : public QDialog {
    Q_OBJECT

  public:
    // Counts the files of `directory` (the platform's bytes) before returning.
    CDialogPolyDir(const CPolyDict& dict, const std::string& directory, PolyMessageBox box = {},
                   QWidget* parent = nullptr);
    ~CDialogPolyDir() override;

    const PolyDirProgress& Progress() const { return m_batch.Progress(); }
    bool IsFinished() const { return Progress().state == PolyDirState::Finished; }
    // Finished, or stopped because the dictionary could not be read any more.
    bool IsOver() const { return IsFinished() || Progress().state == PolyDirState::DictionaryLost; }
    void SetTickBudget(PolyBudget budget) { m_budget = budget; }

    // One timer tick; public so that a test can step the batch without a timer.
    void OnTimer();
    // The interrupt button, Escape and a close request.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void BuildControls();
    void Refresh();
    void ShowFinalState();
    void ShowDictionaryLost();

    const CPolyDict& m_dict;
    PolyMessageBox m_box;
    CPolyDirBatch m_batch;
    PolyBudget m_budget;
    QStringList m_skipped;  // "file: reason", for the final status's tooltip

    QTimer* m_timer = nullptr;
    QLineEdit* m_directory = nullptr;
    QLineEdit* m_currentFile = nullptr;
    QLineEdit* m_word = nullptr;
    QLineEdit* m_replacement = nullptr;
    QLineEdit* m_status = nullptr;
    QLineEdit* m_filesDone = nullptr;
    QProgressBar* m_progress = nullptr;
    QLineEdit* m_percent = nullptr;
    QLineEdit* m_wordsReplaced = nullptr;
    QPushButton* m_interrupt = nullptr;
    QPushButton* m_ok = nullptr;
    QPlainTextEdit* m_skippedList = nullptr;  // shown in the final state when files were skipped
};

}  // namespace qdm::ui
