#pragma once

namespace qdm {

class CEditBox;

// Wraps the whole text in one section and cuts it into one section per line (short lines
// stay with the next), then numbers the sections. A text that already holds a section is
// left unchanged, with the fault's 10 bytes selected.
void AutoSection(CEditBox& edit);

}  // namespace qdm
