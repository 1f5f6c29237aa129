#include "polyphone/poly_engine.h"

#include <limits>

#include "editor/gbk.h"
#include "polyphone/poly_run.h"

namespace qdm {
namespace {

// True when `s`, read from a character boundary, ends in a lead byte that starts a character:
// in the text that byte pairs with a trail byte after it.
bool EndsDangling(std::string_view s) {
    if (s.empty() || !gbk::IsLead(static_cast<unsigned char>(s.back()))) return false;
    size_t i = 0;
    while (i + 1 < s.size()) i += gbk::CharLen(s, i);
    return i == s.size() - 1;
}

}  // namespace

// The text is rebuilt as `out` (everything before `rest`) followed by text[rest..]; searches
// run in `text` from a position known to start a character of that rebuilt text, so the GBK
// rule holds for the text as it stands after every replacement, even when a replacement ends
// in a dangling lead byte.
int ReplaceWordInto(std::string_view text, std::string_view word, std::string_view replacement,
                    std::string& out) {
    if (word.empty()) return 0;
    const bool dangling = EndsDangling(replacement);
    int count = 0;
    size_t rest = 0;
    size_t pos = gbk::Find(text, word, 0, true);
    while (pos != gbk::npos) {
        size_t from;
        if (!replacement.empty() && text.substr(pos, replacement.size()) == replacement) {
            // Already replaced: pass over it, then find the next character start.
            from = pos;
            while (from < pos + replacement.size()) from += gbk::CharLen(text, from);
        } else {
            if (count++ == 0) {
                out.clear();
                out.reserve(text.size() + text.size() / 8 + replacement.size());
            }
            out.append(text.substr(rest, pos - rest));
            out.append(replacement);
            rest = from = pos + word.size();
            if (dangling && from < text.size() &&
                gbk::IsTrail(static_cast<unsigned char>(text[from])))
                ++from;  // the replacement's last byte and this one form a character
        }
        pos = gbk::Find(text, word, from, true);
    }
    if (count > 0) out.append(text.substr(rest));
    return count;
}

int ReplaceWordInText(std::string& text, std::string_view word, std::string_view replacement) {
    std::string out;
    const int count = ReplaceWordInto(text, word, replacement, out);
    if (count > 0) text.swap(out);
    return count;
}

// ---- the stepper ----------------------------------------------------------------------------

CPolyStepper::CPolyStepper(const CPolyDict& dict) : m_dict(dict) {}

CPolyStepper::~CPolyStepper() = default;

bool CPolyStepper::Step(std::string& text) {
    PolyDictRef snap = m_dict.Snapshot();
    std::string_view word, replacement;
    if (m_index < 0 || !snap->EntryAt(static_cast<size_t>(m_index), word, replacement))
        return false;
    m_word.assign(word);
    m_replacement.assign(replacement);
    m_lastCount = ReplaceWordInText(text, word, replacement);
    ++m_index;
    return true;
}

void CPolyStepper::Begin(std::string text) {
    m_index = 0;
    m_lastCount = 0;
    m_run = std::make_unique<PolyRun>(std::move(text), m_dict.Snapshot(), 0);
}

PolyStepReport CPolyStepper::StepFor(PolyBudget budget) {
    using Clock = PolyRun::Clock;
    PolyStepReport report;
    if (!m_run) {
        report.exhausted = true;
        return report;
    }
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline =
        budget >= Clock::time_point::max() - start ? Clock::time_point::max() : start + budget;

    PolyDictRef snap = m_dict.Snapshot();
    const int end = snap->RunEnd(m_index);
    if (m_index >= end) {
        report.exhausted = true;
        return report;
    }
    // The file changed since the run was indexed: go on from here with the file as it is.
    if (snap != m_run->Snap()) m_run = std::make_unique<PolyRun>(m_run->Text(), snap, m_index);
    if (!m_run->Index(deadline)) return report;

    int lastApplied = -1;
    while (m_index < end) {
        const int64_t count = m_run->Apply(static_cast<uint32_t>(m_index));
        report.replacements += count;
        m_lastCount = static_cast<int>(std::min<int64_t>(count, std::numeric_limits<int>::max()));
        lastApplied = m_index++;
        ++report.applied;
        // Entries that occur nowhere cost next to nothing: look at the clock after real work,
        // and now and then otherwise.
        if ((count > 0 || (report.applied & 255) == 0) && Clock::now() >= deadline) break;
    }
    if (lastApplied >= 0) {
        m_word.assign(snap->Word(static_cast<size_t>(lastApplied)));
        m_replacement.assign(snap->Replacement(static_cast<size_t>(lastApplied)));
    }
    report.exhausted = m_index >= end;
    return report;
}

std::string CPolyStepper::TakeText() {
    if (!m_run) return {};
    std::string text = m_run->Text();
    m_run.reset();
    return text;
}

int64_t ApplyDictionary(const CPolyDict& dict, std::string& text) {
    CPolyStepper stepper(dict);
    stepper.Begin(std::move(text));
    int64_t total = 0;
    for (;;) {
        PolyStepReport r = stepper.StepFor(kPolyNoLimit);
        total += r.replacements;
        if (r.exhausted) break;
    }
    text = stepper.TakeText();
    return total;
}

}  // namespace qdm
