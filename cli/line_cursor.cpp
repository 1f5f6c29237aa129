#include "cli/line_cursor.h"

#include <algorithm>
#include <cstring>

#include "editor/gbk.h"

namespace qdm::cli {

LineColumn LineCursor::At(size_t offset) {
    offset = std::min(offset, m_text.size());
    if (offset < m_counted) return Locate(m_text, offset);
    const char* data = m_text.data();
    for (size_t p = m_counted; p < offset;) {
        const void* hit = std::memchr(data + p, '\n', offset - p);
        if (!hit) break;
        p = static_cast<const char*>(hit) - data + 1;
        ++m_line;
        m_lineStart = p;
    }
    m_counted = offset;
    // A line feed never belongs to a double-byte character, so a line starts on a boundary.
    if (m_walk < m_lineStart) {
        m_walk = m_lineStart;
        m_column = 1;
    }
    while (m_walk < offset) {
        m_walk += gbk::CharLen(m_text, m_walk);
        ++m_column;
    }
    return {m_line, m_column};
}

}  // namespace qdm::cli
