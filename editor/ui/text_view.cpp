#include "editor/ui/text_view.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <algorithm>

#include "editor/codec.h"
#include "editor/ui/text_view_accessible.h"
#include "editor/ui/unit_text.h"

namespace qdm::ui {
namespace {

QColor FromRgb(uint32_t rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb | 0xFF000000u));
}

}  // namespace

TextView::TextView(CEditBox& model, QWidget* parent) : QAbstractScrollArea(parent), m_model(model) {
    InstallTextViewAccessibility();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(false);
    m_index.Reset(m_model.Text());
    m_model.GetSelection(m_anchor, m_caret);
    m_model.SetObserver(this);
    ApplyAppearance();
}

TextView::~TextView() {
    m_model.SetObserver(nullptr);
}

// ---- model -> view -----------------------------------------------------------------------

void TextView::OnTextReplaced(int32_t pos, int32_t removedLen, int32_t insertedLen) {
    const std::string_view text = m_model.Text();
    const int32_t oldLines = m_index.Lines(), oldUnits = m_index.Units();
    m_index.Update(text, pos, removedLen, insertedLen);
    if (AccessibilityListens()) TellReplaced(pos, insertedLen, oldUnits);
    const int32_t delta = m_index.Lines() - oldLines;
    // A CR before the edit may have met an LF of it: its line is redrawn too.
    const int32_t first = m_index.LineOfByte(text, std::max(0, pos - 1));
    const int32_t newEnd =
        std::min(m_index.Lines(), m_index.LineOfByte(text, pos + insertedLen) + 1);
    const int32_t oldEnd = newEnd - delta;
    const bool aboveScreen = oldEnd <= m_top.line;
    // Typing inside one line (a line of a whole book, it may be) keeps its other pieces.
    const int32_t line = m_index.LineOfByte(text, pos);
    const int32_t lineStart = m_index.LineStart(text, line);
    size_t edited = SIZE_MAX;
    const bool inLine = delta == 0 && line == m_index.LineOfByte(text, pos + insertedLen);
    if (inLine) {
        m_layouts.EditInLine(text, m_index, line, pos - lineStart, removedLen, insertedLen, edited);
        m_layouts.Replace(first, line, line);
        m_layouts.Replace(line + 1, newEnd, newEnd);
    } else {
        // A line of a whole book cut in two keeps where its first part's rows start.
        Pieces before = m_layouts.TakePiecesBefore(line, pos - lineStart);
        m_layouts.Replace(first, oldEnd, newEnd);
        m_layouts.RestorePieces(text, m_index, line, std::move(before));
    }
    if (m_top.line >= oldEnd) {
        m_top.line += delta;
    } else if (m_top.line >= first) {
        m_top.line = std::min(m_top.line, m_index.Lines() - 1);
        if (!HasPiece(m_top.line, m_top.piece)) m_top.piece = PieceCount(m_top.line) - 1;
    }
    m_textDirty = true;
    if (inLine && edited != SIZE_MAX) {
        const LinePiece& piece = m_layouts.Line(text, m_index, line).pieces[edited];
        MarkPieceDirty(line, edited, piece.height, piece.end);
    } else if (!aboveScreen)
        MarkDirtyFrom(first);
    m_textChangedPending = true;
    emit m_events.bytesReplaced(pos, removedLen, insertedLen);
    Settle();
}

void TextView::MarkPieceDirty(int32_t line, size_t piece, qreal oldHeight, int32_t oldEnd) {
    const qreal view = ViewHeight();
    const std::optional<qreal> y = PieceY(line, piece, view);
    if (!y) return;  // off screen
    const LinePiece& laid = PieceAt(line, piece);
    // The pieces below stay as they were only when this one still ends where it did.
    const bool same = laid.height == oldHeight && laid.end == oldEnd;
    const qreal bottom = same ? *y + laid.height + 1 : view;
    m_dirty += QRectF(0, *y, viewport()->width(), bottom - *y).toAlignedRect();
}

