#pragma once
// The fast run of a dictionary over one text, with the results of the literal loop (every
// entry scanning the whole text in turn).
//
// The text is cut into pieces at cut characters (poly_match.h): no entry can ever match
// across a cut or jump over one, so each piece can go through all the entries on its own, and
// the pieces put back together give the literal loop's text and counts exactly. One pass
// streams through the text: it finds the words that occur in each piece and applies just
// those entries, in dictionary order, with the literal replacement; when a replacement
// changes the piece, the piece is searched again and the later entries found in it join the
// ones still to come. Entries whose word occurs nowhere cost nothing, and every piece is
// handled while it is in the cache.
//
// A dictionary whose replacements cannot meet a word (poly_inert.h) takes a simpler pass: one
// scan that chooses among the occurrences of the original text.
//
// The pass is sliced by deadlines so a caller can spread it over timer ticks.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "polyphone/poly_dict.h"

namespace qdm {

class PolyMatchIndex;
class InertResolver;

class PolyRun {
  public:
    using Clock = std::chrono::steady_clock;

    // A run over `text` that applies entries [from, snap->RunEnd(from)). The result is built
    // in a buffer with room for a text of `outRoom` bytes or of `text`'s size, whichever is
    // larger, and some more: a caller that appends to it avoids moving it.
    PolyRun(std::string text, PolyDictRef snap, int from, size_t outRoom = 0);
    ~PolyRun();

    const PolyDictRef& Snap() const { return m_snap; }
    int From() const { return static_cast<int>(m_from); }
    int End() const { return static_cast<int>(m_end); }

    // Works until the pass is done (true) or the deadline has passed (false).
    bool Work(Clock::time_point deadline);
    bool Done() const { return m_done; }
    // How much of the text the pass has gone through, 0 to 1.
    double Fraction() const;
    int64_t Replacements() const { return m_replacements; }

    // The processed text once Done(); before that, the text as it was given.
    std::string TakeText();

  private:
    // Applies the entries of the piece in hand (from m_pending) until none is left (true) or
    // the deadline passes between two entries of a large piece (false).
    bool WorkOnPiece(Clock::time_point deadline);
    void ClosePiece(size_t end);
    // Adds the entries > `after` whose word occurs in m_piece (around `spots`, or everywhere
    // when `spots` is null) to m_pending.
    void FindLater(uint32_t after, const std::vector<size_t>* spots, size_t insertedLen);
    // The pass of a dictionary whose replacements cannot meet a word.
    bool WorkInert(Clock::time_point deadline);
    // Marks `word` as found in the piece in hand; false when it was already.
    bool Register(uint32_t word);
    void NextPiece();
    int ReplaceInPiece(std::string_view word, std::string_view replacement);
    // Looks for a lead byte standing alone in the text; false when the deadline came first.
    bool CheckForLoneLeads(Clock::time_point deadline);

    std::string m_base;
    PolyDictRef m_snap;
    const PolyMatchIndex* m_ix = nullptr;
    uint32_t m_from;
    uint32_t m_end;  // entries [m_from, m_end) are applied
    size_t m_maxWord = 0;

    // Character cuts are used unless an entry or the text holds a lone lead byte (see
    // poly_match.h); the text is checked before the pass starts.
    bool m_charCuts = false;
    size_t m_checkPos = 0;
    bool m_done = false;
    size_t m_scanPos = 0;     // next byte of m_base to scan
    size_t m_pieceStart = 0;  // start of the piece being scanned
    size_t m_copied = 0;      // m_base[0, m_copied) is accounted for in m_out
    std::vector<uint32_t> m_found;
    std::string m_out;
    int64_t m_replacements = 0;

    // The piece in hand.
    bool m_inPiece = false;
    size_t m_pieceEnd = 0;
    bool m_changed = false;
    std::string_view m_view;  // its content: in m_base until it changes, then in m_piece
    std::string m_piece, m_scratch;
    std::vector<uint32_t> m_pending;  // entries still to apply to it, descending
    std::vector<size_t> m_spots;
    std::vector<uint32_t> m_work;
    std::vector<uint32_t> m_stamp;  // per word: the piece it was last found in
    uint32_t m_serial = 1;          // the piece in hand

    // The inert pass: per word, the first entry of the run that carries it (~0u: none) and
    // the word's length, side by side since a match needs both.
    struct InertWord {
        uint32_t entry;
        uint32_t len;
    };
    std::unique_ptr<InertResolver> m_inert;
    std::vector<InertWord> m_inertWords;
};

}  // namespace qdm
