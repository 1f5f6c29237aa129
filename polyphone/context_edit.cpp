#include "polyphone/context_edit.h"

#include <algorithm>

#include "editor/edit_box.h"

namespace qdm {
namespace {

// Where byte `pos` of the text before the fix stands after it; a position inside a respelt
// character goes to its start.
int32_t Moved(const std::vector<PolyFixEdit>& edits, int32_t pos) {
    int64_t shift = 0;
    for (const PolyFixEdit& e : edits) {
        const auto at = static_cast<int64_t>(e.offset);
        if (at >= pos) break;
        if (pos < at + static_cast<int64_t>(e.before.size()))
            return static_cast<int32_t>(at + shift);
        shift += static_cast<int64_t>(e.after.size()) - static_cast<int64_t>(e.before.size());
    }
    return static_cast<int32_t>(pos + shift);
}

// Whether `fix` was made from `text`: each replaced character is still there.
bool MadeFrom(const PolySmartResult& fix, std::string_view text) {
    for (const PolyFixEdit& e : fix.edits)
        if (text.compare(std::min(e.offset, text.size()), e.before.size(), e.before) != 0)
            return false;
    return true;
}

}  // namespace

int64_t ApplySmartFix(CEditBox& edit, const PolySmartResult& fix) {
    if (fix.edits.empty() || !MadeFrom(fix, edit.Text())) return 0;
    const size_t first = fix.edits.front().offset;
    const size_t end = fix.edits.back().offset + fix.edits.back().before.size();
    const size_t tail = edit.Text().size() - end;
    if (fix.text.size() < first + tail) return 0;
    int32_t start = 0, stop = 0;
    edit.GetSelection(start, stop);
    start = Moved(fix.edits, start);
    stop = Moved(fix.edits, stop);
    edit.ReplaceRange(static_cast<int32_t>(first), static_cast<int32_t>(end - first),
                      fix.text.substr(first, fix.text.size() - tail - first));
    edit.SetSelection(start, stop);
    return fix.fixed;
}

}  // namespace qdm
