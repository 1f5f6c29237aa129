#include "polyphone/poly_engine.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <thread>

#include "editor/gbk.h"
#include "editor/text_buffer.h"
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

// Short stretches of text, the usual case in the fast run's pieces, are searched byte by byte
// for the word's first byte; a library search has more setup than that costs.
size_t FindWordFrom(std::string_view text, std::string_view word, size_t from) {
    if (from >= text.size() || text.size() - from > 256) return gbk::Find(text, word, from, true);
    if (word.size() > text.size() - from) return gbk::npos;
    const char* base = text.data();
    const char* end = base + text.size() - word.size() + 1;
    for (const char* at = base + from; at < end; ++at) {
        at = static_cast<const char*>(std::memchr(at, word[0], static_cast<size_t>(end - at)));
        if (!at) return gbk::npos;
        if (word.size() > 1 && at[1] != word[1]) continue;
        const auto i = static_cast<size_t>(at - base);
        if ((word.size() <= 2 || std::memcmp(at + 2, word.data() + 2, word.size() - 2) == 0) &&
            gbk::IsBoundary(text, i, from))
            return i;
    }
    return gbk::npos;
}

// The literal pass, with the result built in a new buffer. Every search starts where a
// character of the text as it stands begins. A replacement can move that grid: a lead byte
// standing alone before the word (the word begins below 0x40) pairs with the replacement's
// first byte when that is a trail byte, and a replacement ending in a lone lead byte pairs
// with the byte after it. So after each replacement the characters are walked again from the
// last one known to be whole, over the replacement, to find where the search goes on.
int ReplaceWordInto(std::string_view text, std::string_view word, std::string_view replacement,
                    std::string& out, std::vector<size_t>* spots) {
    if (word.empty()) return 0;
    int count = 0;
    size_t rest = 0;              // text[rest..] is not in `out` yet
    size_t from = 0;              // where the last search started: a character start
    bool loneLeadBefore = false;  // the character that ends at `from` is a lone lead byte
    std::string built;
    size_t pos = FindWordFrom(text, word, 0);
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
            if (spots) spots->push_back(at);
            built.append(replacement);
            rest = pos + word.size();
            const Rebuilt t{built, text.substr(rest)};
            bool walkedLone = false;
            const size_t reached = WalkTo(t, lone ? at - 1 : at, built.size(), walkedLone);
            loneLeadBefore = reached > (lone ? at - 1 : at) ? walkedLone : lone;
            from = rest + (reached - built.size());
        }
        pos = FindWordFrom(text, word, from);
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

std::chrono::steady_clock::time_point PolyDeadline(PolyBudget budget) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point now = Clock::now();
    return budget >= Clock::time_point::max() - now ? Clock::time_point::max() : now + budget;
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
    m_run.reset();
    m_text = std::move(text);
    m_running = true;
}

PolyStepReport CPolyStepper::StepFor(PolyBudget budget) {
    using Clock = PolyRun::Clock;
    PolyStepReport report;
    if (!m_running) {
        report.exhausted = true;
        return report;
    }
    if (!m_run && budget <= PolyBudget::zero()) return StepOne();
    const Clock::time_point deadline = PolyDeadline(budget);
    if (!m_run) {
        // A pass starts with the dictionary file as it is now.
        PolyDictRef snap = m_dict.Snapshot();
        if (!snap->Readable() || snap->RunEnd(m_index) <= m_index) {
            report.exhausted = true;
            report.dictUnreadable = !snap->Readable();
            return report;
        }
        m_run = std::make_unique<PolyRun>(std::move(m_text), snap, m_index);
        m_reported = 0;
    }
    const bool done = m_run->Work(deadline);
    report.replacements = m_run->Replacements() - m_reported;
    m_reported = m_run->Replacements();
    // Entries count as applied in step with the share of the text the pass went through.
    const int from = m_run->From(), end = m_run->End();
    int index = done ? end : from + static_cast<int>(m_run->Fraction() * (end - from));
    index = std::clamp(index, m_index, done ? end : end - 1);
    report.applied = index - m_index;
    m_index = index;
    if (report.applied > 0) {
        m_word.assign(m_run->Snap()->Word(static_cast<size_t>(m_index - 1)));
        m_replacement.assign(m_run->Snap()->Replacement(static_cast<size_t>(m_index - 1)));
    }
    if (done) {
        m_text = m_run->TakeText();
        m_run.reset();
        // The file may have grown while the pass ran: its new entries make a further pass.
        report.exhausted = m_dict.Snapshot()->RunEnd(m_index) <= m_index;
    }
    return report;
}

