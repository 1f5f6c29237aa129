#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qdm {

class CEditBox;

// Wraps the whole text in one section and cuts it into one section per line (short lines
// stay with the next), then numbers the sections. A text that already holds a section is
// left unchanged, with the fault's 10 bytes selected.
void AutoSection(CEditBox& edit);
// The same, for callers that report why a text was left unchanged: Refused with the message
// of the refused section insertion, TooLarge with "结果超过 2 GiB" (GBK).
enum class AutoSectionOutcome { Done, Refused, TooLarge };
AutoSectionOutcome AutoSection(CEditBox& edit, std::string& message);

// LoadText(source, path) then AutoSection, building the sectioned text straight from
// `source` (a mapped file's bytes) instead of from a copy of it. Refused and TooLarge leave
// `source` loaded, as AutoSection leaves it; the model ends in the same state either way.
AutoSectionOutcome LoadAutoSectioned(CEditBox& edit, std::string_view source,
                                     const std::string& path, std::string& message);

// The size of AutoSectionText(text), counted without building it (a text whose result would
// reach 2 GiB is refused: positions are 32-bit).
int64_t AutoSectionSize(std::string_view text);

// The sectioned and numbered form of a text that holds no section begin tag.
std::string AutoSectionText(std::string_view text);

}  // namespace qdm
