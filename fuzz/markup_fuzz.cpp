// Fuzz target for the markup engine. The input's first five bytes choose a selection and a
// tag kind; the rest, up to a NUL, is the text. Every pass is compared with a plain
// transcription of its rules (slow, recursive, in place) and checked for its invariants.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "markup/auto_section.h"
#include "markup/check.h"
#include "markup/insert.h"
#include "markup/numbering.h"
#include "markup/tags.h"

namespace {

using qdm::TagKind;
namespace gbk = qdm::gbk;
constexpr size_t npos = std::string::npos;

void Require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// ---- plain transcriptions ----------------------------------------------------------------

int32_t RefCheck(std::string_view text, const TagKind* outer, size_t s, size_t t,
                 std::string& message) {
    const TagKind* kind = nullptr;
    size_t b = npos;
    for (const TagKind& k : qdm::ScannedKinds()) {
        const size_t at = text.find(k.begin, s);
        if (at != npos && at + k.begin.size() <= t && (b == npos || at < b)) b = at, kind = &k;
    }
    if (!kind) return -1;
    const size_t d = text.find(kind->end, b);
    if (d == npos || d + kind->end.size() > t) {
        message += gbk::Format(gbk::Lit("%s 没有结束标志"), kind->name);
        return static_cast<int32_t>(b);
    }
    if (!qdm::CanNest(outer, *kind)) {
        message += gbk::Format(gbk::Lit("%s 中不能嵌套 %s"), outer->name, kind->name);
        return static_cast<int32_t>(b);
    }
    const int32_t inner = RefCheck(text, kind, b + kind->begin.size(), d, message);
    if (inner >= 0) return inner;
    return RefCheck(text, outer, d + kind->end.size(), t, message);
}

qdm::EnclosingTag RefEnclosing(std::string_view text, size_t pos) {
    for (size_t from = pos;;) {
        const TagKind* kind = nullptr;
        size_t ce = npos;
        for (const TagKind& k : qdm::ScannedKinds()) {
            const size_t at = text.find(k.end, from);
            if (at != npos && (ce == npos || at < ce)) ce = at, kind = &k;
        }
        if (!kind) return {};
        size_t last = npos;
        for (size_t b = text.find(kind->begin); b != npos && b < ce;
             b = text.find(kind->begin, b + kind->begin.size()))
            last = b;
        if (last == npos) return {};
        const size_t cs = last + kind->begin.size();
        if (cs <= pos) return {kind, static_cast<int32_t>(cs), static_cast<int32_t>(ce)};
        from = ce + kind->end.size();
    }
}

std::string RefNumber(std::string t) {
    int n = 1;
    for (size_t a = t.find("<vsection="); a != npos; a = t.find("<vsection=", a + 10), ++n) {
        const size_t g = t.find('>', a);
        bool numbered = g != npos && g - a < 20;
        for (size_t i = a + 10; numbered && i < g; ++i)
            numbered = t[i] != '\r' && t[i] != '\n' && t[i] != '<';
        if (numbered)
            t.replace(a + 10, g - (a + 10), std::to_string(n));
        else
            t.insert(a + 10, std::to_string(n) + ">");
    }
    return t;
}

std::string RefAuto(std::string_view x) {
    std::string t = "\r\n<vsection=\r\n" + std::string(x) + "\r\n</vsection> \r\n";
    for (size_t p = t.find('\n', 20); p != npos && p + 24 <= t.size(); p = t.find('\n', p + 40))
        t.insert(p + 1, "\r\n</vsection>\r\n\r\n<vsection=\r\n");
    return RefNumber(t);
}

// ---- the engine against them -----------------------------------------------------------

void CheckChecks(std::string_view text, size_t pos) {
    std::string message, refMessage;
    const int32_t fault = qdm::CheckMarkup(text, message);
    Require(fault == RefCheck(text, nullptr, 0, text.size(), refMessage), "check fault");
    Require(message == refMessage, "check message");
    Require(fault < static_cast<int32_t>(text.size()) && (fault < 0) == message.empty(),
            "check position");
    const std::vector<qdm::MarkupFault> all = qdm::CheckMarkupAll(text);
    Require(all.empty() == (fault < 0), "every fault: none exactly when the check finds none");
    if (!all.empty())
        Require(all[0].offset == fault && all[0].message == message, "every fault: the first");
    for (size_t i = 1; i < all.size(); ++i)
        Require(all[i - 1].offset < all[i].offset, "every fault: in text order");

    const qdm::EnclosingTag got = qdm::FindEnclosingTag(text, static_cast<int32_t>(pos));
    const qdm::EnclosingTag ref = RefEnclosing(text, pos);
    Require(got.kind == ref.kind && got.contentStart == ref.contentStart && got.end == ref.end,
            "enclosing tag");
    if (got.kind)
        Require(got.contentStart <= static_cast<int32_t>(pos) &&
                    static_cast<int32_t>(pos) <= got.end &&
                    text.substr(got.end).starts_with(got.kind->end),
                "enclosing bounds");
}

void CheckNumbering(const std::string& text) {
    const std::string once = qdm::NumberSections(text);
    Require(once == RefNumber(text), "numbering");
    Require(qdm::NumberSections(once) == once, "numbering twice");
    qdm::CEditBox edit;
    edit.SetText(once);  // in place: every number field already fits
    qdm::RenumberSections(edit);
    Require(edit.Text() == once, "numbering in place");
}

void CheckInsertion(const std::string& text, int32_t start, int32_t end, int32_t kind) {
    qdm::CEditBox edit;
    edit.SetText(text);
    edit.SetSelection(start, end);
    int32_t a = 0, b = 0;
    edit.GetSelection(a, b);
    std::string message;
    const bool ok = kind == 0 ? qdm::InsertSection(edit, message)
                              : qdm::InsertTag(static_cast<qdm::TagNumber>(kind), edit, message);
    const std::string_view now = edit.Text();
    int32_t s = 0, e = 0;
    edit.GetSelection(s, e);
    Require(0 <= s && s <= e && e <= edit.Length(), "selection inside the text");
    if (!ok) {
        Require(now == text && !message.empty(), "refusal changes nothing");
        return;
    }
    Require(now.substr(0, a) == std::string_view(text).substr(0, a) &&
                now.ends_with(std::string_view(text).substr(b)),
            "bytes outside the selection unchanged");
    Require(now.find(std::string_view(text).substr(a, b - a), a) != npos, "selection kept");
}

void CheckAutoSection(const std::string& text) {
    const bool sectionable = text.find("<vsection=") == npos;
    for (bool roomy : {false, true}) {
        std::string copy = text;
        if (roomy) copy.reserve(copy.size() * 4 + 64);
        qdm::CEditBox edit;
        edit.SetText(std::move(copy));
        qdm::AutoSection(edit);
        Require(edit.Text() == (sectionable ? RefAuto(text) : text), "auto-sectioning");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t head[5] = {};
    for (size_t i = 0; i < 5 && i < size; ++i) head[i] = data[i];
    std::string text(reinterpret_cast<const char*>(data) + std::min<size_t>(size, 5),
                     size - std::min<size_t>(size, 5));
    text = text.substr(0, text.find('\0'));
    const size_t len = text.size();
    const int32_t start = static_cast<int32_t>((head[0] | head[1] << 8) % (len + 2)) - 1;
    const int32_t end = static_cast<int32_t>((head[2] | head[3] << 8) % (len + 2)) - 1;
    const int32_t kind = head[4] % 8;  // 0: InsertSection; 7 is unknown

    CheckChecks(text, start < 0 ? 0 : static_cast<size_t>(start));
    CheckNumbering(text);
    CheckInsertion(text, start, end, kind);
    CheckAutoSection(text);
    return 0;
}
