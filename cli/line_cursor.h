#pragma once
// Line and column of many offsets in ascending order, in one pass over the text: a book with
// a thousand faults or a hundred thousand matches is not walked from its start each time.
#include <array>
#include <cstddef>
#include <string_view>

#include "cli/target.h"

namespace qdm::cli {

class LineCursor {
  public:
    static constexpr size_t kBack = 31;

    explicit LineCursor(std::string_view text) : m_text(text) {}
    // As Locate(text, offset); an offset below the previous one starts the walk afresh.
    LineColumn At(size_t offset);
    // The character start n (at most kBack) characters before the offset last asked for,
    // or the start of its line when that comes first.
    size_t Back(size_t n) const;

  private:
    void Step(size_t next);

    std::string_view m_text;
    size_t m_counted = 0;    // line feeds before this offset are counted
    size_t m_lineStart = 0;  // start of the line holding m_counted
    int64_t m_line = 1;
    size_t m_walk = 0;     // a character boundary on that line (or before it) ...
    int64_t m_column = 1;  // ... and its column
    std::array<size_t, kBack + 1> m_recent{};  // the last boundaries walked, m_walk newest
    size_t m_recentCount = 1;
};

}  // namespace qdm::cli
