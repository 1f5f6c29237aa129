// Wrapping the selection in tags. A refused insertion changes neither the text, nor the edit
// history, nor the clipboard.
#include "markup/insert.h"

#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "editor/undo_history.h"
#include "markup/check.h"
#include "markup/scan.h"
#include "markup/tags.h"

namespace qdm {
namespace {

struct Selection {
    int32_t start, length;
};

Selection ReadSelection(const CEditBox& edit) {
    int32_t start = 0, end = 0;
    edit.GetSelection(start, end);
    return {start, end - start};
}

// The tag token that the selection's start (else its end) falls strictly inside: writing
// there would break an existing tag string.
size_t SplitToken(std::string_view text, Selection sel) {
    const size_t t = scan::TokenAround(text, static_cast<size_t>(sel.start));
    if (t != scan::npos) return t;
    return scan::TokenAround(text, static_cast<size_t>(sel.start) + sel.length);
}

// Records the removal of the selection, cuts it and puts `built` at the caret: the two
// records and the clipboard contents of every insertion.
void Wrap(CEditBox& edit, Selection sel, std::string_view before, std::string_view after) {
    std::string selected(edit.Text().substr(sel.start, sel.length));
    std::string built;
    built.reserve(before.size() + selected.size() + after.size());
    built.append(before).append(selected).append(after);
    edit.RecordEdit(kDeleteSelection, sel.start, std::move(selected), {});
    edit.CutSelection();
    edit.ReplaceSelection(built);
}

}  // namespace

bool InsertSection(CEditBox& edit, std::string& message) {
    message.clear();
    const Selection sel = ReadSelection(edit);
    const std::string_view text = edit.Text();
    int32_t p = CheckSectionPlacement(text, sel.start, sel.length, message);
    if (p < 0) {
        const size_t t = SplitToken(text, sel);
        if (t != scan::npos) {
            message = gbk::Lit("不能在标志中插入section;");
            p = static_cast<int32_t>(t);
        }
    }
    if (p >= 0) {
        edit.SetSelection(p, p + 10);
        edit.ScrollToCaret();
        return false;
    }
    Wrap(edit, sel, "\r\n<vsection=\r\n", "\r\n</vsection> \r\n");
    return true;
}

bool InsertTag(TagNumber number, CEditBox& edit, std::string& message) {
    const TagKind* kind = number == TAG_REVERSE_SECTION ? KindByNumber(number) : nullptr;
    for (const TagKind& k : ScannedKinds())
        if (!kind && k.number == number) kind = &k;
    if (!kind) {
        message += gbk::Lit("未知格式");
        return false;
    }
    message.clear();
    const Selection sel = ReadSelection(edit);
    const std::string_view text = edit.Text();
    const EnclosingTag around = FindEnclosingTag(text, sel.start);
    if (!around.kind) {
        message = gbk::Format(gbk::Lit("请先新建一个SECTION,在插入%s"), kind->name);
        return false;
    }
    if (!CanNest(around.kind, *kind)) {
        message = gbk::Format(gbk::Lit("不能在 %s 中插入 %s"), around.kind->name, kind->name);
        edit.SetSelection(around.contentStart, around.contentStart);
        edit.ScrollToCaret();
        return false;
    }
    if (sel.start < around.contentStart || int64_t{sel.start} + sel.length > around.end) {
        message = gbk::Lit("插入位置错误");
        return false;
    }
    if (SplitToken(text, sel) != scan::npos) {
        message = gbk::Format(gbk::Lit("不能在标志中插入%s"), kind->name);
        return false;
    }
    const std::string before = "\r\n" + std::string(kind->begin) + "\r\n";
    const std::string after = "\r\n" + std::string(kind->end) + "\r\n";
    Wrap(edit, sel, before, after);
    return true;
}

}  // namespace qdm
