#include "polyphone/poly_caret.h"

#include <algorithm>
#include <cstring>

#include "editor/gbk.h"

namespace qdm {

int32_t CaretAfterReplacement(std::string_view oldText, int32_t oldCaret,
                              std::string_view newText) {
    const size_t caret = std::min(oldText.size(), static_cast<size_t>(std::max(oldCaret, 0)));
    size_t line = 0, column = caret;
    for (size_t i = 0; i < caret; ++i) {
        if (oldText[i] == '\n') {
            ++line;
            column = caret - i - 1;
        }
    }
    size_t start = 0;
    for (; line > 0; --line) {
        const void* lf = std::memchr(newText.data() + start, '\n', newText.size() - start);
        if (!lf) break;  // fewer lines than before: the end of the last one
        start = static_cast<size_t>(static_cast<const char*>(lf) - newText.data()) + 1;
    }
    size_t end = newText.find('\n', start);
    if (end == std::string_view::npos) end = newText.size();
    if (end > start && newText[end - 1] == '\r' && end < newText.size()) --end;
    if (line > 0) column = end - start;
    const size_t target = start + std::min(column, end - start);
    size_t pos = start;  // a line starts on a character boundary
    while (pos < target) pos += gbk::CharLen(newText, pos);
    return static_cast<int32_t>(std::min(pos, end));
}

}  // namespace qdm