void TextView::MarkDirtyFrom(int32_t line) {
    const qreal view = ViewHeight();
    if (line <= m_top.line) {
        m_fullRepaint = true;
        return;
    }
    if (const std::optional<qreal> y = PieceY(line, 0, view))
        m_dirty += QRectF(0, *y, viewport()->width(), view - *y).toAlignedRect();
}

QRect TextView::SelectionRows(int32_t anchor, int32_t caret) const {
    const QRect a = RectOfByte(anchor), c = RectOfByte(caret);
    const int top = std::min(a.top(), c.top()), bottom = std::max(a.bottom(), c.bottom());
    return QRect(0, top, viewport()->width(), bottom - top + 1);
}

void TextView::Repaint() {
    const bool oldSelection = m_paintedAnchor != m_paintedCaret;
    if (m_fullRepaint || !(m_top == m_paintedTop) || (m_textDirty && oldSelection)) {
        viewport()->update();
    } else {
        QRegion region = m_dirty;
        if (m_anchor != m_paintedAnchor || m_caret != m_paintedCaret)
            region += SelectionRows(m_paintedAnchor, m_paintedCaret);
        region += SelectionRows(m_anchor, m_caret);
        viewport()->update(region);
    }
    m_dirty = QRegion();
    m_fullRepaint = m_textDirty = false;
    m_paintedTop = m_top;
    m_paintedAnchor = m_anchor;
    m_paintedCaret = m_caret;
}

void TextView::OnTextReset() {
    const int32_t oldUnits = m_index.Units();
    m_index.Reset(m_model.Text());
    if (AccessibilityListens()) TellReplaced(0, m_model.Length(), oldUnits);
    m_layouts.Clear();
    m_layouts.SetPreedit({});
    m_fullRepaint = true;
    m_top.line = std::min(m_top.line, m_index.Lines() - 1);
    m_top.piece = 0;
    m_top.y = 0;
    m_textChangedPending = true;
    m_selectionPending = true;
    emit m_events.textReset();
    Settle();
}

void TextView::TellReplaced(int32_t pos, int32_t insertedLen, int32_t oldUnits) {
    // A change of millions of characters would cost strings of as many: it goes untold, and
    // assistive technology reads the text again when it next asks.
    constexpr int32_t kMostChars = 1 << 20;
    const int32_t at = UnitOfByte(pos), inserted = UnitOfByte(pos + insertedLen) - at;
    const int32_t removed = oldUnits - Units() + inserted;
    if (inserted > kMostChars || removed > kMostChars) return;
    QString chars = DecodeUnits(m_model.Text().substr(pos, insertedLen));
    chars.replace(kLineBreak, u'\n');
    TellTextReplaced(this, at, removed, chars);
}

void TextView::OnSelectionChanged() {
    m_selectionPending = true;
    Settle();
}

void TextView::OnScrollToCaret() {
    m_selectionPending = true;
    m_scrollPending = true;
    Settle();
}

void TextView::OnAppearanceChanged() {
    ApplyAppearance();
    emit m_events.appearanceChanged();
}

void TextView::EndBatch() {
    if (--m_batch > 0) return;
    Settle();
}

void TextView::Settle() {
    if (m_batch > 0) return;
    if (m_selectionPending) {
        m_selectionPending = false;
        m_model.GetSelection(m_anchor, m_caret);
        m_goalX = -1;
        emit m_events.caretMoved();
        if (AccessibilityListens()) TellCaretMoved(this, UnitOfByte(m_caret));
    }
    SetTop(m_top);
    if (m_scrollPending) {
        m_scrollPending = false;
        EnsureCaretVisible();
    }
    UpdateScrollBar();
    Repaint();
    updateMicroFocus();
    if (m_textChangedPending) {
        m_textChangedPending = false;
        emit m_events.textChanged();
    }
}

void TextView::ApplyEdit(int32_t pos, int32_t removed, const std::string& bytes) {
    m_model.ApplyWidgetEdit(pos, removed, bytes);
    BeginBatch();
    OnTextReplaced(pos, removed, static_cast<int32_t>(bytes.size()));
    OnScrollToCaret();
    EndBatch();
}

// ---- appearance --------------------------------------------------------------------------

