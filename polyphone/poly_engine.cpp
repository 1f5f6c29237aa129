#include "polyphone/poly_engine.h"

#include <limits>

#include "editor/gbk.h"
#include "polyphone/poly_run.h"

namespace qdm {
namespace {

// The text as it is being rebuilt: `out` (everything up to the last replacement) followed by
// text[rest..]. Positions are counted in that text.
struct Rebuilt {
    const std::string& out;
    std::string_view tail;
    unsigned char At(size_t k) const {
        return static_cast<unsigned char>(k < out.size() ? out[k] : tail[k - out.size()]);
    }
    size_t Size() const { return out.size() + tail.size(); }
};

// Walks characters from `k` (a character start) until reaching `end` or passing it; returns
// the position reached and whether the last character walked was a lead byte on its own.
size_t WalkTo(const Rebuilt& t, size_t k, size_t end, bool& lastIsLoneLead) {
    lastIsLoneLead = false;
    while (k < end) {
        const unsigned char b = t.At(k);
        const bool pair = gbk::IsLead(b) && k + 1 < t.Size() && gbk::IsTrail(t.At(k + 1));
        lastIsLoneLead = !pair && gbk::IsLead(b);
        k += pair ? 2 : 1;
    }
    return k;
}

}  // namespace

// The literal pass, with the result built in a new buffer. Every search starts where a
// character of the text as it stands begins. A replacement can move that grid: a lead byte
// standing alone before the word (the word begins below 0x40) pairs with the replacement's
// first byte when that is a trail byte, and a replacement ending in a lone lead byte pairs
// with the byte after it. So after each replacement the characters are walked again from the
// last one known to be whole, over the replacement, to find where the search goes on.
int ReplaceWordInto(std::string_view text, std::string_view word, std::string_view replacement,
                    std::string& out) {
    if (word.empty()) return 0;
    int count = 0;
    size_t rest = 0;              // text[rest..] is not in `out` yet
    size_t from = 0;              // where the last search started: a character start
    bool loneLeadBefore = false;  // the character that ends at `from` is a lone lead byte
    std::string built;
    size_t pos = gbk::Find(text, word, 0, true);
    while (pos != gbk::npos) {
        const bool lone = pos == from ? loneLeadBefore
                                      : gbk::IsLead(static_cast<unsigned char>(text[pos - 1])) &&
                                            gbk::IsBoundary(text, pos - 1, from);
        if (!replacement.empty() && text.substr(pos, replacement.size()) == replacement) {
            // Already replaced: pass over it.
            const Rebuilt t{built, text.substr(rest)};
            const size_t at = built.size() + (pos - rest);
            from = rest + (WalkTo(t, at, at + replacement.size(), loneLeadBefore) - built.size());
        } else {
            if (count++ == 0) built.reserve(text.size() + text.size() / 8 + replacement.size());
            built.append(text.substr(rest, pos - rest));
            const size_t at = built.size();
            built.append(replacement);
            rest = pos + word.size();
            const Rebuilt t{built, text.substr(rest)};
            bool walkedLone = false;
            const size_t reached = WalkTo(t, lone ? at - 1 : at, built.size(), walkedLone);
            loneLeadBefore = reached > (lone ? at - 1 : at) ? walkedLone : lone;
            from = rest + (reached - built.size());
        }
        pos = gbk::Find(text, word, from, true);
    }
    if (count == 0) return 0;
    built.append(text.substr(rest));
    out.swap(built);
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
