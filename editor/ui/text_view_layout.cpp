#include "editor/ui/text_view_layout.h"

#include <QTextOption>
#include <algorithm>
#include <iterator>

#include "editor/gbk.h"
#include "editor/ui/unit_text.h"

namespace qdm::ui {
namespace {

bool SameFormats(const QList<QTextLayout::FormatRange>& a,
                 const QList<QTextLayout::FormatRange>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.start == y.start && x.length == y.length && x.format == y.format;
    });
}

// A piece keeps its end and the formats it was laid out with when its layout goes.
void Drop(LinePiece& piece) {
    piece.layout.reset();
    piece.unitBytes = {};
}

void Loosen(LinePiece& piece) {
    piece.settled = false;
    Drop(piece);
}

// The first piece an edit at byte `rel` may change: the one holding it, or the one before
// when it lies in the first row, whose start the row before may reach over.
size_t EditedPiece(const Pieces& pieces, int32_t rel) {
    size_t k = pieces.size() - 1;
    while (k > 0 && pieces[k].start > rel) --k;
    return k > 0 && rel < pieces[k].firstRowEnd ? k - 1 : k;
}

// Line formats changed: a piece laid out with other formats may wrap elsewhere now.
void LoosenReformatted(LineLayout& line) {
    for (LinePiece& piece : line.pieces)
        if (piece.settled &&
            !SameFormats(piece.formats,
                         ClipFormats(line.formats, piece.unitsBefore, piece.laidChars)))
            Loosen(piece);
}

}  // namespace

// The formatter's ranges that fall in characters [from, from + count) of the line, moved to
// count from the piece's start.
QList<QTextLayout::FormatRange> ClipFormats(const QList<QTextLayout::FormatRange>& formats,
                                            int32_t from, int32_t count) {
    QList<QTextLayout::FormatRange> out;
    for (const QTextLayout::FormatRange& f : formats) {
        const int a = std::max(f.start, from), b = std::min(f.start + f.length, from + count);
        if (b > a) out.append({a - from, b - a, f.format});
    }
    return out;
}

LineSpan SpanOfLine(std::string_view text, const UnitIndex& index, int32_t line) {
    LineSpan s;
    s.start = index.LineStart(text, line);
    s.next = index.LineStart(text, line + 1);
    s.end = s.next;
    if (s.end > s.start && text[s.end - 1] == '\n') --s.end;
    if (s.end > s.start && text[s.end - 1] == '\r') --s.end;
    return s;
}

int32_t LinePiece::CharOfByte(int32_t rel) const {
    auto it = std::upper_bound(unitBytes.begin(), unitBytes.end(), rel);
    const int32_t at = static_cast<int32_t>(it - unitBytes.begin()) - 1;
    return std::clamp(at, 0, std::max(0, Chars()));
}

void TextLayouts::SetFont(const QFont& font) {
    m_font = font;
    Clear();
}

void TextLayouts::SetWidth(qreal width) {
    if (width == m_width) return;
    m_width = width;
    Clear();
}

void TextLayouts::SetFormatter(LineFormatter formatter) {
    m_formatter = std::move(formatter);
    Clear();
}

void TextLayouts::SetPreedit(Preedit preedit) {
    if (m_preedit.line >= 0) Unsettle(m_preedit.line, m_preedit.byteInLine);
    m_preedit = std::move(preedit);
    if (m_preedit.text.isEmpty()) m_preedit.line = -1;
    if (m_preedit.line >= 0) Unsettle(m_preedit.line, m_preedit.byteInLine);
}

void TextLayouts::Unsettle(int32_t line, int32_t rel) {
    const auto it = m_lines.find(line);
    if (it == m_lines.end()) return;
    Pieces& pieces = it->second.pieces;
    for (size_t k = EditedPiece(pieces, rel); k < pieces.size() && pieces[k].start <= rel; ++k)
        Loosen(pieces[k]);
}