void TextView::ApplyAppearance() {
    QFont font(QString::fromStdString(gbk::ToUtf8(m_model.GetFontFace())));
    font.setPointSizeF(m_model.m_fontSize / 10.0);
    setFont(font);
    m_layouts.SetFont(font);
    QPalette pal = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Text, FromRgb(m_model.m_textColor));
        pal.setColor(group, QPalette::Base, FromRgb(m_model.m_bgColor));
    }
    setPalette(pal);
    viewport()->setPalette(pal);
    SetTop(m_top);
    UpdateScrollBar();
    viewport()->update();
}

void TextView::SetLineFormatter(LineFormatter formatter) {
    m_layouts.SetFormatter(std::move(formatter));
    viewport()->update();
}

void TextView::RefreshFormats() {
    if (m_layouts.RefreshFormats(m_model.Text(), m_index)) viewport()->update();
}

// ---- queries -----------------------------------------------------------------------------

QString TextView::SelectedText() const {
    const int32_t a = std::min(m_anchor, m_caret), b = std::max(m_anchor, m_caret);
    return DecodeUnits(m_model.Text().substr(a, b - a));
}

int32_t TextView::LineOfByte(int32_t byte) const {
    return m_index.LineOfByte(m_model.Text(), byte);
}

int32_t TextView::LineStartByte(int32_t line) const {
    if (line < 0 || line >= m_index.Lines()) return -1;
    return m_index.LineStart(m_model.Text(), line);
}

QList<QTextLayout::FormatRange> TextView::LineFormats(int32_t line) const {
    const auto& kept = m_layouts.Kept();
    if (const auto it = kept.find(line); it != kept.end()) return it->second.formats;
    // A line on screen is drawn with the formatter's answers, whether painted yet or not.
    const std::vector<ShownLine> shown = ShownLines();
    if (shown.empty() || line < shown.front().line || line > shown.back().line) return {};
    return m_layouts.Line(m_model.Text(), m_index, line).formats;
}

QString TextView::ShownText() const {
    const std::string_view text = m_model.Text();
    QString out;
    int32_t from = 0;
    for (const auto& [line, laid] : m_layouts.Kept()) {
        const LineSpan span = SpanOfLine(text, m_index, line);
        out += DecodeUnits(text.substr(from, span.start - from));
        from = span.start;
        for (const LinePiece& piece : laid.pieces) {
            if (!piece.layout) continue;
            out += DecodeUnits(text.substr(from, span.start + piece.start - from)) + piece.Text();
            from = span.start + piece.end;
        }
        out += DecodeUnits(text.substr(from, span.end - from));
        from = span.end;
    }
    return out + DecodeUnits(text.substr(from));
}

std::pair<int32_t, int32_t> TextView::VisibleBytes() const {
    const std::vector<ShownLine> shown = ShownLines();
    if (shown.empty()) return {0, 0};
    const int32_t last = shown.back().line + 1;
    return {LineStartByte(shown.front().line),
            last < LineCount() ? LineStartByte(last) : m_model.Length()};
}

std::vector<TextView::ShownLine> TextView::ShownLines() const {
    std::vector<ShownLine> out;
    Pos p = m_top;
    qreal y = Origin().y() - p.y;
    const qreal h = ViewHeight();
    do {
        const LinePiece& piece = PieceAt(p.line, p.piece);
        if (out.empty() || out.back().line != p.line)
            out.push_back({p.line, piece.unitsBefore, {}});
        out.back().chars += piece.Text();
        y += piece.height;
    } while (y < h && Next(p));
    return out;
}

// ---- painting ----------------------------------------------------------------------------

