// Automatic sectioning, built as one new text: the wrapping section, a boundary after every
// qualifying line feed and the section numbers are written in a single pass instead of
// inserting boundaries one at a time into a growing text.
#include "markup/auto_section.h"

#include <charconv>
#include <cstring>
#include <vector>

#include "editor/edit_box.h"
#include "editor/undo_history.h"
#include "markup/check.h"
#include "markup/insert.h"
#include "markup/numbering.h"

namespace qdm {
namespace {

constexpr std::string_view kOpen = "\r\n<vsection=";  // then the number, ">", CR LF
constexpr std::string_view kClose = "\r\n</vsection> \r\n";
constexpr std::string_view kBoundaryClose = "\r\n</vsection>\r\n";  // then CR LF and kOpen

// Offsets of the line feeds of x that end a section: at offset 6 or later, none in the last 7
// bytes, and each at least 11 bytes after the previous one.
std::vector<uint32_t> BoundaryLineFeeds(std::string_view x) {
    std::vector<uint32_t> cuts;
    if (x.size() < 14) return cuts;
    const size_t last = x.size() - 8;
    size_t k = 6;
    while (k <= last) {
        const void* hit = std::memchr(x.data() + k, '\n', last + 1 - k);
        if (!hit) break;
        k = static_cast<const char*>(hit) - x.data();
        cuts.push_back(static_cast<uint32_t>(k));
        k += 11;
    }
    return cuts;
}

size_t NumberedSize(uint64_t sections) {
    size_t size = 0;
    for (uint64_t low = 1, width = 1; low <= sections; low *= 10, ++width)
        size += (std::min(sections, low * 10 - 1) - low + 1) * width;
    return size + sections;  // each number is followed by ">"
}

}  // namespace

std::string AutoSectionText(std::string_view x) {
    const std::vector<uint32_t> cuts = BoundaryLineFeeds(x);
    const uint64_t sections = cuts.size() + 1;
    std::string out;
    out.resize(x.size() + kClose.size() + sections * (kOpen.size() + 2) +
               cuts.size() * kBoundaryClose.size() + NumberedSize(sections));
    char* w = out.data();
    char* const end = out.data() + out.size();
    auto put = [&w](std::string_view s) { w = std::copy(s.begin(), s.end(), w); };
    uint64_t n = 0;
    auto open = [&] {
        put(kOpen);
        w = std::to_chars(w, end, ++n).ptr;
        put(">\r\n");
    };
    open();
    size_t from = 0;
    for (uint32_t k : cuts) {
        put(x.substr(from, k + 1 - from));
        put(kBoundaryClose);
        open();
        from = k + 1;
    }
    put(x.substr(from));
    put(kClose);
    return out;
}

bool AutoSection(CEditBox& edit, std::string& message) {
    edit.SetSelection(0, -1);
    edit.ScrollToCaret();
    const std::string_view x = edit.Text();
    const int32_t p = CheckSectionPlacement(x, 0, static_cast<int32_t>(x.size()), message);
    if (p >= 0) {
        edit.SetSelection(p, p + 10);
        edit.ScrollToCaret();
        return false;
    }
    // What wrapping the whole text in one section leaves behind: its two records and the
    // text on the clipboard. The boundaries and numbers that follow are not recorded.
    std::string wrapped;
    wrapped.reserve(x.size() + 30);
    wrapped.append("\r\n<vsection=\r\n").append(x).append(kClose);
    edit.RecordEdit(kDeleteSelection, 0, std::string(x), {});
    edit.RecordEdit(kReplaceSelection, 0, {}, std::move(wrapped));
    if (!x.empty()) edit.Clipboard().SetText(x);
    edit.SetText(AutoSectionText(x));
    edit.SetSelection(0, 0);
    edit.ScrollToCaret();
    return true;
}

void AutoSection(CEditBox& edit) {
    std::string message;
    AutoSection(edit, message);
}

}  // namespace qdm
