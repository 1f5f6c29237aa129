#pragma once
// The replacement engine: the dictionary applied to one text, entry after entry in file order,
// each entry going over the whole text before the next one starts.
//
// Two ways to run it, with byte-identical results and counts:
//   * CPolyStepper::Step(text): one entry per call over a text the caller holds, the
//     dictionary file looked at afresh at every call. Each call scans the whole text; fine for
//     small texts, and the definition the fast path is checked against.
//   * CPolyStepper::Begin(text) + StepFor(budget) + TakeText(): the stepper holds the text
//     and works through it in passes (poly_run.h), each slice of work bounded by the budget,
//     so a dialog can drive it from a timer in ~10 ms ticks and still run at full speed. A
//     pass applies every entry from Index() up to the first line that is not an entry, with
//     the dictionary as it was when the pass started; when it ends, the file is looked at
//     again and entries it gained meanwhile make a further pass. A change made while a pass
//     runs thus takes effect when that pass ends, at the first entry it did not cover.
//     While a pass runs, Index() advances in step with the share of the text done (for the
//     progress display) and Word()/Replacement() show the entry at Index() - 1; the text
//     itself changes only when the pass ends.
//
// Searches follow the strict GBK character rule: a word matches only where a character of the
// whole text starts.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "polyphone/poly_dict.h"

namespace qdm {

// Replaces every occurrence of `word` (non-empty) in `text`, scanning once from left to
// right; returns the number of replacements. An occurrence where the text already begins with
// the whole replacement counts as replaced and is passed over; the search goes on right
// after the replacement inserted or passed over, so inserted text is never searched again in
// the same pass. An empty replacement deletes every occurrence (each counted) and the search
// goes on at the deletion point. Linear in the text: the result is built in a new buffer.
int ReplaceWordInText(std::string& text, std::string_view word, std::string_view replacement);

// The first occurrence of `word` (non-empty) that starts on a character boundary at or after
// `from` (itself a boundary); gbk::npos when none.
size_t FindWordFrom(std::string_view text, std::string_view word, size_t from);

// The same over a view: writes the result to `out` only when something was replaced
// (returns 0 and leaves `out` alone otherwise). When `spots` is given, the position in the
// result of every replacement made is appended to it.
int ReplaceWordInto(std::string_view text, std::string_view word, std::string_view replacement,
                    std::string& out, std::vector<size_t>* spots = nullptr);

using PolyBudget = std::chrono::steady_clock::duration;
inline constexpr PolyBudget kPolyNoLimit = PolyBudget::max();
// Now plus `budget`; a budget that reaches past the clock's range (kPolyNoLimit) gives
// time_point::max(), which never expires.
std::chrono::steady_clock::time_point PolyDeadline(PolyBudget budget);

// What one StepFor call did.
struct PolyStepReport {
    int applied = 0;           // entries counted as applied by this call (see above)
    int64_t replacements = 0;  // replacements made in this call
    bool exhausted = false;    // the dictionary is exhausted: the run is complete
    // The dictionary file could not be read when a pass was to start: the run ends with
    // `exhausted` set, but the text did not get the dictionary.
    bool dictUnreadable = false;
};

class PolyRun;  // poly_run.h

class CPolyStepper {
  public:
    explicit CPolyStepper(const CPolyDict& dict);
    ~CPolyStepper();
    CPolyStepper(const CPolyStepper&) = delete;
    CPolyStepper& operator=(const CPolyStepper&) = delete;

    // ---- one entry per call, on the caller's text ---------------------------------------
    // Applies entry Index() to `text`: true when there was one (Index() advances, Word(),
    // Replacement() and LastCount() describe it), false when the dictionary is exhausted
    // (nothing changes). The dictionary file is looked at afresh at every call.
    bool Step(std::string& text);

    // ---- a whole run in budgeted slices, on a text the stepper holds ----------------------
    // Starts a run over `text` from entry 0. Word() and Replacement() keep their values.
    void Begin(std::string text);
    // Works for about `budget` (at least one small slice) and reports what was applied. Once
    // exhausted, further calls report exhausted again unless the file has grown. A zero
    // budget, between passes, applies exactly one entry with Step: the one-entry-per-tick
    // display of the original dialogs.
    PolyStepReport StepFor(PolyBudget budget);
    bool Running() const { return m_running; }
    // Ends the run and gives the text: the whole result once StepFor reported exhausted;
    // before that (a cancelled run), the text as it stood when the current pass started.
    std::string TakeText();

    // ---- state, as the progress dialogs show it -------------------------------------------
    int Index() const { return m_index; }  // the next entry to apply
    void SetIndex(int index) { m_index = index; }
    const std::string& Word() const { return m_word; }  // the entry applied last
    const std::string& Replacement() const { return m_replacement; }
    int LastCount() const { return m_lastCount; }  // replacements of the last Step
    // How much of the text the pass under way has gone through, 0 to 1 (1 between passes).
    double Share() const;

  private:
    PolyStepReport StepOne();

    const CPolyDict& m_dict;
    int m_index = 0;
    std::string m_word;
    std::string m_replacement;
    int m_lastCount = 0;
    bool m_running = false;
    std::string m_text;              // the run's text between passes
    std::unique_ptr<PolyRun> m_run;  // the pass under way
    int64_t m_reported = 0;          // replacements of that pass already reported
};

// The whole dictionary over a text in one go (the fast path); returns the replacements made.
// `dictUnreadable` (when given) says the file could not be read when a pass was to start.
// `progress` (when given) is told about every tenth of a second how far the run has got: the
// share of the text done and the replacements made so far.
using PolyProgress = std::function<void(double share, int64_t replacements)>;
int64_t ApplyDictionary(const CPolyDict& dict, std::string& text, bool* dictUnreadable = nullptr,
                        const PolyProgress& progress = {});

}  // namespace qdm
