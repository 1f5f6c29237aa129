#include "editor/ui/text_view_layout.h"

#include <QTextOption>
#include <algorithm>

#include "editor/gbk.h"
#include "editor/ui/unit_text.h"

namespace qdm::ui {
namespace {

size_t UnitLenIn(const unsigned char* p, size_t i, size_t n) {
    return gbk::IsLead(p[i]) && i + 1 < n && gbk::IsTrail(p[i + 1]) ? 2 : 1;
}

// The line's characters cut every kPieceBytes at the next unit boundary.
std::vector<LinePiece> CutPieces(std::string_view text, const LineSpan& span) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    std::vector<LinePiece> pieces(1);
    int32_t pieceStart = span.start, units = 0;
    for (int32_t i = span.start; i < span.end;) {
        if (i - pieceStart >= TextLayouts::kPieceBytes) {
            pieces.back().end = i - span.start;
            LinePiece next;
            next.start = next.end = i - span.start;
            next.unitsBefore = units;
            pieces.push_back(std::move(next));
            pieceStart = i;
        }
        i += static_cast<int32_t>(UnitLenIn(p, i, text.size()));
        ++units;
    }
    pieces.back().end = span.end - span.start;
    return pieces;
}

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

bool SameFormats(const QList<QTextLayout::FormatRange>& a,
                 const QList<QTextLayout::FormatRange>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.start == y.start && x.length == y.length && x.format == y.format;
    });
}

}  // namespace

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
    if (m_preedit.line >= 0) m_lines.erase(m_preedit.line);
    m_preedit = std::move(preedit);
    if (m_preedit.text.isEmpty()) m_preedit.line = -1;
    if (m_preedit.line >= 0) m_lines.erase(m_preedit.line);
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

bool TextLayouts::EditInLine(std::string_view text, const UnitIndex& index, int32_t line,
                             int32_t rel, int32_t removed, int32_t inserted, size_t& edited) {
    edited = SIZE_MAX;
    const auto it = m_lines.find(line);
    if (it == m_lines.end()) return true;
    std::vector<LinePiece>& pieces = it->second.pieces;
    size_t k = pieces.size() - 1;
    while (k > 0 && pieces[k].start > rel) --k;
    LinePiece& changed = pieces[k];
    // At a piece's start the byte before may pair anew with what was typed.
    if (rel + removed > changed.end || (k > 0 && rel == changed.start)) return false;
    const int32_t delta = inserted - removed, newEnd = changed.end + delta;
    if (newEnd - changed.start > 2 * kPieceBytes) return false;
    const LineSpan span = SpanOfLine(text, index, line);
    if (span.start + newEnd > span.end) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    int32_t i = span.start + changed.start, units = 0;
    while (i < span.start + newEnd) {
        i += static_cast<int32_t>(UnitLenIn(p, static_cast<size_t>(i), text.size()));
        ++units;
    }
    if (i != span.start + newEnd) return false;  // the next piece no longer starts a unit
    const int32_t unitDelta =
        k + 1 < pieces.size() ? units - (pieces[k + 1].unitsBefore - changed.unitsBefore) : 0;
    changed.end = newEnd;
    changed.layout.reset();
    edited = k;
    for (size_t j = k + 1; j < pieces.size(); ++j) {
        LinePiece& later = pieces[j];
        later.start += delta;
        later.end += delta;
        later.unitsBefore += unitDelta;
        for (int32_t& b : later.unitBytes) b += delta;
    }
    it->second.formats =
        m_formatter ? m_formatter(text, span.start, span.end) : QList<QTextLayout::FormatRange>{};
    for (LinePiece& piece : pieces)
        if (piece.layout &&
            !SameFormats(piece.formats,
                         ClipFormats(it->second.formats, piece.unitsBefore, piece.Chars())))
            piece.layout.reset();
    return true;
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
        for (LinePiece& piece : line.pieces)
            if (piece.layout &&
                !SameFormats(piece.formats,
                             ClipFormats(line.formats, piece.unitsBefore, piece.Chars()))) {
                piece.layout.reset();
                dropped = true;
            }
    }
    return dropped;
}

int64_t TextLayouts::LaidOutChars() const {
    int64_t chars = 0;
    for (const auto& [number, line] : m_lines)
        for (const LinePiece& piece : line.pieces)
            if (piece.layout) chars += piece.Chars();
    return chars;
}

LineLayout& TextLayouts::Line(std::string_view text, const UnitIndex& index, int32_t line) {
    auto it = m_lines.find(line);
    if (it != m_lines.end()) return it->second;
    const LineSpan span = SpanOfLine(text, index, line);
    LineLayout laid;
    laid.pieces = CutPieces(text, span);
    if (m_formatter) laid.formats = m_formatter(text, span.start, span.end);
    return m_lines.emplace(line, std::move(laid)).first->second;
}

LinePiece& TextLayouts::Piece(std::string_view text, const UnitIndex& index, int32_t line,
                              size_t piece) {
    LineLayout& laid = Line(text, index, line);
    LinePiece& p = laid.pieces[std::min(piece, laid.pieces.size() - 1)];
    if (!p.layout) Fill(text, SpanOfLine(text, index, line), laid, p, line);
    return p;
}

void TextLayouts::Fill(std::string_view text, const LineSpan& span, const LineLayout& line,
                       LinePiece& piece, int32_t lineNumber) const {
    size_t pos = static_cast<size_t>(span.start + piece.start);
    const QString chars = DecodeUnitsFrom(text, pos, static_cast<size_t>(span.start + piece.end));
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    piece.unitBytes.clear();
    piece.unitBytes.reserve(static_cast<size_t>(chars.size()) + 1);
    for (int32_t i = piece.start; i < piece.end;) {
        piece.unitBytes.push_back(i);
        i += static_cast<int32_t>(UnitLenIn(p, static_cast<size_t>(span.start + i), text.size()));
    }
    piece.unitBytes.push_back(piece.end);

    piece.layout = std::make_unique<QTextLayout>(chars, m_font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    piece.layout->setTextOption(option);
    piece.layout->setCacheEnabled(true);
    piece.formats = ClipFormats(line.formats, piece.unitsBefore, piece.Chars());
    QList<QTextLayout::FormatRange> formats = piece.formats;
    if (m_preedit.line == lineNumber && m_preedit.byteInLine >= piece.start &&
        m_preedit.byteInLine <= piece.end &&
        (m_preedit.byteInLine < piece.end || &piece == &line.pieces.back())) {
        const int at = piece.CharOfByte(m_preedit.byteInLine);
        piece.layout->setPreeditArea(at, m_preedit.text);
        QTextCharFormat underline;
        underline.setFontUnderline(true);
        for (QTextLayout::FormatRange& f : formats)
            if (f.start >= at) f.start += static_cast<int>(m_preedit.text.size());
        formats.append({at, static_cast<int>(m_preedit.text.size()), underline});
    }
    piece.layout->setFormats(formats);
    piece.layout->beginLayout();
    qreal y = 0;
    for (QTextLine row = piece.layout->createLine(); row.isValid();
         row = piece.layout->createLine()) {
        row.setLineWidth(m_width);
        row.setPosition({0, y});
        y += row.height();
    }
    piece.layout->endLayout();
    piece.height = y;
}

}  // namespace qdm::ui
