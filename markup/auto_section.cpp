// Automatic sectioning as one linear pass: the wrapping section, a boundary after every
// qualifying line feed and the section numbers are written together, instead of inserting
// boundaries one at a time into a growing text. When the text's buffer has room, the result
// is spread out in place from the back, so a book is never held twice.
#include "markup/auto_section.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <vector>

#include "editor/edit_box.h"
#include "editor/file_io.h"
#include "editor/gbk.h"
#include "editor/text_buffer.h"
#include "editor/undo_history.h"
#include "markup/check.h"

namespace qdm {
namespace {

constexpr std::string_view kOpen = "\r\n<vsection=";  // then the number, ">", CR LF
constexpr std::string_view kClose = "\r\n</vsection> \r\n";
constexpr std::string_view kBoundaryClose = "\r\n</vsection>\r\n";  // then CR LF and kOpen

// Calls f(k) for the line feeds of x that end a section: at offset 6 or later, none in the
// last 7 bytes, and each at least 11 bytes after the previous one.
template <typename F>
void ForEachBoundaryLineFeed(std::string_view x, F&& f) {
    if (x.size() < 14) return;
    const size_t last = x.size() - 8;
    size_t k = 6;
    while (k <= last) {
        const void* hit = std::memchr(x.data() + k, '\n', last + 1 - k);
        if (!hit) break;
        k = static_cast<const char*>(hit) - x.data();
        f(k);
        k += 11;
    }
}

std::vector<uint32_t> BoundaryLineFeeds(std::string_view x) {
    std::vector<uint32_t> cuts;
    // Cuts are at least 11 bytes apart: room for all of them up front, so the list is never
    // moved (untouched room costs address space only).
    cuts.reserve(x.size() / 11 + 1);
    ForEachBoundaryLineFeed(x, [&](size_t k) { cuts.push_back(static_cast<uint32_t>(k)); });
    return cuts;
}

size_t SectionedSize(size_t textSize, size_t cuts) {
    const size_t sections = cuts + 1;
    size_t digits = 0;
    for (uint64_t low = 1, width = 1; low <= sections; low *= 10, ++width)
        digits += (std::min<uint64_t>(sections, low * 10 - 1) - low + 1) * width;
    return textSize + kClose.size() + cuts * kBoundaryClose.size() + sections * (kOpen.size() + 3) +
           digits;  // 3: ">" and CR LF
}

// The sectioned text: section n holds the bytes of x from just after cut n - 1 (or 0) up to
// and including cut n (or to the end).
struct Layout {
    std::string_view x;
    std::vector<uint32_t> cuts;

