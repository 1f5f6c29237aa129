#pragma once
// The progress dialog of a polyphone run over one text (the editor's text or one file).
//
// The run goes on in timer ticks on the user-interface thread; each tick applies as many
// dictionary entries as fit in its budget (about 10 ms), so a big dictionary over a big book
// runs at full speed while the window stays responsive, with the text and the counts of one
// entry per tick. The dialog shows the entry applied last, the share of entries done and the
// replacements so far; OK becomes available once the dictionary is exhausted. Cancel (or
// Escape) ends the run at once; the text is then partly processed and the callers drop it.
// A dictionary that could be read at the start and no longer can ends the run the same way,
// with a message naming it, instead of finishing with the entries it could not see.
#include <QDialog>
#include <cstdint>
#include <string>

#include "polyphone/poly_dict.h"
#include "polyphone/poly_engine.h"
#include "polyphone/ui/poly_prompt.h"

class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace qdm::ui {

class CDialogPOLYP_PROCING : public QDialog {
    Q_OBJECT

  public:
    // Runs `dict` over *text, which the caller keeps alive while the dialog exists; once the
    // dialog has ended, *text holds the processed text (partly processed after Cancel).
    CDialogPOLYP_PROCING(std::string* text, const CPolyDict& dict, PolyMessageBox box = {},
                         QWidget* parent = nullptr);
    ~CDialogPOLYP_PROCING() override;

    int64_t Count() const { return m_count; }       // replacements made
    bool IsFinished() const { return m_finished; }  // the dictionary is exhausted
    bool DictionaryLost() const { return m_dictLost; }

    // How long one tick may work; set before the first tick. Zero makes each tick apply
    // exactly one entry over the whole text, the slow step-by-step run whose results the
    // budgeted ticks reproduce.
    void SetTickBudget(PolyBudget budget) { m_budget = budget; }

    // One timer tick; public so that a test can step the run without a timer.
    void OnTimer();

    // OK validates the fields first: the word and replacement shown at most 50 bytes, the
    // count within 0..999999999. A field out of bounds is reported and the dialog stays open.
    void accept() override;
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void BuildControls();
    void ShowFinalState();
    void StopForLostDictionary();
    void FinishRun();  // gives the text back to the caller

    std::string* m_text;
    const CPolyDict& m_dict;
    bool m_dictReadable;  // at the start: a dictionary lost later ends the run with a message
    int m_entryTotal;
    CPolyStepper m_stepper;
    int64_t m_count = 0;
    int m_percent = 0;
    bool m_finished = false;
    bool m_dictLost = false;
    PolyBudget m_budget;
    PolyMessageBox m_box;

    QTimer* m_timer = nullptr;
    QLineEdit* m_word = nullptr;
    QLineEdit* m_replacement = nullptr;
    QProgressBar* m_progress = nullptr;
    QLineEdit* m_percentText = nullptr;
    QLineEdit* m_countText = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace qdm::ui
