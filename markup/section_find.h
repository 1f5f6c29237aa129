#pragma once
// Finding a section by its place in the book.
#include <cstdint>
#include <string_view>

namespace qdm {

// Content start (just after "<vsection=") of the n-th section begin string in text order,
// n from 1, as numbering counts them; -1 when the text has fewer.
int32_t SectionContentStart(std::string_view text, int32_t n);

}  // namespace qdm
