#include "cli/line_cursor.h"

#include <algorithm>
#include <cstring>

#include "editor/gbk.h"

namespace qdm::cli {

void LineCursor::Step(size_t next) {
    m_walk = next;
    m_recent[m_column % m_recent.size()] = m_walk;
    m_recentCount = std::min(m_recentCount + 1, m_recent.size());
}

LineColumn LineCursor::At(size_t offset) {
    offset = std::min(offset, m_text.size());
    if (offset < m_counted) *this = LineCursor(m_text);
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
        m_column = 1;
        m_recentCount = 0;
        Step(m_lineStart);
    }
    while (m_walk < offset) {
        ++m_column;
        Step(m_walk + gbk::CharLen(m_text, m_walk));
    }
    return {m_line, m_column};
}

size_t LineCursor::Back(size_t n) const {
    if (n >= m_recentCount) return m_lineStart;
    return m_recent[(m_column - n) % m_recent.size()];
}

}  // namespace qdm::cli
