#pragma once
// A fix by context put into the editor's text as one edit: one Undo takes all of it back.
#include <cstdint>

#include "polyphone/context_model.h"

namespace qdm {

class CEditBox;

// Replaces the bytes from the first of `fix.edits` to the end of the last by what `fix.text`
// holds there, as one recorded step; `fix` must have been made from the model's text as it
// is. The selection keeps its place in the text around it. Returns the characters respelt.
int64_t ApplySmartFix(CEditBox& edit, const PolySmartResult& fix);

}  // namespace qdm