void TextLayouts::Replace(int32_t first, int32_t oldEnd, int32_t newEnd) {
    const int32_t delta = newEnd - oldEnd;
    m_lines.erase(m_lines.lower_bound(first), m_lines.lower_bound(oldEnd));
    if (delta == 0) return;
    std::map<int32_t, LineLayout> moved;
    for (auto it = m_lines.lower_bound(oldEnd); it != m_lines.end();)
        moved.emplace(it->first + delta, std::move(it->second)), it = m_lines.erase(it);
    m_lines.merge(moved);
}

void TextLayouts::EditInLine(std::string_view text, const UnitIndex& index, int32_t line,
                             int32_t rel, int32_t removed, int32_t inserted, size_t& edited) {
    edited = SIZE_MAX;
    const auto it = m_lines.find(line);
    if (it == m_lines.end()) return;
    Pieces& pieces = it->second.pieces;
    const size_t j = EditedPiece(pieces, rel);
    size_t m = j + 1;  // the first piece after the edit, which may keep its rows
    while (m < pieces.size() && pieces[m].start < rel + removed) ++m;
    const int32_t delta = inserted - removed;
    const LineSpan span = SpanOfLine(text, index, line);
    const LinePiece& edit = pieces[j];
    int32_t units = 0;
    bool keep = m < pieces.size() && pieces[m].start + delta - edit.start <= 2 * kPieceBytes;
    if (keep) {
        const int32_t to = pieces[m].start + delta;
        int32_t i = edit.start;
        for (; i < to; ++units) i += static_cast<int32_t>(gbk::CharLen(text, span.start + i));
        keep = i == to;  // the next piece still starts a unit
    }
    if (keep) {
        const int32_t unitDelta = units - (pieces[m].unitsBefore - edit.unitsBefore);
        for (size_t n = m; n < pieces.size(); ++n) {
            LinePiece& later = pieces[n];
            later.start += delta;
            later.end += delta;
            later.firstRowEnd += delta;
            later.unitsBefore += unitDelta;
            for (int32_t& b : later.unitBytes) b += delta;
        }
        pieces.erase(pieces.begin() + static_cast<ptrdiff_t>(j + 1),
                     pieces.begin() + static_cast<ptrdiff_t>(m));
        // Erasing from the middle of a deque moves its elements: `edit` is gone.
        pieces[j].end = pieces[j + 1].start;  // to be checked when the piece is laid out again
        pieces[j].chars = units;
    } else {
        // A piece that now reaches to the line's end still ends there; any other ends where
        // it is found.
        const int32_t len = span.end - span.start;
        const bool last = m == pieces.size() && pieces.back().settled &&
                          pieces.back().end == len - delta && len - edit.start <= 2 * kPieceBytes;
        pieces.resize(j + 1);
        pieces[j].end = last ? len : pieces[j].start;
        pieces[j].chars = 0;
    }
    Loosen(pieces[j]);
    edited = j;
    it->second.formats =
        m_formatter ? m_formatter(text, span.start, span.end) : QList<QTextLayout::FormatRange>{};
    LoosenReformatted(it->second);
}

Pieces TextLayouts::TakePiecesBefore(int32_t line, int32_t rel) {
    const auto it = m_lines.find(line);
    if (it == m_lines.end()) return {};
    Pieces& pieces = it->second.pieces;
    size_t end = 0;
    const size_t edited = EditedPiece(pieces, rel);
    while (end < edited && pieces[end].settled) ++end;
    Pieces before;
    std::move(pieces.begin(), pieces.begin() + static_cast<ptrdiff_t>(end),
              std::back_inserter(before));
    return before;
}

void TextLayouts::RestorePieces(std::string_view text, const UnitIndex& index, int32_t line,
                                Pieces pieces) {
    if (pieces.empty()) return;
    LineLayout& laid = Line(text, index, line);
    laid.pieces = std::move(pieces);
    LoosenReformatted(laid);
}

void TextLayouts::Keep(int32_t from, int32_t to) {
    m_lines.erase(m_lines.begin(), m_lines.lower_bound(from));
    m_lines.erase(m_lines.lower_bound(to), m_lines.end());
}

