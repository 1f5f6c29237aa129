#include "polyphone/poly_run.h"

#include <algorithm>
#include <functional>

#include "editor/gbk.h"
#include "editor/text_buffer.h"
#include "polyphone/poly_engine.h"
#include "polyphone/poly_inert.h"
#include "polyphone/poly_match.h"

namespace qdm {
namespace {

// How many bytes the pass handles between two looks at the clock.
constexpr size_t kSlice = 64 * 1024;
// Pieces up to this size are edited in place.
constexpr size_t kSmallPiece = 1024;

}  // namespace

PolyRun::PolyRun(std::string text, PolyDictRef snap, int from, size_t outRoom)
    : m_base(std::move(text)), m_snap(std::move(snap)), m_from(static_cast<uint32_t>(from)) {
    m_end = std::max(m_from, static_cast<uint32_t>(m_snap->RunEnd(from)));
    if (m_end == m_from) {  // nothing to apply: the text stays as it is
        m_done = true;
        m_out = std::move(m_base);
        return;
    }
    m_ix = &m_snap->MatchIndex();
    m_charCuts = m_ix->CharCutsAllowed();
    m_stamp.assign(m_ix->WordCount(), 0);
    for (uint32_t e = m_from; e < m_end; ++e)
        m_maxWord = std::max(m_maxWord, m_snap->Word(e).size());
    // Fresh memory is touched in huge pages where the kernel allows it.
    m_out = NewTextBuffer(std::max(outRoom, m_base.size()));
    if (m_ix->InertReplacements()) {
        m_inert = std::make_unique<InertResolver>(m_base);
        m_inertWords.assign(m_ix->WordCount(), InertWord{~0u, 0});
        for (uint32_t w = 0; w < m_inertWords.size(); ++w) {
            auto range = m_ix->EntriesOf(w);
            const uint32_t* e = std::lower_bound(range.begin, range.end, m_from);
            if (e != range.end && *e < m_end)
                m_inertWords[w] = {*e, static_cast<uint32_t>(m_ix->WordLen(w))};
        }
    }
}

PolyRun::~PolyRun() = default;

double PolyRun::Fraction() const {
    if (m_done || m_base.empty()) return 1.0;
    return static_cast<double>(m_scanPos) / static_cast<double>(m_base.size());
}

std::string PolyRun::TakeText() {
    return m_done ? std::move(m_out) : std::move(m_base);
}

bool PolyRun::CheckForLoneLeads(Clock::time_point deadline) {
    const std::string_view text = m_base;
    if (text.size() < 2) return true;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t last = text.size() - 1;  // a lead byte at the very end has nothing to pair with
    while (m_checkPos < last) {
        const size_t sliceEnd = std::min(last, m_checkPos + kSlice);
        for (size_t i = m_checkPos; i < sliceEnd; ++i) {
            // A lead byte alone must be followed by a byte that cannot trail; such a byte ends
            // a run of lead bytes, so each run is walked back at most once.
            if (gbk::IsLead(p[i]) && !gbk::IsTrail(p[i + 1]) && gbk::IsBoundary(text, i)) {
                m_charCuts = false;
                m_checkPos = last;
                return true;
            }
        }
        m_checkPos = sliceEnd;
        if (m_checkPos < last && Clock::now() >= deadline) return false;
    }
    return true;
}

bool PolyRun::Register(uint32_t word) {
    if (m_stamp[word] == m_serial) return false;
    m_stamp[word] = m_serial;
    return true;
}

void PolyRun::NextPiece() {
    if (++m_serial == 0) {
        std::fill(m_stamp.begin(), m_stamp.end(), 0);
        m_serial = 1;
    }
}

void PolyRun::ClosePiece(size_t end) {
    if (m_found.empty()) {
        m_pieceStart = end;
        NextPiece();
        return;
    }
    std::sort(m_found.begin(), m_found.end(), std::greater<>());
    m_pending.swap(m_found);
    m_found.clear();
    m_view = std::string_view(m_base).substr(m_pieceStart, end - m_pieceStart);
    m_pieceEnd = end;
    m_changed = false;
    m_inPiece = true;
}

void PolyRun::FindLater(uint32_t after, const std::vector<size_t>* spots, size_t insertedLen) {
    m_work.clear();
    const std::string_view s = m_view;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    // A word seen before in this piece has all its later entries pending already.
    auto take = [&](uint32_t word) {
        if (!Register(word)) return;
        auto range = m_ix->EntriesOf(word);
        for (const uint32_t* e = range.begin; e != range.end; ++e)
            if (*e > after && *e < m_end) m_work.push_back(*e);
    };
    if (!spots || !m_charCuts) {
        for (size_t i = 0; i < s.size(); i += gbk::CharLen(s, i))
            m_ix->MatchAt(p + i, s.size() - i, take);
    } else {
        // Only a match that overlaps an inserted replacement (or spans the point of a deletion)
        // is new; with no lone lead byte around, every other one was there before the change.
        size_t cursor = 0;  // a character start, at or before the next window
        for (size_t spot : *spots) {
            const size_t lo = std::max(cursor, spot >= m_maxWord ? spot - m_maxWord + 1 : 0);
            size_t i = gbk::BoundaryAtOrAfter(s, lo, cursor);
            const size_t end = std::min(s.size(), spot + std::max<size_t>(insertedLen, 1));
            for (; i < end; i += gbk::CharLen(s, i)) m_ix->MatchAt(p + i, s.size() - i, take);
            cursor = std::min(i, s.size());
        }
    }
    for (uint32_t e : m_work) {
        auto at = std::lower_bound(m_pending.begin(), m_pending.end(), e, std::greater<>());
        if (at == m_pending.end() || *at != e) m_pending.insert(at, e);
    }
}

bool PolyRun::WorkOnPiece(Clock::time_point deadline) {
    while (!m_pending.empty()) {
        const uint32_t entry = m_pending.back();
        m_pending.pop_back();
        const std::string_view word = m_snap->Word(entry);
        const std::string_view replacement = m_snap->Replacement(entry);
        m_spots.clear();
        int count;
        if (m_charCuts && m_view.size() <= kSmallPiece) {
            count = ReplaceInPiece(word, replacement);
        } else {
            count = ReplaceWordInto(m_view, word, replacement, m_scratch, &m_spots);
            if (count > 0) {
                m_piece.swap(m_scratch);
                m_view = m_piece;
                m_changed = true;
            }
        }
        if (count > 0) {
            m_replacements += count;
            if (!m_charCuts || !m_ix->QuietReplacement(entry))
                FindLater(entry, &m_spots, replacement.size());
        }
        // A huge piece (a text with few cuts) may take long: stop between two entries.
        if (m_view.size() > kSlice && !m_pending.empty() && Clock::now() >= deadline) return false;
    }
    if (m_changed) {
        m_out.append(m_base, m_copied, m_pieceStart - m_copied);
        m_out.append(m_piece);
        m_copied = m_pieceEnd;
    }
    m_inPiece = false;
    m_pieceStart = m_pieceEnd;
    NextPiece();
    return true;
}

// The literal pass on a short piece whose characters can never be re-divided (no lone lead
// byte anywhere): every replacement is whole characters, so the search simply goes on after
// it, and editing in place costs less than building the piece anew.
int PolyRun::ReplaceInPiece(std::string_view word, std::string_view replacement) {
    int count = 0;
    for (size_t pos = FindWordFrom(m_view, word, 0); pos != gbk::npos;) {
        if (replacement.empty() || m_view.substr(pos, replacement.size()) != replacement) {
            if (!m_changed) {
                m_piece.assign(m_view);
                m_changed = true;
            }
            m_piece.replace(pos, word.size(), replacement);
            m_view = m_piece;
            m_spots.push_back(pos);
            ++count;
        }
        pos = FindWordFrom(m_view, word, pos + replacement.size());
    }
    return count;
}

bool PolyRun::WorkInert(Clock::time_point deadline) {
    const std::string_view text = m_base;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    auto replacement = [&](uint32_t entry) { return m_snap->Replacement(entry); };
    size_t i = m_scanPos;
    auto take = [&](uint32_t word) {
        const InertWord w = m_inertWords[word];
        if (w.entry != ~0u) m_inert->Add(i, w.len, w.entry, replacement, m_out);
    };
    while (i < n) {
        const size_t sliceEnd = std::min(n, i + kSlice);
        while (i < sliceEnd) {
            // Every word begins with a lead byte; whatever else stands here is one byte.
            if (!gbk::IsLead(p[i])) {
                ++i;
                continue;
            }
            // The tables a position looks at are far apart in a large dictionary: ask for the
            // next character's while this one's are read.
            if (i + 6 <= n) m_ix->Prefetch(p + i + 2);
            m_ix->MatchAt(p + i, n - i, take);
            i += gbk::CharLen(text, i);
        }
        if (i < n && Clock::now() >= deadline) {
            m_scanPos = i;
            return false;
        }
    }
    m_scanPos = n;
    m_inert->Flush(replacement, m_out);
    m_out.append(m_base, m_inert->Copied(), n - m_inert->Copied());
    m_replacements = m_inert->Replacements();
    m_done = true;
    std::string().swap(m_base);
    return true;
}

bool PolyRun::Work(Clock::time_point deadline) {
    if (m_done) return true;
    if (m_inert) {
        const bool done = WorkInert(deadline);
        m_replacements = m_inert->Replacements();
        return done;
    }
    if (m_charCuts && !CheckForLoneLeads(deadline)) return false;
    if (m_inPiece && !WorkOnPiece(deadline)) return false;
    const std::string_view text = m_base;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    auto take = [&](uint32_t word) {
        if (!Register(word)) return;
        auto range = m_ix->EntriesOf(word);
        for (const uint32_t* e = range.begin; e != range.end; ++e)
            if (*e >= m_from && *e < m_end) m_found.push_back(*e);
    };
    size_t i = m_scanPos;
    while (i < n) {
        const size_t sliceEnd = std::min(n, i + kSlice);
        while (i < sliceEnd) {
            const size_t len = gbk::CharLen(text, i);
            if (m_ix->IsCut(p + i, len, m_charCuts)) {
                i += len;
                ClosePiece(i);
                if (m_inPiece && !WorkOnPiece(deadline)) {
                    m_scanPos = i;
                    return false;
                }
                continue;
            }
            m_ix->MatchAt(p + i, n - i, take);
            i += len;
        }
        if (i < n && Clock::now() >= deadline) {
            m_scanPos = i;
            return false;
        }
    }
    m_scanPos = n;
    ClosePiece(n);
    if (m_inPiece && !WorkOnPiece(deadline)) return false;
    m_out.append(m_base, m_copied, n - m_copied);
    m_done = true;
    std::string().swap(m_base);
    return true;
}

}  // namespace qdm
