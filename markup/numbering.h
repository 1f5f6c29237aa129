#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qdm {

class CEditBox;

// Gives every "<vsection=" the number of its place, 1, 2, 3 ...; the caret returns to its
// old byte offset.
void RenumberSections(CEditBox& edit);
// The same pass over a text, for callers without an edit box.
std::string NumberSections(std::string_view text);
// The size of NumberSections(text), counted without building it.
int64_t NumberedSize(std::string_view text);
// How many section begin tags the text holds.
int32_t CountSections(std::string_view text);

}  // namespace qdm
