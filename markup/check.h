#pragma once
// The three checks of the markup engine, and the document check behind the check command.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "markup/tags.h"

namespace qdm {

class CEditBox;

// First markup fault of the whole text at the top level: its byte offset, with one message
// appended to `message`; -1 when the text is sound.
int32_t CheckMarkup(std::string_view text, std::string& message);

struct MarkupFault {
    int32_t offset;
    std::string message;  // GBK, as CheckMarkup words it
};
constexpr size_t kMaxMarkupFaults = 1000;
// The faults of a whole book, in text order: the first is CheckMarkup's. After a fault the
// check starts afresh at the first section begin string after the section whose content holds
// it (after the fault itself when no section does), so each entry is the first fault of a
// later part of the book. At most `limit` entries.
std::vector<MarkupFault> CheckMarkupAll(std::string_view text, size_t limit = kMaxMarkupFaults);

struct EnclosingTag {
    const TagKind* kind = nullptr;  // nullptr: no region encloses the position
    int32_t contentStart = -1;
    int32_t end = -1;  // offset of the region's end string
};
EnclosingTag FindEnclosingTag(std::string_view text, int32_t pos);

// Whether a new section may go around the selection [start, start + length).
int32_t CheckSectionPlacement(std::string_view text, int32_t start, int32_t length,
                              std::string& message);

// Numbers the sections, checks the text, and puts the caret on the fault.
bool CheckDocument(CEditBox& edit, std::string& message);

}  // namespace qdm
