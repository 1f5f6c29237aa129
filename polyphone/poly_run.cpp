#include "polyphone/poly_run.h"

#include <algorithm>

#include "editor/gbk.h"
#include "polyphone/poly_engine.h"
#include "polyphone/poly_match.h"

namespace qdm {
namespace {

// How many bytes the indexing pass scans between two looks at the clock.
constexpr size_t kIndexSlice = 256 * 1024;

void SortUnique(std::vector<uint32_t>& v) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
}

}  // namespace

PolyRun::PolyRun(std::string text, PolyDictRef snap, int from)
    : m_base(std::move(text)), m_snap(std::move(snap)), m_from(static_cast<uint32_t>(from)) {
    const uint32_t end = static_cast<uint32_t>(m_snap->RunEnd(from));
    m_queued.resize(end > m_from ? end - m_from : 0);
    if (m_queued.empty()) {  // nothing to apply: no need to look at the text at all
        m_indexed = true;
        m_listStart.assign(1, 0);
        return;
    }
    m_ix = &m_snap->MatchIndex();
    m_charCuts = m_ix->CharCutsAllowed();
}

std::string_view PolyRun::Content(const Piece& p) const {
    if (p.own >= 0) return m_own[static_cast<size_t>(p.own)];
    return std::string_view(m_base).substr(p.start, p.end - p.start);
}

void PolyRun::EntriesIn(std::string_view s, uint32_t minEntry, std::vector<uint32_t>& out) const {
    out.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const uint32_t limit = m_from + static_cast<uint32_t>(m_queued.size());
    auto take = [&](uint32_t word) {
        auto range = m_ix->EntriesOf(word);
        for (const uint32_t* e = range.begin; e != range.end; ++e)
            if (*e >= minEntry && *e < limit) out.push_back(*e);
    };
    for (size_t i = 0; i < s.size(); i += gbk::CharLen(s, i))
        m_ix->MatchAt(p + i, s.size() - i, take);
    SortUnique(out);
}

bool PolyRun::Index(Clock::time_point deadline) {
    if (m_indexed) return true;
    const std::string_view text = m_base;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    const uint32_t limit = m_from + static_cast<uint32_t>(m_queued.size());
    auto take = [&](uint32_t word) {
        auto range = m_ix->EntriesOf(word);
        for (const uint32_t* e = range.begin; e != range.end; ++e)
            if (*e >= m_from && *e < limit) m_found.push_back(*e);
    };
    auto closePiece = [&](size_t end) {
        if (!m_found.empty()) {
            SortUnique(m_found);
            const auto piece = static_cast<uint32_t>(m_pieces.size());
            m_pieces.push_back({static_cast<uint32_t>(m_pieceStart), static_cast<uint32_t>(end)});
            for (uint32_t e : m_found) m_pairs.push_back(uint64_t{e} << 32 | piece);
            m_found.clear();
        }
        m_pieceStart = end;
    };
    size_t i = m_scanPos;
    while (i < n) {
        const size_t sliceEnd = std::min(n, i + kIndexSlice);
        while (i < sliceEnd) {
            const size_t len = gbk::CharLen(text, i);
            if (len == 1 && m_charCuts && gbk::IsLead(p[i]) && i + 1 < n) {
                RestartWithStrictCuts();
                i = 0;
                break;
            }
            if (m_ix->IsCut(p + i, len, m_charCuts)) {
                closePiece(i + len);
            } else {
                m_ix->MatchAt(p + i, n - i, take);
            }
            i += len;
        }
        if (i < n && Clock::now() >= deadline) {
            m_scanPos = i;
            return false;
        }
    }
    closePiece(n);
    m_scanPos = n;
    FinishIndex();
    return true;
}

void PolyRun::RestartWithStrictCuts() {
    m_charCuts = false;
    m_pieces.clear();
    m_pairs.clear();
    m_found.clear();
    m_pieceStart = 0;
}

// Sorts the (entry, piece) pairs by entry, keeping piece order, into one list per entry.
void PolyRun::FinishIndex() {
    const size_t entries = m_queued.size();
    m_listStart.assign(entries + 1, 0);
    for (uint64_t pair : m_pairs) ++m_listStart[(pair >> 32) - m_from + 1];
    for (size_t e = 0; e < entries; ++e) m_listStart[e + 1] += m_listStart[e];
    m_list.resize(m_pairs.size());
    std::vector<uint32_t> next(m_listStart.begin(), m_listStart.end() - 1);
    for (uint64_t pair : m_pairs)
        m_list[next[(pair >> 32) - m_from]++] = static_cast<uint32_t>(pair);
    m_pairs.clear();
    m_pairs.shrink_to_fit();
    m_indexed = true;
}

int64_t PolyRun::Apply(uint32_t entry) {
    if (entry < m_from || entry - m_from >= m_queued.size()) return 0;
    const uint32_t k = entry - m_from;
    const uint32_t* listBegin = m_list.data() + m_listStart[k];
    const uint32_t* listEnd = m_list.data() + m_listStart[k + 1];
    std::vector<uint32_t>& queued = m_queued[k];
    if (listBegin == listEnd && queued.empty()) return 0;

    // The pieces to visit, each once: a piece may be listed and queued, or queued twice.
    std::vector<uint32_t> pieces;
    if (queued.empty()) {
        pieces.assign(listBegin, listEnd);
    } else {
        SortUnique(queued);
        pieces.reserve(static_cast<size_t>(listEnd - listBegin) + queued.size());
        std::set_union(listBegin, listEnd, queued.begin(), queued.end(),
                       std::back_inserter(pieces));
        std::vector<uint32_t>().swap(queued);
    }

    const std::string_view word = m_snap->Word(entry);
    const std::string_view replacement = m_snap->Replacement(entry);
    int64_t total = 0;
    for (uint32_t id : pieces) {
        Piece& piece = m_pieces[id];
        const int count = ReplaceWordInto(Content(piece), word, replacement, m_scratch);
        if (count == 0) continue;
        total += count;
        if (piece.own < 0) {
            piece.own = static_cast<int32_t>(m_own.size());
            m_own.emplace_back();
        }
        std::swap(m_own[static_cast<size_t>(piece.own)], m_scratch);
        // The changed piece may now hold words of later entries: queue it for them.
        EntriesIn(m_own[static_cast<size_t>(piece.own)], entry + 1, m_work);
        for (uint32_t later : m_work) m_queued[later - m_from].push_back(id);
    }
    return total;
}

std::string PolyRun::Text() const {
    size_t size = m_base.size();
    for (const Piece& p : m_pieces)
        if (p.own >= 0) size = size - (p.end - p.start) + m_own[static_cast<size_t>(p.own)].size();
    std::string out;
    out.reserve(size);
    size_t at = 0;
    for (const Piece& p : m_pieces) {
        if (p.own < 0) continue;
        out.append(m_base, at, p.start - at);
        out.append(m_own[static_cast<size_t>(p.own)]);
        at = p.end;
    }
    out.append(m_base, at, m_base.size() - at);
    return out;
}

}  // namespace qdm
