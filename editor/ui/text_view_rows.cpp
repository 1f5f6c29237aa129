// Where a piece of a line ends. A layout of part of a line wraps as the whole line does except
// in its last two rows: a word cut short by the layout's end may fit where the whole word would
// not, and the row before it then ends elsewhere. So a piece is laid out to a little past where
// it ends, and ends where a row starts before those two.
#include <QTextOption>
#include <algorithm>

#include "editor/gbk.h"
#include "editor/ui/text_view_layout.h"
#include "editor/ui/unit_text.h"

namespace qdm::ui {
namespace {

// Where each unit starts from byte `from` of the line up to `reach` (or the line's end),
// counted from the line's start, with one more entry where the last one ends.
std::vector<int32_t> UnitStarts(std::string_view text, const LineSpan& span, int32_t from,
                                int32_t reach) {
    std::vector<int32_t> starts;
    const int32_t len = span.end - span.start;
    reach = std::min(reach, len);
    starts.reserve(static_cast<size_t>(reach - from) + 1);
    int32_t i = from;
    for (; i < reach; i += static_cast<int32_t>(gbk::CharLen(text, span.start + i)))
        starts.push_back(i);
    starts.push_back(i);
    return starts;
}

// The preedit, when it is shown in a layout: at character `at`, `length` characters long.
struct Shown {
    int at = -1;
    int length = 0;
    // The layout's position `pos` as a character of the text, or -1 inside the preedit or
    // before its end (a piece holding the preedit ends after it).
    int TextChar(int pos) const {
        if (at < 0) return pos;
        return pos > at + length ? pos - length : -1;
    }
};

struct Cut {
    int row = -1;  // rows that are the piece's; -1: too few rows, -2: wanted past the last
    int chars = 0;
};

// Where a layout from a piece's start may end the piece: at row `want` when a row starts at
// character `wantChar` of the text, else at the last row start that wraps as the whole line.
Cut FindCut(const QTextLayout& layout, const Shown& shown, bool toLineEnd, int wantChar) {
    const int n = layout.lineCount();
    const int last = toLineEnd ? n - 1 : n - 2;  // the last row whose start is the whole line's
    Cut fallback;
    if (toLineEnd) fallback = {n, -1};
    for (int row = 1; row <= last; ++row) {
        const int ch = shown.TextChar(layout.lineAt(row).textStart());
        if (ch < 0) continue;
        if (ch == wantChar) return {row, ch};
        if (!toLineEnd) fallback = {row, ch};
    }
    // Where the piece ended lies in the rows that may wrap differently: lay out further.
    if (!toLineEnd && fallback.row > 0 && wantChar > fallback.chars) return {-2, 0};
    return fallback;
}

// The piece ends at `cut` of `layout`, whose units to there are `units`.
void Settle(LinePiece& piece, std::unique_ptr<QTextLayout> layout, std::vector<int32_t> units,
            QList<QTextLayout::FormatRange> formats, const Cut& cut, const Shown& shown) {
    const int rows = layout->lineCount();
    piece.end = units.back();
    piece.chars = cut.chars;
    piece.unitBytes = std::move(units);
    piece.formats = std::move(formats);
    piece.laidChars = static_cast<int32_t>(layout->text().size());
    piece.rows = cut.row;
    piece.height = cut.row < rows ? layout->lineAt(cut.row).y()
                   : rows > 0     ? layout->lineAt(rows - 1).y() + layout->lineAt(rows - 1).height()
                                  : 0;
    int firstRowEnd =
        shown.TextChar(rows > 1 ? layout->lineAt(1).textStart() : piece.laidChars + shown.length);
    if (firstRowEnd < 0) firstRowEnd = shown.at;
    piece.firstRowEnd = piece.unitBytes[static_cast<size_t>(std::min(firstRowEnd, cut.chars))];
    piece.layout = std::move(layout);
    piece.settled = true;
}

}  // namespace

void TextLayouts::Fill(std::string_view text, const LineSpan& span, LineLayout& line, size_t k,
                       int32_t lineNumber) const {
    LinePiece& piece = line.pieces[k];
    const int32_t len = span.end - span.start;
    const bool known = piece.end > piece.start;  // where the piece ended, to be checked
    // A piece found afresh ends a little before kPieceBytes, so that laying it out again
    // after an edit, to a little past its end, costs no more than kPieceBytes.
    int32_t reach = known ? piece.end + kTailBytes : piece.start + kPieceBytes - kTailBytes;
    bool holdsPreedit = false;  // found to, though it was thought to end before it
    for (;;) {
        std::vector<int32_t> units = UnitStarts(text, span, piece.start, reach);
        const bool toLineEnd = units.back() == len;
        size_t pos = static_cast<size_t>(span.start + piece.start);
        const QString chars = DecodeUnitsFrom(
            text, pos, static_cast<size_t>(span.start) + static_cast<size_t>(units.back()));
        const int32_t b = m_preedit.line == lineNumber ? m_preedit.byteInLine : -1;
        const int32_t ends = known ? piece.end : units.back();
        Shown shown;
        if (b >= piece.start && (holdsPreedit || b < ends || (toLineEnd && b == len))) {
            shown.at = static_cast<int>(std::upper_bound(units.begin(), units.end(), b) -
                                        units.begin() - 1);
            shown.length = static_cast<int>(m_preedit.text.size());
        }
        const int wantChar =
            known ? static_cast<int>(std::lower_bound(units.begin(), units.end(), piece.end) -
                                     units.begin())
                  : -1;
        QList<QTextLayout::FormatRange> formats =
            ClipFormats(line.formats, piece.unitsBefore, static_cast<int32_t>(chars.size()));
        std::unique_ptr<QTextLayout> layout = LayOut(chars, formats, shown.at);
        Cut cut = FindCut(*layout, shown, toLineEnd, wantChar);
        if (cut.row < 0) {  // too few rows past the preedit, or a very wide window
            reach += cut.row == -2 ? 2 * kTailBytes : reach - piece.start;
            continue;
        }
        if (cut.chars < 0) cut.chars = static_cast<int>(chars.size());
        const int32_t end = units[static_cast<size_t>(cut.chars)];
        if (shown.at < 0 && b >= piece.start && b < end) {
            holdsPreedit = true;
            continue;
        }
        // The pieces after were found from the old end.
        if (!known || end != piece.end) line.pieces.resize(k + 1);
        units.resize(static_cast<size_t>(cut.chars) + 1);
        Settle(piece, std::move(layout), std::move(units), std::move(formats), cut, shown);
        return;
    }
}

std::unique_ptr<QTextLayout> TextLayouts::LayOut(const QString& chars,
                                                 QList<QTextLayout::FormatRange> formats,
                                                 int preeditAt) const {
    auto layout = std::make_unique<QTextLayout>(chars, m_font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    if (preeditAt >= 0) {
        layout->setPreeditArea(preeditAt, m_preedit.text);
        for (QTextLayout::FormatRange& f : formats)
            if (f.start >= preeditAt) f.start += static_cast<int>(m_preedit.text.size());
        QTextCharFormat underline;
        underline.setFontUnderline(true);
        if (m_preedit.formats.isEmpty())
            formats.append({preeditAt, static_cast<int>(m_preedit.text.size()), underline});
        const int length = static_cast<int>(m_preedit.text.size());
        for (const QTextLayout::FormatRange& f : m_preedit.formats) {
            const int a = std::clamp(f.start, 0, length);
            const int b = std::clamp(f.start + f.length, a, length);
            if (b > a) formats.append({preeditAt + a, b - a, f.format});
        }
    }
    layout->setFormats(formats);
    layout->beginLayout();
    qreal y = 0;
    for (QTextLine row = layout->createLine(); row.isValid(); row = layout->createLine()) {
        row.setLineWidth(m_width);
        row.setPosition({0, y});
        y += row.height();
    }
    layout->endLayout();
    return layout;
}

}  // namespace qdm::ui