bool TextLayouts::RefreshFormats(std::string_view text, const UnitIndex& index) {
    bool dropped = false;
    for (auto& [number, line] : m_lines) {
        QList<QTextLayout::FormatRange> formats;
        if (m_formatter) {
            const LineSpan span = SpanOfLine(text, index, number);
            formats = m_formatter(text, span.start, span.end);
        }
        if (SameFormats(formats, line.formats)) continue;
        line.formats = std::move(formats);
        const int64_t before = LaidOutChars(line);
        LoosenReformatted(line);
        dropped = dropped || LaidOutChars(line) != before;
    }
    return dropped;
}

int64_t TextLayouts::LaidOutChars(const LineLayout& line) {
    int64_t chars = 0;
    for (const LinePiece& piece : line.pieces)
        if (piece.layout) chars += piece.laidChars;
    return chars;
}

int64_t TextLayouts::LaidOutChars() const {
    int64_t chars = 0;
    for (const auto& [number, line] : m_lines) chars += LaidOutChars(line);
    return chars;
}

LineLayout& TextLayouts::Line(std::string_view text, const UnitIndex& index, int32_t line) {
    auto it = m_lines.find(line);
    if (it != m_lines.end()) return it->second;
    LineLayout laid;
    laid.pieces.resize(1);  // from the line's start; where it ends is found by laying it out
    if (m_formatter) {
        const LineSpan span = SpanOfLine(text, index, line);
        laid.formats = m_formatter(text, span.start, span.end);
    }
    return m_lines.emplace(line, std::move(laid)).first->second;
}

bool TextLayouts::SettlePiece(std::string_view text, const LineSpan& span, int32_t lineNumber,
                              LineLayout& line, size_t k) {
    if (k == line.pieces.size()) {
        const LinePiece& last = line.pieces.back();
        if (last.end >= span.end - span.start) return false;
        LinePiece next;
        next.start = next.end = next.firstRowEnd = last.end;
        next.unitsBefore = last.unitsBefore + last.chars;
        line.pieces.push_back(std::move(next));
    }
    if (!line.pieces[k].settled) Fill(text, span, line, k, lineNumber);
    return true;
}

bool TextLayouts::HasPiece(std::string_view text, const UnitIndex& index, int32_t line,
                           size_t piece) {
    LineLayout& laid = Line(text, index, line);
    if (piece < laid.pieces.size() && laid.pieces[piece].settled &&
        std::all_of(laid.pieces.begin(), laid.pieces.begin() + static_cast<ptrdiff_t>(piece),
                    [](const LinePiece& p) { return p.settled; }))
        return true;
    const LineSpan span = SpanOfLine(text, index, line);
    for (size_t k = 0; k <= piece; ++k) {
        const bool laidBefore = k < laid.pieces.size() && laid.pieces[k].layout;
        if (!SettlePiece(text, span, line, laid, k)) return false;
        // Pieces passed on the way to a far one keep only where they end.
        if (!laidBefore && k + 2 < piece) Drop(laid.pieces[k]);
    }
    return true;
}

size_t TextLayouts::PieceCount(std::string_view text, const UnitIndex& index, int32_t line) {
    HasPiece(text, index, line, SIZE_MAX - 3);
    return m_lines.at(line).pieces.size();
}

size_t TextLayouts::PieceOfByte(std::string_view text, const UnitIndex& index, int32_t line,
                                int32_t rel) {
    LineLayout& laid = Line(text, index, line);
    const LineSpan span = SpanOfLine(text, index, line);
    for (size_t k = 0;; ++k) {
        const bool laidBefore = k < laid.pieces.size() && laid.pieces[k].layout;
        if (!SettlePiece(text, span, line, laid, k)) return laid.pieces.size() - 1;
        LinePiece& piece = laid.pieces[k];
        if (piece.end > rel) return k;
        if (!laidBefore && piece.end + kPieceBytes <= rel) Drop(piece);
    }
}

LinePiece& TextLayouts::Piece(std::string_view text, const UnitIndex& index, int32_t line,
                              size_t piece) {
    LineLayout& laid = Line(text, index, line);
    if (!HasPiece(text, index, line, piece)) piece = laid.pieces.size() - 1;
    LinePiece& p = laid.pieces[piece];
    if (!p.layout) Fill(text, SpanOfLine(text, index, line), laid, piece, line);
    return laid.pieces[piece];
}

}  // namespace qdm::ui
