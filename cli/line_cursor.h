#pragma once
// Line and column of many offsets in ascending order, in one pass over the text: a book with
// a thousand faults or a hundred thousand matches is not walked from its start each time.
#include <cstddef>
#include <string_view>

#include "cli/target.h"

namespace qdm::cli {

class LineCursor {
  public:
    explicit LineCursor(std::string_view text) : m_text(text) {}
    // As Locate(text, offset); an offset below the previous one costs a walk from the start.
    LineColumn At(size_t offset);

  private:
    std::string_view m_text;
    size_t m_counted = 0;    // line feeds before this offset are counted
    size_t m_lineStart = 0;  // start of the line holding m_counted
    int64_t m_line = 1;
    size_t m_walk = 0;     // a character boundary on that line (or before it) ...
    int64_t m_column = 1;  // ... and its column
};

}  // namespace qdm::cli
