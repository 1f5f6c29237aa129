#include "editor/unit_index.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "editor/gbk.h"

namespace qdm {
namespace {

// True when each of the eight bytes in `x` lies in 0x81..0xFE.
bool AllLeadAndTrail(uint64_t x) {
    constexpr uint64_t ones = 0x0101010101010101u, high = 0x8080808080808080u;
    const uint64_t low = x & ~high;
    const auto hasZero = [](uint64_t v) { return ((v - ones) & ~v & high) != 0; };
    return (x & high) == high && !hasZero(low) && !hasZero(low ^ (0x7Fu * ones));
}

// Bytes from `pos`, before `stop`, that may each lead or trail a pair. From a unit boundary such
// a run pairs up byte by byte whatever follows it, so its whole pairs need no look one by one.
int32_t HighRun(const unsigned char* p, int32_t pos, int32_t stop) {
    int32_t at = pos;
    for (uint64_t x; stop - at >= 8; at += 8) {
        std::memcpy(&x, p + at, 8);
        if (!AllLeadAndTrail(x)) break;
    }
    while (at < stop && p[at] >= 0x81 && p[at] <= 0xFE) ++at;
    return at - pos;
}

}  // namespace

void UnitIndex::ScanTo(std::string_view text, int32_t until, Scan& scan) {
    std::vector<Chunk>& chunks = scan.chunks;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    const int32_t size = static_cast<int32_t>(text.size());
    int32_t pos = scan.end;
    int32_t chunkStart = pos, chunkUnits = 0, units = 0;
    int32_t chunkBreaks = 0, breaks = 0;
    // A short last chunk of the scan so far grows on; its units are counted already.
    if (!chunks.empty() && chunks.back().bytes < kChunkBytes) {
        chunkStart -= chunks.back().bytes;
        chunkUnits = chunks.back().units;
        units = -chunkUnits;
        chunkBreaks = chunks.back().breaks;
        breaks = -chunkBreaks;
        chunks.pop_back();
    }
    // gbk::UnitLen, spelled out: this loop walks whole books.
    while (pos < until) {
        const int32_t chunkEnd = std::min(until, chunkStart + kChunkBytes);
        while (pos < chunkEnd) {
            const unsigned char b = p[pos];
            int32_t len = 1;
            if (b == '\r') {
                len = (pos + 1 < size && p[pos + 1] == '\n') ? 2 : 1;
                ++chunkBreaks;
            } else if (b == '\n') {
                ++chunkBreaks;
            } else if (b >= 0x81 && b <= 0xFE && pos + 1 < size && p[pos + 1] >= 0x40 &&
                       p[pos + 1] <= 0xFE) {
                // Most of a Chinese book: whole pairs of a run taken at once.
                if (const int32_t pairs = HighRun(p, pos, chunkEnd) / 2; pairs > 1) {
                    pos += 2 * pairs;
                    chunkUnits += pairs;
                    continue;
                }
                len = 2;
            }
            pos += len;
            ++chunkUnits;
        }
        if (pos - chunkStart >= kChunkBytes) {
            chunks.push_back({pos - chunkStart, chunkUnits, chunkBreaks});
            units += chunkUnits;
            breaks += chunkBreaks;
            chunkStart = pos;
            chunkUnits = chunkBreaks = 0;
        }
    }
    if (pos > chunkStart) {
        chunks.push_back({pos - chunkStart, chunkUnits, chunkBreaks});
        units += chunkUnits;
        breaks += chunkBreaks;
    }
    scan.units += units;
    scan.breaks += breaks;
    scan.end = pos;
}

void UnitIndex::Reset(std::string_view text) {
    Scan scan;
    ScanTo(text, static_cast<int32_t>(text.size()), scan);
    m_chunks = std::move(scan.chunks);
    m_units = scan.units;
    m_bytes = scan.end;
    m_breaks = scan.breaks;
    m_validStarts = 0;
}

void UnitIndex::EnsureStarts() const {
    const size_t n = m_chunks.size();
    m_byteStart.resize(n);
    m_unitStart.resize(n);
    m_breakStart.resize(n);
    if (m_validStarts > n) m_validStarts = n;
    for (size_t i = m_validStarts; i < n; ++i) {
        if (i == 0) {
            m_byteStart[0] = m_unitStart[0] = m_breakStart[0] = 0;
        } else {
            m_byteStart[i] = m_byteStart[i - 1] + m_chunks[i - 1].bytes;
            m_unitStart[i] = m_unitStart[i - 1] + m_chunks[i - 1].units;
            m_breakStart[i] = m_breakStart[i - 1] + m_chunks[i - 1].breaks;
        }
    }
    m_validStarts = n;
}

size_t UnitIndex::ChunkOfByte(int32_t byte) const {
    auto it = std::upper_bound(m_byteStart.begin(), m_byteStart.end(), byte);
    return static_cast<size_t>(it - m_byteStart.begin()) - 1;
}

int32_t UnitIndex::ByteOfUnit(std::string_view text, int32_t unit) const {
    if (unit <= 0) return 0;
    if (unit >= m_units) return m_bytes;
    EnsureStarts();
    auto it = std::upper_bound(m_unitStart.begin(), m_unitStart.end(), unit);
    const size_t i = static_cast<size_t>(it - m_unitStart.begin()) - 1;
    size_t pos = static_cast<size_t>(m_byteStart[i]);
    for (int32_t u = m_unitStart[i]; u < unit; ++u) pos += gbk::UnitLen(text, pos);
    return static_cast<int32_t>(pos);
}

int32_t UnitIndex::UnitOfByte(std::string_view text, int32_t byte) const {
    if (byte <= 0) return 0;
    if (byte >= m_bytes) return m_units;
    EnsureStarts();
    const size_t i = ChunkOfByte(byte);
    size_t pos = static_cast<size_t>(m_byteStart[i]);
    int32_t unit = m_unitStart[i];
    for (;;) {
        size_t next = pos + gbk::UnitLen(text, pos);
        if (next > static_cast<size_t>(byte)) return unit;
        pos = next;
        ++unit;
    }
}

namespace {
bool IsBreak(std::string_view text, size_t pos) {
    return text[pos] == '\r' || text[pos] == '\n';
}
}  // namespace

int32_t UnitIndex::LineStart(std::string_view text, int32_t line) const {
    if (line <= 0) return 0;
    if (line > m_breaks) return m_bytes;
    EnsureStarts();
    // The chunk that holds break number `line` (counting from 1).
    auto it = std::upper_bound(m_breakStart.begin(), m_breakStart.end(), line - 1);
    const size_t i = static_cast<size_t>(it - m_breakStart.begin()) - 1;
    size_t pos = static_cast<size_t>(m_byteStart[i]);
    for (int32_t seen = m_breakStart[i];;) {
        const bool isBreak = IsBreak(text, pos);
        pos += gbk::UnitLen(text, pos);
        if (isBreak && ++seen == line) return static_cast<int32_t>(pos);
    }
}

int32_t UnitIndex::LineOfByte(std::string_view text, int32_t byte) const {
    if (byte <= 0) return 0;
    if (byte >= m_bytes) return m_breaks;
    EnsureStarts();
    const size_t i = ChunkOfByte(byte);
    size_t pos = static_cast<size_t>(m_byteStart[i]);
    int32_t line = m_breakStart[i];
    for (;;) {
        const bool isBreak = IsBreak(text, pos);
        pos += gbk::UnitLen(text, pos);
        if (pos > static_cast<size_t>(byte)) return line;
        if (isBreak) ++line;
    }
}

UnitChange UnitIndex::Update(std::string_view text, int32_t pos, int32_t removed,
                             int32_t inserted) {
    if (m_chunks.empty()) {
        Reset(text);
        return {0, 0, m_units, 0, m_bytes};
    }
    EnsureStarts();
    // The unit before the edit may pair with the first new byte, so the chunk that holds it
    // is scanned again too.
    size_t first = ChunkOfByte(pos);
    if (first > 0 && pos == m_byteStart[first]) --first;
    size_t last = ChunkOfByte(std::min(pos + removed, m_bytes));
    const int32_t from = m_byteStart[first];
    int32_t oldEnd = m_byteStart[last] + m_chunks[last].bytes;
    int32_t oldUnits = m_unitStart[last] + m_chunks[last].units - m_unitStart[first];
    int32_t oldBreaks = m_breakStart[last] + m_chunks[last].breaks - m_breakStart[first];
    const int32_t delta = inserted - removed;

    Scan scan;
    scan.end = from;
    ScanTo(text, oldEnd + delta, scan);
    // A unit that runs past the old chunk end joined the next chunk's first byte: take that
    // chunk in as well, until old and new boundaries meet again.
    while (scan.end != oldEnd + delta && last + 1 < m_chunks.size()) {
        ++last;
        oldEnd += m_chunks[last].bytes;
        oldUnits += m_chunks[last].units;
        oldBreaks += m_chunks[last].breaks;
        ScanTo(text, oldEnd + delta, scan);
    }

    // Units that end before the byte in front of the edit are the same in old and new text.
    size_t a = static_cast<size_t>(from);
    int32_t same = 0;
    if (pos > from) {
        for (;;) {
            size_t next = a + gbk::UnitLen(text, a);
            if (next > static_cast<size_t>(pos - 1)) break;
            a = next;
            ++same;
        }
    }
    UnitChange change;
    change.unit = m_unitStart[first] + same;
    change.oldUnits = oldUnits - same;
    change.newUnits = scan.units - same;
    change.byte = static_cast<int32_t>(a);
    change.newBytes = scan.end - change.byte;

    m_chunks.erase(m_chunks.begin() + static_cast<std::ptrdiff_t>(first),
                   m_chunks.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    m_chunks.insert(m_chunks.begin() + static_cast<std::ptrdiff_t>(first), scan.chunks.begin(),
                    scan.chunks.end());
    m_units += scan.units - oldUnits;
    m_breaks += scan.breaks - oldBreaks;
    m_bytes += delta;
    m_validStarts = std::min(m_validStarts, first);
    // The index covers the whole text, and the change lies inside it.
    assert(m_bytes == static_cast<int32_t>(text.size()));
    assert(change.byte >= 0 && change.byte + change.newBytes <= m_bytes);
    assert(change.unit >= 0 && change.unit + change.newUnits <= m_units);
    return change;
}

}  // namespace qdm
