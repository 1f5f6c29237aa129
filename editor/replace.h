#pragma once
// Replacing what a CTextFinder finds, on the text model.
#include <cstdint>
#include <string_view>

#include "editor/find.h"

namespace qdm {

class CEditBox;

struct ReplaceAllResult {
    int32_t count = 0;  // matches replaced
    // The replaced part of the text: the first match's start and the end of the last
    // replacement, in the new text; -1 when nothing was replaced.
    int32_t first = -1, end = -1;
    bool tooLong = false;  // refused: the text would outgrow a 32-bit length
};

// Every match in [lo, hi) (hi = -1: the end), left to right and not overlapping, built into
// one new piece of text and recorded as one step: one Undo restores the text. The caret goes
// to `first`.
ReplaceAllResult ReplaceAll(CEditBox& edit, const CTextFinder& finder, std::string_view replacement,
                            int32_t lo = 0, int32_t hi = -1);

// Replaces the selection when it is exactly a match; the caret goes after the replacement.
bool ReplaceSelectedMatch(CEditBox& edit, const CTextFinder& finder, std::string_view replacement);

}  // namespace qdm