    size_t Sections() const { return cuts.size() + 1; }
    size_t PieceStart(size_t i) const { return i == 0 ? 0 : cuts[i - 1] + 1; }
    size_t PieceEnd(size_t i) const { return i < cuts.size() ? cuts[i] + 1 : x.size(); }
    size_t Size() const { return SectionedSize(x.size(), cuts.size()); }
};

// CR LF, "<vsection=", n, ">", CR LF; returns its length.
size_t OpenTag(char (&tag)[48], uint64_t n) {
    char* end = std::copy(kOpen.begin(), kOpen.end(), tag);
    end = std::to_chars(end, tag + sizeof tag, n).ptr;
    end = std::copy_n(">\r\n", 3, end);
    return static_cast<size_t>(end - tag);
}

std::string Build(const Layout& layout) {
    std::string out = NewTextBuffer(layout.Size());
    char tag[48];
    for (size_t i = 0; i < layout.Sections(); ++i) {
        if (i > 0) out.append(kBoundaryClose);
        out.append(tag, OpenTag(tag, i + 1));
        out.append(
            layout.x.substr(layout.PieceStart(i), layout.PieceEnd(i) - layout.PieceStart(i)));
    }
    out.append(kClose);
    return out;  // not the reference append returns: that would copy the whole book
}

// Every piece moves towards the end, so working from the back never overwrites bytes that
// are still to be moved.
void SpreadInPlace(std::string& text, const Layout& layout, size_t size) {
    const size_t oldSize = text.size();
    text.resize(size);
    char* base = text.data();
    size_t w = size;
    auto put = [&](const char* from, size_t len) {
        w -= len;
        std::memmove(base + w, from, len);
    };
    put(kClose.data(), kClose.size());
    char tag[48];
    for (size_t i = layout.Sections(); i-- > 0;) {
        const size_t start = layout.PieceStart(i);
        put(base + start, (i + 1 < layout.Sections() ? layout.PieceEnd(i) : oldSize) - start);
        put(tag, OpenTag(tag, i + 1));
        if (i > 0) put(kBoundaryClose.data(), kBoundaryClose.size());
    }
}

void SectionText(std::string& text, const Layout& layout) {
    const size_t size = layout.Size();
    if (text.capacity() >= size)
        SpreadInPlace(text, layout, size);
    else
        text = Build(layout);
}

// What a text holding a section begin tag cannot be sectioned for; -1 when it can be.
int32_t RefusedAt(CEditBox& edit, std::string_view x, std::string& message) {
    const int32_t p = CheckSectionPlacement(x, 0, static_cast<int32_t>(x.size()), message);
    if (p >= 0) {
        edit.SetSelection(p, p + 10);
        edit.ScrollToCaret();
    }
    return p;
}

}  // namespace

int64_t AutoSectionSize(std::string_view text) {
    size_t cuts = 0;
    ForEachBoundaryLineFeed(text, [&](size_t) { ++cuts; });
    return static_cast<int64_t>(SectionedSize(text.size(), cuts));
}

std::string AutoSectionText(std::string_view text) {
    return Build(Layout{text, BoundaryLineFeeds(text)});
}

AutoSectionOutcome AutoSection(CEditBox& edit, std::string& message) {
    edit.SetSelection(0, -1);
    edit.ScrollToCaret();
    const std::string_view x = edit.Text();
    if (RefusedAt(edit, x, message) >= 0) return AutoSectionOutcome::Refused;
    std::vector<uint32_t> cuts = BoundaryLineFeeds(x);
    if (static_cast<int64_t>(SectionedSize(x.size(), cuts.size())) >= MaxFileSize()) {
        message = gbk::Lit("结果超过 2 GiB");
        return AutoSectionOutcome::TooLarge;
    }
    // What wrapping the whole text in one section leaves behind: its two records and the
    // text on the clipboard. The boundaries and numbers that follow are not recorded, so the
    // rewrite frees the records' bytes at once: they are not copied in the first place (two
    // copies of a book, most of the command's time).
    if (edit.HistoryEnabled()) {
        edit.RecordEdit(kDeleteSelection, 0, {}, {});
        edit.RecordEdit(kReplaceSelection, 0, {}, {});
    }
    if (!x.empty()) edit.Clipboard().SetText(x);
    // The cuts found above, on the text as the rewrite hands it over (a short text is not in
    // the buffer it was in).
    edit.RewriteText([&cuts](std::string& text) {
        SectionText(text, Layout{text, std::move(cuts)});
    });
    edit.SetSelection(0, 0);
    edit.ScrollToCaret();
    return AutoSectionOutcome::Done;
}

AutoSectionOutcome LoadAutoSectioned(CEditBox& edit, std::string_view source,
                                     const std::string& path, std::string& message) {
    // A text that is refused, or could be undone, goes the ordinary way.
    std::optional<Layout> layout;
    std::string refusal;  // AutoSection gives the message itself
    if (!edit.HistoryEnabled() &&
        CheckSectionPlacement(source, 0, static_cast<int32_t>(source.size()), refusal) < 0) {
        layout.emplace(Layout{source, BoundaryLineFeeds(source)});
        if (static_cast<int64_t>(layout->Size()) >= MaxFileSize()) layout.reset();
    }
    if (!layout) {
        std::string text = NewTextBuffer(source.size());
        text.append(source);
        edit.LoadText(std::move(text), path);
        return AutoSection(edit, message);
    }
    // Loaded and rewritten as AutoSection rewrites a loaded text, only without the copy.
    edit.LoadText(std::string(), path);
    if (!source.empty()) edit.Clipboard().SetText(source);
    edit.RewriteText([&layout](std::string& text) { text = Build(*layout); });
    edit.SetSelection(0, 0);
    edit.ScrollToCaret();
    return AutoSectionOutcome::Done;
}

void AutoSection(CEditBox& edit) {
    std::string message;
    AutoSection(edit, message);
}

}  // namespace qdm
