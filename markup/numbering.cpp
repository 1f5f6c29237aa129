// Section numbering as one pass into a new buffer: the numbers before a tag change the
// offsets of everything after it, so patching the text in place would move the rest of the
// book once per section.
#include "markup/numbering.h"

#include <charconv>

#include "editor/edit_box.h"
#include "markup/scan.h"
#include "markup/tags.h"

namespace qdm {
namespace {

size_t Digits(uint64_t n) {
    size_t d = 1;
    while (n >= 10) {
        n /= 10;
        ++d;
    }
    return d;
}

// Calls f(a, g) for every section begin tag in text order: a is its "<", g the ">" of its
// number field or npos when it has none.
template <typename F>
void ForEachBeginTag(std::string_view text, F&& f) {
    for (size_t a = scan::Find(text, kSectionBegin, 0); a != scan::npos;
         a = scan::Find(text, kSectionBegin, a + kSectionBegin.size()))
        f(a, scan::NumberFieldEnd(text, a));
}

}  // namespace

std::string NumberSections(std::string_view text) {
    // The exact size first, so the new text is allocated once.
    size_t size = text.size();
    uint64_t n = 0;
    ForEachBeginTag(text, [&](size_t a, size_t g) {
        ++n;
        if (g == scan::npos)
            size += Digits(n) + 1;
        else
            size = size - (g - (a + kSectionBegin.size())) + Digits(n);
    });
    std::string out;
    out.resize(size);
    char* w = out.data();
    size_t copied = 0;  // text before this offset is already in `out`
    n = 0;
    ForEachBeginTag(text, [&](size_t a, size_t g) {
        const size_t fieldStart = a + kSectionBegin.size();
        w = std::copy(text.data() + copied, text.data() + fieldStart, w);
        w = std::to_chars(w, out.data() + out.size(), ++n).ptr;
        if (g == scan::npos) {
            *w++ = '>';
            copied = fieldStart;
        } else {
            copied = g;  // the old ">" is copied with the text after it
        }
    });
    std::copy(text.data() + copied, text.data() + text.size(), w);
    return out;
}

int32_t CountSections(std::string_view text) {
    int32_t n = 0;
    for (size_t a = scan::Find(text, kSectionBegin, 0); a != scan::npos;
         a = scan::Find(text, kSectionBegin, a + kSectionBegin.size()))
        ++n;
    return n;
}

void RenumberSections(CEditBox& edit) {
    int32_t s0 = 0, end = 0;
    edit.GetSelection(s0, end);
    edit.SetText(NumberSections(edit.Text()));
    edit.SetSelection(s0, s0);
    edit.ScrollToCaret();
}

}  // namespace qdm
