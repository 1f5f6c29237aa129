#include "editor/replace.h"

#include <limits>
#include <string>

#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "editor/text_buffer.h"

namespace qdm {

ReplaceAllResult ReplaceAll(CEditBox& edit, const CTextFinder& finder, std::string_view replacement,
                            int32_t lo, int32_t hi) {
    const std::string_view text = edit.Text();
    const size_t end = hi < 0 || hi > edit.Length() ? text.size() : static_cast<size_t>(hi);
    size_t from = gbk::BoundaryAtOrAfter(text, static_cast<size_t>(std::max(lo, 0)));
    ReplaceAllResult result;
    const size_t first = finder.Next(text, from, end);
    if (first == CTextFinder::npos) return result;

    // The new bytes from the first match to the end of the last one, in one pass.
    constexpr size_t kMax = std::numeric_limits<int32_t>::max();
    // Kept by the edit history afterwards: in huge pages when big, like the text itself.
    std::string piece =
        NewTextBuffer(end - first + (replacement.size() > finder.Length() ? end / 8 : 0));
    size_t copied = first;
    for (size_t c = first; c != CTextFinder::npos; c = finder.Next(text, copied, end)) {
        piece.append(text, copied, c - copied).append(replacement);
        copied = c + finder.Length();
        ++result.count;
        if (text.size() - (copied - first) + piece.size() > kMax) return {0, -1, -1, true};
    }
    const int32_t pos = static_cast<int32_t>(first);
    result.first = pos;
    result.end = pos + static_cast<int32_t>(piece.size());
    edit.ReplaceRange(pos, static_cast<int32_t>(copied - first), std::move(piece));
    edit.SetSelection(pos, pos);
    return result;
}

bool ReplaceSelectedMatch(CEditBox& edit, const CTextFinder& finder, std::string_view replacement) {
    int32_t start = 0, stop = 0;
    edit.GetSelection(start, stop);
    const std::string_view text = edit.Text();
    if (static_cast<size_t>(stop - start) != finder.Length() || !gbk::IsBoundary(text, start) ||
        !finder.MatchesAt(text, start))
        return false;
    edit.ReplaceSelection(replacement);
    return true;
}

}  // namespace qdm
