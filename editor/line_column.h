#pragma once
// Where a byte offset lies for a reader: the line and the column, both counted from 1.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qdm {

struct LineColumn {
    int64_t line, column;
};

// LINE = 1 + line feeds before the offset; COLUMN = 1 + GBK characters from the line start.
LineColumn Locate(std::string_view text, size_t offset);

}  // namespace qdm
