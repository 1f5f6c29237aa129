#pragma once
// Where the caret goes when a polyphone run has replaced the whole text: on the same line,
// at the same byte column where that line is still long enough (else at its end), on a
// character boundary. Dictionary words and replacements never hold a line feed, so a run
// keeps every line where it was and the reader stays at the passage being read.
#include <cstdint>
#include <string_view>

namespace qdm {

int32_t CaretAfterReplacement(std::string_view oldText, int32_t oldCaret, std::string_view newText);

}  // namespace qdm
