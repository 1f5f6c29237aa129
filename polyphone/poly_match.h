#pragma once
// What the fast run needs to know about a dictionary, built once per snapshot:
//
// * Which words start at a given position of a text (all of them, any length). Words are
//   keyed by their first bytes: 1-, 2- and 3-byte words by exact tables, longer words by
//   their first four bytes through a bit filter and a hash table, then compared in full. A
//   position of ordinary text costs a couple of table lookups.
//
// * Which characters cut a text into pieces that the entries can never reach across (cut
//   characters). A character that occurs in no word can never be inside a match, and one that
//   occurs in no replacement can never be jumped over by the "already replaced" test; such a
//   character is therefore never changed, and it separates two pieces whose processing is
//   independent, entry by entry, as long as the division of the text into characters cannot
//   shift across it. Two kinds of cuts:
//   - strict cuts: bytes below 0x40 that occur in no word or replacement. Such a byte can
//     neither lead nor trail a pair, so the characters after it never depend on what comes
//     before. LF is always one, since no line can hold it.
//   - character cuts: any double-byte character, or single byte that cannot lead a pair, that
//     occurs as a character in no word or replacement. The division into characters can only
//     shift where a lead byte stands alone (followed by a byte that cannot trail it): a
//     replacement could then give it a partner. So character cuts are used only when no word
//     or replacement holds such a lone lead byte and the text holds none either; then no edit
//     can ever create one, and no character of the text is ever re-divided.
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace qdm {

class PolyDictSnapshot;

class PolyMatchIndex {
  public:
    explicit PolyMatchIndex(const PolyDictSnapshot& snap);

    // Entries (line numbers, ascending) whose word is word `id`.
    struct Range {
        const uint32_t* begin;
        const uint32_t* end;
    };
    Range EntriesOf(uint32_t wordId) const {
        return {m_entries.data() + m_entryStart[wordId],
                m_entries.data() + m_entryStart[wordId + 1]};
    }
    size_t WordCount() const { return m_words.size(); }
    size_t WordLen(uint32_t wordId) const { return m_words[wordId].len; }
    bool Empty() const { return m_words.empty(); }

    // Calls f(wordId) for every word that `p[0 .. avail)` begins with.
    template <class F>
    void MatchAt(const unsigned char* p, size_t avail, F&& f) const;

    // Starts loading what MatchAt(p, avail >= 4) reads for words of four bytes or more, so
    // that a caller can overlap it with the work on an earlier position.
    void Prefetch(const unsigned char* p) const {
        if (!m_hasLong) return;
        const uint32_t key = Load4(p);
        const uint32_t h = Hash(key) >> m_longShift;
        __builtin_prefetch(&m_longBits[h >> 6]);
        if (!m_longGroups.slots.empty())
            __builtin_prefetch(&m_longGroups.slots[m_longGroups.Home(key)]);
    }

    // Whether every word is whole double-byte characters and every replacement is non-empty
    // and holds no lead byte: the shape poly_inert.h resolves in one scan.
    bool InertReplacements() const { return m_inert; }

    // Whether a replacement made by entry `entry` can bring no word into the text that was not
    // there before (only known, and only ever true, when character cuts are allowed).
    bool QuietReplacement(size_t entry) const { return entry < m_quiet.size() && m_quiet[entry]; }

    // Whether character cuts may be used at all (no lone lead byte in the entries).
    bool CharCutsAllowed() const { return m_charCuts; }
    // Whether the character of `len` bytes at p is a cut: a character cut when `charCuts`,
    // else a strict cut.
    bool IsCut(const unsigned char* p, size_t len, bool charCuts) const {
        if (!charCuts) return len == 1 && m_strictCut[p[0]];
        if (len == 1) return m_cutSingle[p[0]];
        const unsigned code = (unsigned{p[0]} << 8) | p[1];
        return (m_cutPair[code >> 6] >> (code & 63)) & 1;
    }

  private:
    struct Word {
        const char* data;
        uint32_t len;
    };
    // Open addressing, key -> value; values are never ~0u, which marks an empty slot.
    struct FlatMap {
        std::vector<uint64_t> slots;  // key << 32 | value
        uint32_t mask = 0;
        unsigned shift = 32;
        // The hash's top bits: its low bits depend on the key's low bytes only, and keys that
        // share their first character would crowd into one run of slots.
        uint32_t Home(uint32_t key) const { return Hash(key) >> shift; }
        void Build(const std::vector<std::pair<uint32_t, uint32_t>>& items);
        uint32_t Find(uint32_t key) const;  // ~0u when missing
    };
    static uint32_t Hash(uint32_t key) { return key * 0x9E3779B1u; }
    static uint32_t Load4(const unsigned char* p) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    void BuildCuts(const PolyDictSnapshot& snap);
    void BuildMatcher();
    void BuildQuiet(const PolyDictSnapshot& snap);

    std::vector<Word> m_words;  // distinct words
    std::vector<uint32_t> m_entryStart, m_entries;

    std::array<bool, 256> m_firstByte{};  // some word begins with this byte
    std::vector<uint64_t> m_first2;       // some word of 2 bytes or more begins with these two
    std::array<int32_t, 256> m_len1;      // 1-byte words by their byte
    std::vector<uint64_t> m_len2Bits;     // 2-byte words present (65536 bits)
    FlatMap m_len2, m_len3;               // 2-, 3-byte words: first bytes -> word id
    std::vector<uint64_t> m_len3Bits;     // filter over Hash(3 bytes)
    bool m_hasLen1 = false, m_hasLen2 = false, m_hasLen3 = false, m_hasLong = false;
    // Words of 4 bytes or more, grouped by their first four bytes; each carries its bytes 4 to
    // 11, so most are told apart without looking at the word itself.
    struct LongWord {
        uint64_t tail;
        uint32_t id;
        uint32_t len;  // with kLastInGroup on the group's last word
    };
    static constexpr uint32_t kLastInGroup = 0x80000000u;
    std::vector<uint64_t> m_longBits;  // filter over Hash(first four bytes)
    unsigned m_longShift = 32;
    FlatMap m_longGroups;  // first four bytes -> index of the group's first word in m_long
    std::vector<LongWord> m_long;

    bool m_charCuts = false;
    bool m_inert = false;
    std::vector<uint8_t> m_quiet;  // per line
    std::array<bool, 256> m_strictCut{};
    std::array<bool, 256> m_cutSingle{};
    std::vector<uint64_t> m_cutPair;  // 65536 bits, by lead << 8 | trail
};

template <class F>
void PolyMatchIndex::MatchAt(const unsigned char* p, size_t avail, F&& f) const {
    if (!m_firstByte[p[0]]) return;
    if (m_hasLen1) {
        int32_t id = m_len1[p[0]];
        if (id >= 0) f(static_cast<uint32_t>(id));
    }
    if (avail < 2) return;
    const unsigned first2 = unsigned{p[0]} | unsigned{p[1]} << 8;
    if (!((m_first2[first2 >> 6] >> (first2 & 63)) & 1)) return;
    if (m_hasLen2) {
        if ((m_len2Bits[first2 >> 6] >> (first2 & 63)) & 1) f(m_len2.Find(first2));
    }
    if (avail < 3) return;
    if (m_hasLen3) {
        const uint32_t key = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
        const uint32_t h = Hash(key) >> 12;
        if ((m_len3Bits[h >> 6] >> (h & 63)) & 1) {
            uint32_t id = m_len3.Find(key);
            if (id != ~0u) f(id);
        }
    }
    if (avail < 4 || !m_hasLong) return;
    const uint32_t key = Load4(p);
    const uint32_t h = Hash(key) >> m_longShift;
    if (!((m_longBits[h >> 6] >> (h & 63)) & 1)) return;
    uint32_t i = m_longGroups.Find(key);
    if (i == ~0u) return;
    // Bytes 4 to 11 at p, zero beyond the text, against each word's bytes 4 to 11.
    uint64_t next8 = 0;
    if (avail >= 12)
        std::memcpy(&next8, p + 4, 8);
    else
        std::memcpy(&next8, p + 4, avail - 4);
    for (;; ++i) {
        const LongWord& w = m_long[i];
        const uint32_t len = w.len & ~kLastInGroup;
        if (len <= avail) {
            if (len <= 12) {
                const uint64_t mask =
                    len == 12 ? ~uint64_t{0} : (uint64_t{1} << (8 * (len - 4))) - 1;
                if ((next8 & mask) == w.tail) f(w.id);
            } else if (std::memcmp(p + 4, m_words[w.id].data + 4, len - 4) == 0) {
                f(w.id);
            }
        }
        if (w.len & kLastInGroup) break;
    }
}

}  // namespace qdm