// Exactly one entry on the held text, the way a dialog with one entry per tick shows a run.
PolyStepReport CPolyStepper::StepOne() {
    PolyStepReport report;
    if (Step(m_text)) {
        report.applied = 1;
        report.replacements = m_lastCount;
    }
    const PolyDictRef snap = m_dict.Snapshot();
    report.exhausted = !snap->IsEntry(static_cast<size_t>(m_index));
    report.dictUnreadable = !snap->Readable();
    return report;
}

std::string CPolyStepper::TakeText() {
    if (m_run) m_text = m_run->TakeText();
    m_run.reset();
    m_running = false;
    return std::move(m_text);
}

double CPolyStepper::Share() const {
    return m_run ? m_run->Fraction() : 1.0;
}

namespace {

// A text above this size is cut in two at a line break and the halves take the first pass on
// two threads: no entry reaches across a line break (poly_run.h), so the two results put
// together are the whole text's, counts included.
constexpr size_t kSplitBytes = 4u << 20;
constexpr auto kProgressEvery = std::chrono::milliseconds(100);

// The first pass (entries 0 to RunEnd(0) of `snap`) in two halves; false, with the text
// untouched, when there is no second core or no line break to cut at.
bool FirstPassInHalves(const PolyDictRef& snap, std::string& text, int64_t& total,
                       const PolyProgress& progress) {
    if (text.size() < kSplitBytes || std::thread::hardware_concurrency() < 2 ||
        snap->RunEnd(0) <= 0)
        return false;
    const size_t lf = text.find('\n', text.size() / 2);
    if (lf == std::string::npos) return false;
    const double firstShare = static_cast<double>(lf + 1) / static_cast<double>(text.size());
    // The first half's result gets room for the whole, so the second one is appended to it
    // in place; both go into fresh buffers that take huge pages.
    const size_t whole = text.size();
    std::string secondHalf = NewTextBuffer(whole - lf - 1);
    secondHalf.append(text, lf + 1);
    PolyRun second(std::move(secondHalf), snap, 0);
    text.resize(lf + 1);
    PolyRun first(std::move(text), snap, 0, whole);
    std::atomic<double> secondShare{0};
    std::atomic<int64_t> secondCount{0};
    std::atomic<bool> secondDone{false};
    std::thread worker([&] {
        while (!second.Work(PolyRun::Clock::now() + kProgressEvery)) {
            secondShare = second.Fraction();
            secondCount = second.Replacements();
        }
        secondShare = 1.0;
        secondDone = true;
    });
    bool firstDone = false;
    while (!firstDone || !secondDone) {
        if (!firstDone)
            firstDone = first.Work(PolyRun::Clock::now() + kProgressEvery);
        else
            std::this_thread::sleep_for(kProgressEvery / 4);
        if (progress)
            progress(first.Fraction() * firstShare + secondShare * (1 - firstShare),
                     first.Replacements() + secondCount);
    }
    worker.join();
    total = first.Replacements() + second.Replacements();
    text = first.TakeText();
    text.append(second.TakeText());
    return true;
}

}  // namespace

int64_t ApplyDictionary(const CPolyDict& dict, std::string& text, bool* dictUnreadable,
                        const PolyProgress& progress) {
    CPolyStepper stepper(dict);
    int64_t total = 0;
    const PolyDictRef snap = dict.Snapshot();
    if (FirstPassInHalves(snap, text, total, progress)) {
        // As at the end of any pass: entries the file gained meanwhile make further passes.
        const int end = snap->RunEnd(0);
        if (dict.Snapshot()->RunEnd(end) <= end) return total;
        stepper.Begin(std::move(text));
        stepper.SetIndex(end);
    } else {
        stepper.Begin(std::move(text));
    }
    const PolyBudget budget = progress ? PolyBudget(kProgressEvery) : kPolyNoLimit;
    for (;;) {
        PolyStepReport r = stepper.StepFor(budget);
        total += r.replacements;
        if (r.exhausted) {
            if (dictUnreadable) *dictUnreadable = r.dictUnreadable;
            break;
        }
        if (progress) progress(stepper.Share(), total);
    }
    text = stepper.TakeText();
    return total;
}

}  // namespace qdm
