#include "editor/edit_box.h"
#include "markup/check.h"
#include "markup/numbering.h"

namespace qdm {

bool CheckDocument(CEditBox& edit, std::string& message) {
    RenumberSections(edit);
    const int32_t p = CheckMarkup(edit.Text(), message);
    if (p < 0) return true;
    edit.SetSelection(p, p);
    edit.ScrollToCaret();
    return false;
}

}  // namespace qdm
