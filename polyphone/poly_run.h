#pragma once
// The fast run of a dictionary over one text, with the results of the literal loop (every
// entry scanning the whole text in turn).
//
// The text is cut into pieces at cut characters (poly_match.h): no entry can ever match
// across a cut or jump over one, so each piece goes through the entries on its own and the
// pieces, put back together, give the literal loop's text and counts exactly. One indexing
// pass records, for every entry, the pieces its word occurs in; pieces without any word
// are never looked at again. Applying an entry runs the literal replacement over just its
// pieces; a piece that changed is scanned again at once, and the later entries found in it
// are queued for that piece, so an occurrence that a replacement creates is never missed.
// Entries whose word occurs nowhere cost nothing.
//
// The work is sliced by deadlines so a caller can spread it over timer ticks.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "polyphone/poly_dict.h"

namespace qdm {

class PolyMatchIndex;

class PolyRun {
  public:
    using Clock = std::chrono::steady_clock;

    // A run over `text` that will apply entries from `from` on with the snapshot's entries.
    PolyRun(std::string text, PolyDictRef snap, int from);

    const PolyDictRef& Snap() const { return m_snap; }

    // Indexes the text until done (true) or the deadline passes (false).
    bool Index(Clock::time_point deadline);
    bool Indexed() const { return m_indexed; }

    // Applies entry `entry` (>= from, in increasing order, after Index) to every piece its
    // word may occur in; returns the replacements made.
    int64_t Apply(uint32_t entry);

    // The text as it stands (pieces put back together).
    std::string Text() const;

  private:
    struct Piece {
        uint32_t start, end;  // in the indexed text
        int32_t own = -1;     // index in m_own once the piece changed
    };
    std::string_view Content(const Piece& p) const;
    // The entries >= minEntry whose word occurs in `s` (an independent piece), ascending.
    void EntriesIn(std::string_view s, uint32_t minEntry, std::vector<uint32_t>& out) const;
    void FinishIndex();
    void RestartWithStrictCuts();

    std::string m_base;
    PolyDictRef m_snap;
    const PolyMatchIndex* m_ix = nullptr;
    uint32_t m_from;

    // Indexing state. Character cuts are tried first; a lone lead byte in the text sends the
    // pass back to the start with strict cuts (see poly_match.h).
    bool m_indexed = false;
    bool m_charCuts = false;
    size_t m_scanPos = 0;
    size_t m_pieceStart = 0;
    std::vector<uint32_t> m_found;
    std::vector<uint64_t> m_pairs;  // entry << 32 | piece, in piece order

    std::vector<Piece> m_pieces;
    std::vector<std::string> m_own;
    // Pieces per entry: from the indexing pass (ascending, m_listStart indexed by entry -
    // m_from) and queued later by rescans of changed pieces.
    std::vector<uint32_t> m_listStart, m_list;
    std::vector<std::vector<uint32_t>> m_queued;
    std::string m_scratch;
    std::vector<uint32_t> m_work;
};

}  // namespace qdm
