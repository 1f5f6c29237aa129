// Section numbering. Where every number field already has the length of its new number (a
// checked book, numbered before) the digits are written in place; otherwise the text is built
// anew in one pass, since patching it would move the rest of the book once per section.
#include "markup/numbering.h"

#include <charconv>

#include "editor/edit_box.h"
#include "editor/text_buffer.h"
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

size_t NextBeginTag(std::string_view text, size_t from) {
    return scan::Find(text, kSectionBegin, from);
}

// Calls f(a, g) for every section begin tag from `first` on: a is its "<", g the ">" of its
// number field or npos when it has none.
template <typename F>
void ForEachBeginTag(std::string_view text, size_t first, F&& f) {
    for (size_t a = first; a != scan::npos; a = NextBeginTag(text, a + kSectionBegin.size()))
        f(a, scan::NumberFieldEnd(text, a));
}

// The text with its begin tags from `first` on numbered n, n + 1, ...; the bytes before
// `first` are copied as they are.
size_t RenumberedSize(std::string_view text, size_t first, uint64_t n) {
    size_t size = text.size();
    ForEachBeginTag(text, first, [&](size_t a, size_t g) {
        const size_t field = g == scan::npos ? 0 : g - (a + kSectionBegin.size());
        size = size - field + Digits(n++) + (g == scan::npos ? 1 : 0);
    });
    return size;
}

std::string Renumbered(std::string_view text, size_t first, uint64_t n) {
    std::string out = NewTextBuffer(RenumberedSize(text, first, n));
    size_t copied = 0;  // text before this offset is already in `out`
    ForEachBeginTag(text, first, [&](size_t a, size_t g) {
        const size_t fieldStart = a + kSectionBegin.size();
        out.append(text.substr(copied, fieldStart - copied));
        char digits[24];
        out.append(digits, std::to_chars(digits, digits + sizeof digits, n++).ptr);
        if (g == scan::npos) {
            out += '>';
            copied = fieldStart;
        } else {
            copied = g;  // the old ">" comes with the text after it
        }
    });
    out.append(text.substr(copied));
    return out;
}

// True when a number changed: a book numbered before leaves its text as it was, unmodified.
bool NumberInPlace(std::string& text) {
    uint64_t n = 1;
    bool changed = false;
    for (size_t a = NextBeginTag(text, 0); a != scan::npos;
         a = NextBeginTag(text, a + kSectionBegin.size()), ++n) {
        const size_t fieldStart = a + kSectionBegin.size();
        const size_t g = scan::NumberFieldEnd(text, a);
        if (g == scan::npos || g - fieldStart != Digits(n)) {
            text = Renumbered(text, a, n);
            return true;
        }
        char digits[24];
        const size_t len =
            static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, n).ptr - digits);
        if (text.compare(fieldStart, len, digits, len) != 0) {
            text.replace(fieldStart, len, digits, len);
            changed = true;
        }
    }
    return changed;
}

}  // namespace

std::string NumberSections(std::string_view text) {
    const size_t first = NextBeginTag(text, 0);
    return first == scan::npos ? std::string(text) : Renumbered(text, first, 1);
}

int64_t NumberedSize(std::string_view text) {
    const size_t first = NextBeginTag(text, 0);
    return static_cast<int64_t>(first == scan::npos ? text.size() : RenumberedSize(text, first, 1));
}

int32_t CountSections(std::string_view text) {
    int32_t n = 0;
    for (size_t a = NextBeginTag(text, 0); a != scan::npos;
         a = NextBeginTag(text, a + kSectionBegin.size()))
        ++n;
    return n;
}

void RenumberSections(CEditBox& edit) {
    int32_t s0 = 0, end = 0;
    edit.GetSelection(s0, end);
    edit.RewriteText(NumberInPlace);
    edit.SetSelection(s0, s0);
    edit.ScrollToCaret();
}

}  // namespace qdm
