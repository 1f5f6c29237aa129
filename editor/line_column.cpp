#include "editor/line_column.h"

#include <algorithm>

#include "editor/gbk.h"

namespace qdm {

LineColumn Locate(std::string_view text, size_t offset) {
    offset = std::min(offset, text.size());
    const std::string_view before = text.substr(0, offset);
    const int64_t line = 1 + std::count(before.begin(), before.end(), '\n');
    const size_t lf = before.rfind('\n');
    // A line feed never belongs to a double-byte character, so a line starts on a boundary.
    size_t i = lf == std::string_view::npos ? 0 : lf + 1;
    int64_t column = 1;
    while (i < offset) {
        i += gbk::CharLen(text, i);
        ++column;
    }
    return {line, column};
}

}  // namespace qdm
