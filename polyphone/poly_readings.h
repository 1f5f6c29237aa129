#pragma once
// The per-character reading table (res/polyphone-readings.txt): one GBK character per line,
// then its readings in tone-number pinyin separated by blanks, the reading a speech engine
// gives the character on its own first; lines in order of how common the character is, most
// common first; '#' starts a comment line. A character with two readings or more is
// polyphonic.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "polyphone/poly_res.h"

namespace qdm {

class PolyReadingTable {
  public:
    PolyReadingTable();

    // Parses the table's bytes; false with `error` (GBK) naming the first bad line.
    bool Parse(std::string_view content, std::string& error);
    // Reads and parses the file; false with `error` (UTF-8 path and reason, or the bad line).
    bool Load(const std::string& path, std::string& error);

    static uint16_t Code(unsigned char lead, unsigned char trail) {
        return static_cast<uint16_t>(lead << 8 | trail);
    }
    // Readings of a double-byte character, empty when the table does not know it.
    const std::vector<std::string>& Readings(uint16_t code) const;
    bool Known(uint16_t code) const { return m_index[code] != 0; }
    bool IsPolyphonic(uint16_t code) const { return (m_poly[code >> 6] >> (code & 63)) & 1; }
    size_t PolyphonicCount() const { return m_polyCount; }
    // "xing2/hang2"
    std::string JoinedReadings(uint16_t code) const;

    // The most common character (GBK bytes) whose only reading is `reading`; empty when none.
    std::string Homophone(std::string_view reading) const;

    // The starter style's rule applied to a word of the caller's (GBK): 同音字 spells each
    // polyphonic character by the homophone of its first reading; 拼音 spells every known
    // character by its first reading; other bytes stay as they are.
    std::string Propose(std::string_view word, PolyStyle style) const;

  private:
    struct Char {
        uint16_t code;
        std::vector<std::string> readings;
    };
    std::vector<Char> m_chars;      // in file order
    std::vector<uint32_t> m_index;  // code -> 1 + index into m_chars; 0 when unknown
    std::vector<uint64_t> m_poly;   // 65536 bits
    size_t m_polyCount = 0;
    std::unordered_map<std::string, uint16_t> m_homophone;  // reading -> first one-reading char
};

}  // namespace qdm
