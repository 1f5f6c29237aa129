#pragma once
// Where the display units of a GBK text start. The on-screen widget shows one character per
// unit (a double-byte character, a single byte, or a line break: CR LF, lone CR, lone LF), so
// a widget position is a unit number. The index keeps unit and byte counts per chunk of a few
// kilobytes: a lookup walks one chunk, an edit rescans only the chunks it touches. It counts
// line breaks per chunk as well, so a view can find lines without a pass over the book.
#include <cstdint>
#include <string_view>
#include <vector>

namespace qdm {

// How an edit changed the unit sequence: old units [unit, unit + oldUnits) became new units
// [unit, unit + newUnits), which cover the new bytes [byte, byte + newBytes). The range may be
// wider than the edit itself (whole chunks at its end), never narrower.
struct UnitChange {
    int32_t unit = 0;
    int32_t oldUnits = 0;
    int32_t newUnits = 0;
    int32_t byte = 0;
    int32_t newBytes = 0;
};

class UnitIndex {
  public:
    static constexpr int32_t kChunkBytes = 4096;

    void Reset(std::string_view text);
    int32_t Units() const { return m_units; }
    int32_t Bytes() const { return m_bytes; }

    // Byte offset at which unit `unit` starts; Bytes() for unit >= Units().
    int32_t ByteOfUnit(std::string_view text, int32_t unit) const;
    // The unit that holds byte `byte` (the unit it starts, or the one it lies inside);
    // Units() for byte >= Bytes().
    int32_t UnitOfByte(std::string_view text, int32_t byte) const;

    // Lines of the text: line breaks + 1 (an empty text, or one ending in a break, has an
    // empty last line).
    int32_t Lines() const { return m_breaks + 1; }
    // Byte at which line `line` starts (just after its preceding break); Bytes() for
    // line >= Lines().
    int32_t LineStart(std::string_view text, int32_t line) const;
    // Line that holds byte `byte`; a line's break belongs to it (both bytes of a CR LF).
    // Lines() - 1 for byte >= Bytes().
    int32_t LineOfByte(std::string_view text, int32_t byte) const;

    // `text` is the new text, in which bytes [pos, pos + removed) of the old text became
    // `inserted` bytes. Units around the edit may pair differently now (a lone CR meeting an
    // LF, a lead byte meeting a trail byte); the returned range covers them.
    UnitChange Update(std::string_view text, int32_t pos, int32_t removed, int32_t inserted);

  private:
    struct Chunk {
        int32_t bytes;
        int32_t units;
        int32_t breaks;
    };
    struct Scan {
        std::vector<Chunk> chunks;
        int32_t end = 0;     // byte where the scan stopped, on a unit boundary
        int32_t units = 0;   // units scanned
        int32_t breaks = 0;  // line breaks scanned
    };

    // Continues a scan from scan.end to the first unit boundary at or after `until`, cutting
    // the units into chunks.
    static void ScanTo(std::string_view text, int32_t until, Scan& scan);
    void EnsureStarts() const;
    // Chunk holding byte `byte` (the last chunk for byte == Bytes()).
    size_t ChunkOfByte(int32_t byte) const;

    std::vector<Chunk> m_chunks;
    int32_t m_units = 0;
    int32_t m_bytes = 0;
    int32_t m_breaks = 0;
    // Byte, unit and break counts before each chunk, valid for chunks below m_validStarts.
    mutable std::vector<int32_t> m_byteStart;
    mutable std::vector<int32_t> m_unitStart;
    mutable std::vector<int32_t> m_breakStart;
    mutable size_t m_validStarts = 0;
};

}  // namespace qdm
