// Where things are on a TextView's screen: the top position, moving it by pixels, bytes to
// characters of laid-out pieces and back. Only pieces within about a screen of the top are
// ever laid out.
#include <QScrollBar>
#include <algorithm>

#include "editor/ui/text_view.h"

namespace qdm::ui {
namespace {

constexpr qreal kMargin = 4;  // around the text, as the document-mirroring view leaves

}  // namespace

QPointF TextView::Origin() const {
    return {kMargin, kMargin};
}

qreal TextView::ViewHeight() const {
    return std::max(1, viewport()->height());
}

LinePiece& TextView::PieceAt(int32_t line, size_t piece) const {
    return m_layouts.Piece(m_model.Text(), m_index, line, piece);
}

size_t TextView::PieceCount(int32_t line) const {
    return m_layouts.PieceCount(m_model.Text(), m_index, line);
}

bool TextView::HasPiece(int32_t line, size_t piece) const {
    return m_layouts.HasPiece(m_model.Text(), m_index, line, piece);
}

bool TextView::Next(Pos& p) const {
    if (HasPiece(p.line, p.piece + 1)) {
        ++p.piece;
    } else if (p.line + 1 < m_index.Lines()) {
        ++p.line;
        p.piece = 0;
    } else {
        return false;
    }
    p.y = 0;
    return true;
}

bool TextView::Prev(Pos& p) const {
    if (p.piece > 0) {
        --p.piece;
    } else if (p.line > 0) {
        --p.line;
        p.piece = PieceCount(p.line) - 1;
    } else {
        return false;
    }
    p.y = 0;
    return true;
}

TextView::Pos TextView::Advanced(Pos p, qreal dy) const {
    qreal y = p.y + dy;
    while (y < 0) {
        if (!Prev(p)) return p;
        y += PieceAt(p.line, p.piece).height;
    }
    while (y >= PieceAt(p.line, p.piece).height) {
        const qreal h = PieceAt(p.line, p.piece).height;
        Pos next = p;
        if (!Next(next)) {
            p.y = std::max<qreal>(0, h - 1);
            return p;
        }
        y -= h;
        p = next;
    }
    p.y = y;
    return p;
}

// The document-mirroring view never scrolls the end of the text above the bottom of the
// screen; neither does this one.
TextView::Pos TextView::Clamped(Pos top) const {
    top.line = std::clamp(top.line, 0, m_index.Lines() - 1);
    if (!HasPiece(top.line, top.piece)) top.piece = PieceCount(top.line) - 1;
    top.y =
        std::clamp<qreal>(top.y, 0, std::max<qreal>(0, PieceAt(top.line, top.piece).height - 1));
    const qreal room = ViewHeight() - 2 * Origin().y();
    Pos p = top;
    qreal below = PieceAt(p.line, p.piece).height - p.y;
    while (below < room && Next(p)) below += PieceAt(p.line, p.piece).height;
    if (below >= room) return top;
    return Advanced(top, below - room);
}

void TextView::SetTop(Pos top) {
    m_top = Clamped(top);
    KeepNearbyLayouts();
    UpdateScrollBar();
}

void TextView::ScrollBy(qreal dy) {
    SetTop(Advanced(m_top, dy));
    viewport()->update();
    updateMicroFocus();
    emit m_events.viewportChanged();
}

void TextView::UpdateScrollBar() {
    QScrollBar* bar = verticalScrollBar();
    m_settingBar = true;
    const qreal row = std::max<qreal>(1, QFontMetricsF(font()).lineSpacing());
    bar->setRange(0, m_index.Lines() - 1);
    bar->setPageStep(std::max(1, static_cast<int>(ViewHeight() / row)));
    bar->setSingleStep(1);
    bar->setValue(m_top.line);
    m_settingBar = false;
}

// Lines more than a screen away from what is shown are laid out again when they come back.
void TextView::KeepNearbyLayouts() {
    const int32_t screen = verticalScrollBar()->pageStep() + 1;
    const int32_t caretLine = m_index.LineOfByte(m_model.Text(), m_caret);
    if (caretLine >= m_top.line - screen && caretLine <= m_top.line + 3 * screen) {
        m_layouts.Keep(m_top.line - screen, m_top.line + 3 * screen);
    } else {
        m_layouts.Keep(std::min(caretLine, m_top.line - screen),
                       std::max(caretLine + 1, m_top.line + 3 * screen));
    }
}

TextView::Spot TextView::Locate(int32_t byte) const {
    const std::string_view text = m_model.Text();
    byte = std::clamp(byte, 0, static_cast<int32_t>(text.size()));
    Spot s;
    s.line = m_index.LineOfByte(text, byte);
    const LineSpan span = SpanOfLine(text, m_index, s.line);
    const int32_t rel = std::min(byte, span.end) - span.start;
    s.piece = m_layouts.PieceOfByte(text, m_index, s.line, rel);
    s.ch = PieceAt(s.line, s.piece).CharOfByte(rel);
    return s;
}

int32_t TextView::ByteOfSpot(const Spot& s) const {
    const LinePiece& piece = PieceAt(s.line, s.piece);
    const int ch = std::clamp(s.ch, 0, piece.Chars());
    return LineStartByte(s.line) + piece.unitBytes[static_cast<size_t>(ch)];
}

std::optional<qreal> TextView::PieceY(int32_t line, size_t piece, qreal reach) const {
    Pos p = m_top;
    qreal y = Origin().y() - p.y;
    const auto before = [&] { return line < p.line || (line == p.line && piece < p.piece); };
    if (before()) {
        while (before() && y > -reach && Prev(p)) y -= PieceAt(p.line, p.piece).height;
        if (p.line == line && p.piece == piece) return y;
        return std::nullopt;
    }
    while ((p.line != line || p.piece != piece) && y < reach) {
        y += PieceAt(p.line, p.piece).height;
        if (!Next(p)) return std::nullopt;
    }
    if (p.line == line && p.piece == piece) return y;
    return std::nullopt;
}

void TextView::EnsureCaretVisible() {
    const Spot s = Locate(m_caret);
    const QTextLine row = PieceAt(s.line, s.piece).layout->lineForTextPosition(s.ch);
    const qreal top = row.isValid() ? row.y() : 0, height = row.isValid() ? row.height() : 0;
    const qreal view = ViewHeight();
    const std::optional<qreal> y = PieceY(s.line, s.piece, view);
    if (y && *y + top >= 0 && *y + top + height <= view) return;
    if (y && *y + top < 0) {
        SetTop({s.line, s.piece, top});
    } else if (y) {
        SetTop(Advanced(m_top, *y + top + height - view + Origin().y()));
    } else {
        // Far away: the caret's row goes to the bottom, as a long jump down leaves it.
        SetTop(Advanced({s.line, s.piece, top + height}, -(view - Origin().y())));
    }
}

void TextView::ShowCaretNearTop() {
    constexpr int kRowsAbove = 2;
    const Spot s = Locate(m_caret);
    const QTextLine row = PieceAt(s.line, s.piece).layout->lineForTextPosition(s.ch);
    const qreal rowHeight = row.isValid() ? row.height() : QFontMetricsF(font()).lineSpacing();
    SetTop(Advanced({s.line, s.piece, row.isValid() ? row.y() : 0}, -kRowsAbove * rowHeight));
    viewport()->update();
    emit m_events.viewportChanged();
}

QRectF TextView::CharRect(int32_t byte) const {
    const Spot s = Locate(byte);
    const std::optional<qreal> y = PieceY(s.line, s.piece, ViewHeight());
    if (!y) return {};
    const LinePiece& piece = PieceAt(s.line, s.piece);
    const QTextLine row = piece.layout->lineForTextPosition(s.ch);
    if (!row.isValid()) return {};
    const qreal x0 = row.cursorToX(s.ch), x1 = row.cursorToX(std::min(s.ch + 1, piece.Chars()));
    return QRectF(Origin().x() + x0, *y + row.y(), std::max<qreal>(1, x1 - x0), row.height());
}

QRect TextView::SelectionRect() const {
    return RectOfByte(m_anchor).united(RectOfByte(m_caret));
}

QRect TextView::RectOfByte(int32_t byte) const {
    const Spot s = Locate(byte);
    const qreal view = ViewHeight();
    const LinePiece& piece = PieceAt(s.line, s.piece);
    // While composing, the caret stands in the preedit where the input method puts it.
    const Preedit& preedit = m_layouts.CurrentPreedit();
    const int ch = byte == m_caret && !preedit.text.isEmpty() ? s.ch + preedit.cursor : s.ch;
    const QTextLine row = piece.layout->lineForTextPosition(ch);
    const qreal rowY = row.isValid() ? row.y() : 0;
    const qreal rowHeight = row.isValid() ? row.height() : QFontMetricsF(font()).lineSpacing();
    const qreal x = Origin().x() + (row.isValid() ? row.cursorToX(ch) : 0);
    qreal y;
    if (const std::optional<qreal> py = PieceY(s.line, s.piece, view)) {
        y = *py + rowY;
    } else {
        // Off screen: placed by lines, which is all a caller can use it for.
        y = (s.line < m_top.line ? -1.0 : 1.0) * view + (s.line - m_top.line) * rowHeight;
    }
    return QRectF(x, y, 1, rowHeight).toAlignedRect();
}

int32_t TextView::ByteAt(QPointF point) const {
    Pos p = m_top;
    qreal y = Origin().y() - p.y;
    const qreal view = ViewHeight();
    while (true) {
        const LinePiece& piece = PieceAt(p.line, p.piece);
        Pos next = p;
        if (point.y() < y + piece.height || y + piece.height >= view || !Next(next)) {
            const qreal within = std::clamp<qreal>(point.y() - y, 0, piece.height - 0.5);
            int ch = 0;
            for (int i = 0; i < piece.rows; ++i) {
                const QTextLine row = piece.layout->lineAt(i);
                if (within < row.y() + row.height() || i + 1 == piece.rows) {
                    ch = row.xToCursor(point.x() - Origin().x());
                    break;
                }
            }
            return ByteOfSpot({p.line, p.piece, ch});
        }
        y += piece.height;
        p = next;
    }
}

}  // namespace qdm::ui