void TextView::paintEvent(QPaintEvent* e) {
    QPainter painter(viewport());
    const QPalette pal = palette();
    painter.fillRect(e->rect(), pal.color(QPalette::Base));
    painter.setPen(pal.color(QPalette::Text));
    const Spot caret = Locate(m_caret);
    const Spot drop = m_dropCaret >= 0 ? Locate(m_dropCaret) : Spot{-1, 0, 0};
    const Preedit& preedit = m_layouts.CurrentPreedit();

    Pos p = m_top;
    QPointF origin = Origin() - QPointF(0, p.y);
    const qreal h = ViewHeight();
    do {
        const LinePiece& piece = PieceAt(p.line, p.piece);
        // The layout holds rows past the piece's end, which the next piece draws.
        const QRectF box(0, origin.y(), viewport()->width(), piece.height);
        const QRectF clip = box.intersected(QRectF(e->rect()));
        if (!clip.isEmpty()) {
            painter.setClipRect(clip);
            DrawPiece(painter, p.line, piece, origin, clip);
        }
        const bool caretShown = preedit.text.isEmpty() || preedit.cursorVisible;
        if (caret.line == p.line && caret.piece == p.piece && m_caretOn && hasFocus() &&
            caretShown) {
            const int at = preedit.text.isEmpty() ? caret.ch : caret.ch + preedit.cursor;
            piece.layout->drawCursor(&painter, origin, at, 1);
        }
        if (drop.line == p.line && drop.piece == p.piece)
            piece.layout->drawCursor(&painter, origin, drop.ch, 1);
        origin.ry() += piece.height;
    } while (origin.y() < h && Next(p));
}

void TextView::DrawPiece(QPainter& painter, int32_t line, const LinePiece& piece, QPointF origin,
                         const QRectF& clip) const {
    const int32_t selA = std::min(m_anchor, m_caret), selB = std::max(m_anchor, m_caret);
    // While composing, the preedit shifts the characters: no selection is drawn.
    const bool selecting = selA != selB && m_layouts.CurrentPreedit().text.isEmpty();
    const LineSpan span = SpanOfLine(m_model.Text(), m_index, line);
    const QBrush highlight = palette().brush(QPalette::Highlight);
    QList<QTextLayout::FormatRange> selections;
    const int32_t a = std::max(selA, span.start + piece.start);
    const int32_t b = std::min(selB, span.start + piece.end);
    if (selecting && b > a) {
        QTextCharFormat selected;
        selected.setBackground(highlight);
        selected.setForeground(palette().brush(QPalette::HighlightedText));
        const int ca = piece.CharOfByte(a - span.start), cb = piece.CharOfByte(b - span.start);
        selections.append({ca, cb - ca, selected});
    }
    piece.layout->draw(&painter, origin, selections, clip);
    // A selected line break shows as a space's width after the line's last character.
    const bool breakSelected = span.next > span.end && selA <= span.end && selB >= span.next;
    if (selecting && breakSelected && span.start + piece.end == span.end && piece.rows > 0) {
        const QTextLine last = piece.layout->lineAt(piece.rows - 1);
        const qreal x = origin.x() + last.cursorToX(piece.Chars());
        const qreal space = QFontMetricsF(font()).horizontalAdvance(u' ');
        painter.fillRect(QRectF(x, origin.y() + last.y(), space, last.height()), highlight);
    }
}

void TextView::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    m_layouts.SetWidth(std::max<qreal>(1, viewport()->width() - 2 * Origin().x()));
    m_top.y = 0;
    SetTop(m_top);
    UpdateScrollBar();
    emit m_events.viewportChanged();
}

void TextView::scrollContentsBy(int, int) {
    if (m_settingBar) return;
    SetTop({verticalScrollBar()->value(), 0, 0});
    viewport()->update();
}

void TextView::focusInEvent(QFocusEvent* e) {
    m_caretOn = true;
    if (const int flash = QGuiApplication::styleHints()->cursorFlashTime(); flash > 0)
        m_blink.start(flash / 2, this);
    viewport()->update();
    QAbstractScrollArea::focusInEvent(e);
}

void TextView::focusOutEvent(QFocusEvent* e) {
    m_blink.stop();
    viewport()->update();
    QAbstractScrollArea::focusOutEvent(e);
}

void TextView::timerEvent(QTimerEvent* e) {
    if (e->timerId() == m_blink.timerId()) {
        m_caretOn = !m_caretOn;
        viewport()->update(CaretRect().adjusted(-2, 0, 2, 0));
    } else if (e->timerId() == m_autoScroll.timerId()) {
        DragTo(m_dragPoint);
    } else {
        QAbstractScrollArea::timerEvent(e);
    }
}

}  // namespace qdm::ui
