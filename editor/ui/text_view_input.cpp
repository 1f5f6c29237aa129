// Keys, mouse and input methods of a TextView. Edits go to the model's key handlers, in the
// order the model documents; caret moves only change the model's selection.
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleHints>
#include <QTextBoundaryFinder>
#include <QWheelEvent>
#include <algorithm>
#include <functional>

#include "editor/gbk.h"
#include "editor/ui/text_view.h"
#include "editor/ui/text_view_accessible.h"
#include "editor/ui/typed_key.h"
#include "editor/ui/unit_text.h"

namespace qdm::ui {
namespace {

// The standard keys Navigate handles.
bool IsNavigationKey(const QKeyEvent* e) {
    using K = QKeySequence;
    static constexpr K::StandardKey kKeys[] = {
        K::MoveToNextChar,        K::MoveToPreviousChar,  K::SelectNextChar,
        K::SelectPreviousChar,    K::MoveToNextLine,      K::MoveToPreviousLine,
        K::SelectNextLine,        K::SelectPreviousLine,  K::MoveToStartOfLine,
        K::MoveToEndOfLine,       K::SelectStartOfLine,   K::SelectEndOfLine,
        K::MoveToStartOfDocument, K::MoveToEndOfDocument, K::SelectStartOfDocument,
        K::SelectEndOfDocument,   K::MoveToNextPage,      K::MoveToPreviousPage,
        K::SelectNextPage,        K::SelectPreviousPage,  K::SelectAll,
        K::MoveToNextWord,        K::MoveToPreviousWord,  K::SelectNextWord,
        K::SelectPreviousWord,    K::DeleteStartOfWord,   K::DeleteEndOfWord};
    return std::any_of(std::begin(kKeys), std::end(kKeys),
                       [e](K::StandardKey k) { return e->matches(k); });
}

// The keys the area acts on itself: Delete, Backspace, Enter and typed text.
bool IsEditKey(const QKeyEvent* e) {
    const Qt::KeyboardModifiers mods =
        e->modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
    const bool plain = (mods & ~Qt::ShiftModifier) == Qt::NoModifier;
    const int key = e->key();
    return (key == Qt::Key_Delete && mods == Qt::NoModifier) ||
           ((key == Qt::Key_Backspace || key == Qt::Key_Return || key == Qt::Key_Enter) && plain) ||
           TypesText(e);
}

}  // namespace

// Keys the area acts on are claimed before any shortcut can take them, as in the other view.
bool TextView::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(e);
        if (IsEditKey(key) || IsNavigationKey(key)) {
            e->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

bool TextView::Refuses(QStringView text) {
    const Encoded enc = EncodeChars(text);
    if (enc.refusedAt < 0) return false;
    emit m_events.refused(RefusalMessage(text, enc.refusedAt));
    return true;
}

void TextView::TypeKeyText(const QString& text) {
    const Encoded enc = EncodeChars(text);
    if (enc.refusedAt >= 0) {
        emit m_events.refused(RefusalMessage(text, enc.refusedAt));
        return;
    }
    m_model.TypeText(enc.bytes);
    m_model.ScrollToCaret();
}

void TextView::keyPressEvent(QKeyEvent* e) {
    const Qt::KeyboardModifiers mods =
        e->modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
    const bool plain = (mods & ~Qt::ShiftModifier) == Qt::NoModifier;
    const int key = e->key();
    if (key == Qt::Key_Delete && mods == Qt::NoModifier) {
        m_model.PressDelete();
        m_model.ScrollToCaret();
    } else if (key == Qt::Key_Backspace && plain) {
        m_model.PressBackspace();
        m_model.ScrollToCaret();
    } else if ((key == Qt::Key_Return || key == Qt::Key_Enter) && plain) {
        TypeKeyText(QString(kLineBreak));
    } else if (TypesText(e)) {
        TypeKeyText(e->text());
    } else if (!Navigate(e)) {
        e->ignore();
        return;
    }
    e->accept();
    m_caretOn = true;
}

bool TextView::Navigate(QKeyEvent* e) {
    using K = QKeySequence;
    const std::string_view text = m_model.Text();
    const int32_t len = static_cast<int32_t>(text.size());
    const int32_t c = m_caret;
    const int32_t selA = std::min(m_anchor, m_caret), selB = std::max(m_anchor, m_caret);
    const auto next = [&](int32_t b) {
        return b < len ? b + static_cast<int32_t>(gbk::UnitLen(text, b)) : len;
    };
    const auto prev = [&](int32_t b) {
        return b > 0 ? static_cast<int32_t>(gbk::PrevUnitStart(text, b)) : 0;
    };
    struct Move {
        K::StandardKey key;
        bool extend;
        std::function<int32_t()> to;
        bool keepsX = false;
    };
    const Move moves[] = {
        {K::MoveToNextChar, false, [&] { return selA != selB ? selB : next(c); }},
        {K::MoveToPreviousChar, false, [&] { return selA != selB ? selA : prev(c); }},
        {K::SelectNextChar, true, [&] { return next(c); }},
        {K::SelectPreviousChar, true, [&] { return prev(c); }},
        {K::MoveToNextLine, false, [&] { return RowMove(c, 1); }, true},
        {K::MoveToPreviousLine, false, [&] { return RowMove(c, -1); }, true},
        {K::SelectNextLine, true, [&] { return RowMove(c, 1); }, true},
        {K::SelectPreviousLine, true, [&] { return RowMove(c, -1); }, true},
        {K::MoveToStartOfLine, false, [&] { return RowEdge(c, false); }},
        {K::MoveToEndOfLine, false, [&] { return RowEdge(c, true); }},
        {K::SelectStartOfLine, true, [&] { return RowEdge(c, false); }},
        {K::SelectEndOfLine, true, [&] { return RowEdge(c, true); }},
        {K::MoveToStartOfDocument, false, [&] { return 0; }},
        {K::MoveToEndOfDocument, false, [&] { return len; }},
        {K::SelectStartOfDocument, true, [&] { return 0; }},
        {K::SelectEndOfDocument, true, [&] { return len; }},
        {K::MoveToNextWord, false, [&] { return WordEdge(c, true); }},
        {K::MoveToPreviousWord, false, [&] { return WordEdge(c, false); }},
        {K::SelectNextWord, true, [&] { return WordEdge(c, true); }},
        {K::SelectPreviousWord, true, [&] { return WordEdge(c, false); }},
        {K::MoveToNextPage, false, [&] { return PageMove(c, 1); }, true},
        {K::MoveToPreviousPage, false, [&] { return PageMove(c, -1); }, true},
        {K::SelectNextPage, true, [&] { return PageMove(c, 1); }, true},
        {K::SelectPreviousPage, true, [&] { return PageMove(c, -1); }, true},
    };
    if (e->matches(K::DeleteStartOfWord) || e->matches(K::DeleteEndOfWord)) {
        DeleteWord(e->matches(K::DeleteEndOfWord));
        return true;
    }
    if (e->matches(K::SelectAll)) {
        TakeSelection(0, len);
        m_anchor = 0;
        m_caret = len;
        Repaint();
        emit m_events.caretMoved();  // the caret is at the end now: the outline follows it
        if (AccessibilityListens()) TellCaretMoved(this, UnitOfByte(m_caret));
        return true;
    }
    for (const Move& m : moves) {
        if (!e->matches(m.key)) continue;
        const int32_t to = m.to();
        const qreal goal = m_goalX;  // set by a row move, kept for the next one
        MoveCaret(to, m.extend);
        if (m.keepsX) m_goalX = goal;
        return true;
    }
    return false;
}

// Makes [start, end) the model's selection without a notification back to the view.
void TextView::TakeSelection(int32_t start, int32_t end) {
    m_model.SyncSelectionFromWidget(start, end);
}

void TextView::MoveCaret(int32_t byte, bool extend) {
    const int32_t len = m_model.Length();
    m_caret = std::clamp(byte, 0, len);
    if (!extend) m_anchor = m_caret;
    TakeSelection(m_anchor, m_caret);
    m_goalX = -1;
    m_caretOn = true;
    EnsureCaretVisible();
    Repaint();
    updateMicroFocus();
    emit m_events.caretMoved();
    if (AccessibilityListens()) TellCaretMoved(this, UnitOfByte(m_caret));
}

// The byte `rows` rows of the screen above (< 0) or below the caret, at the same x.
int32_t TextView::RowMove(int32_t byte, int rows) {
    Spot s = Locate(byte);
    QTextLayout* layout = PieceAt(s.line, s.piece).layout.get();
    int row = layout->lineForTextPosition(s.ch).lineNumber();
    if (m_goalX < 0) m_goalX = layout->lineAt(row).cursorToX(s.ch);
    Pos p{s.line, s.piece, 0};
    for (; rows > 0; --rows) {
        if (row + 1 < PieceAt(p.line, p.piece).rows) {
            ++row;
        } else if (Next(p)) {
            layout = PieceAt(p.line, p.piece).layout.get();
            row = 0;
        } else {
            return m_model.Length();
        }
    }
    for (; rows < 0; ++rows) {
        if (row > 0) {
            --row;
        } else if (Prev(p)) {
            layout = PieceAt(p.line, p.piece).layout.get();
            row = PieceAt(p.line, p.piece).rows - 1;
        } else {
            return 0;
        }
    }
    const int ch = layout->lineAt(row).xToCursor(m_goalX);
    return ByteOfSpot({p.line, p.piece, ch});
}

int32_t TextView::RowEdge(int32_t byte, bool end) const {
    const Spot s = Locate(byte);
    const LinePiece& piece = PieceAt(s.line, s.piece);
    const QTextLine row = piece.layout->lineForTextPosition(s.ch);
    int ch = row.textStart();
    if (end) {
        ch += row.textLength();
        // A wrapped row ends before the character that starts the next row.
        const bool wrapped = row.lineNumber() + 1 < piece.rows || HasPiece(s.line, s.piece + 1);
        if (wrapped && ch > row.textStart()) --ch;
    }
    return ByteOfSpot({s.line, s.piece, ch});
}

int32_t TextView::WordEdge(int32_t byte, bool forward) const {
    const std::string_view text = m_model.Text();
    const int32_t len = static_cast<int32_t>(text.size());
    const Spot s = Locate(byte);
    const QString chars = PieceAt(s.line, s.piece).Text();
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, chars);
    words.setPosition(s.ch);
    const qsizetype to = forward ? words.toNextBoundary() : words.toPreviousBoundary();
    if (to >= 0 && to != s.ch) return ByteOfSpot({s.line, s.piece, static_cast<int>(to)});
    if (forward) return byte < len ? byte + static_cast<int32_t>(gbk::UnitLen(text, byte)) : len;
    return byte > 0 ? static_cast<int32_t>(gbk::PrevUnitStart(text, byte)) : 0;
}

void TextView::DeleteWord(bool forward) {
    int32_t a = std::min(m_anchor, m_caret), b = std::max(m_anchor, m_caret);
    if (a == b) (forward ? b : a) = WordEdge(m_caret, forward);
    if (a < b) ApplyEdit(a, b - a, {});
}

int32_t TextView::PageMove(int32_t byte, int direction) {
    const qreal rowHeight = std::max<qreal>(1, QFontMetricsF(font()).lineSpacing());
    const int rows = std::max(1, static_cast<int>(ViewHeight() / rowHeight) - 1);
    const int32_t to = RowMove(byte, direction * rows);
    ScrollBy(direction * rows * rowHeight);
    return to;
}

void TextView::Select(int32_t anchor, int32_t caret) {
    m_anchor = std::clamp(anchor, 0, m_model.Length());
    MoveCaret(caret, true);
}

// ---- mouse -------------------------------------------------------------------------------

void TextView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(e);
    const QPointF at = e->position();
    if (m_sinceDoubleClick.isValid() &&
        m_sinceDoubleClick.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval() &&
        (at - m_doubleClickPoint).manhattanLength() <
            QGuiApplication::styleHints()->startDragDistance()) {
        m_sinceDoubleClick.invalidate();
        SelectLineAt(ByteAt(at));
        return;
    }
    m_dragging = true;
    MoveCaret(ByteAt(at), e->modifiers() & Qt::ShiftModifier);
}

void TextView::mouseMoveEvent(QMouseEvent* e) {
    if (!m_dragging || !(e->buttons() & Qt::LeftButton)) return;
    m_dragPoint = e->position();
    DragTo(m_dragPoint);
    const bool outside = m_dragPoint.y() < 0 || m_dragPoint.y() > viewport()->height();
    if (outside && !m_autoScroll.isActive()) m_autoScroll.start(50, this);
    if (!outside) m_autoScroll.stop();
}

void TextView::mouseReleaseEvent(QMouseEvent* e) {
    m_dragging = false;
    m_autoScroll.stop();
    e->accept();
}

// Beyond the top or the bottom of the screen a drag scrolls, faster the farther it goes.
void TextView::DragTo(QPointF point) {
    const qreal view = viewport()->height();
    if (point.y() < 0) ScrollBy(point.y());
    if (point.y() > view) ScrollBy(point.y() - view);
    const QPointF inside(point.x(), std::clamp<qreal>(point.y(), 0, view - 1));
    MoveCaret(ByteAt(inside), true);
}

void TextView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QAbstractScrollArea::mouseDoubleClickEvent(e);
    m_sinceDoubleClick.start();
    m_doubleClickPoint = e->position();
    SelectWordAt(ByteAt(e->position()));
}

void TextView::SelectWordAt(int32_t byte) {
    const Spot s = Locate(byte);
    const LinePiece& piece = PieceAt(s.line, s.piece);
    const QString chars = piece.Text();
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, chars);
    words.setPosition(std::min<qsizetype>(s.ch, chars.size()));
    qsizetype start =
        words.isAtBoundary() && s.ch < chars.size() ? s.ch : words.toPreviousBoundary();
    words.setPosition(std::max<qsizetype>(start, 0));
    qsizetype end = words.toNextBoundary();
    if (start < 0) start = 0;
    if (end < 0) end = chars.size();
    m_anchor = ByteOfSpot({s.line, s.piece, static_cast<int>(start)});
    MoveCaret(ByteOfSpot({s.line, s.piece, static_cast<int>(end)}), true);
}

void TextView::SelectLineAt(int32_t byte) {
    const LineSpan span = SpanOfLine(m_model.Text(), m_index, LineOfByte(byte));
    m_anchor = span.start;
    MoveCaret(span.end, true);
}

void TextView::wheelEvent(QWheelEvent* e) {
    const qreal rowHeight = std::max<qreal>(1, QFontMetricsF(font()).lineSpacing());
    const int steps = QGuiApplication::styleHints()->wheelScrollLines();
    ScrollBy(-e->angleDelta().y() / 120.0 * steps * rowHeight);
    e->accept();
}

// ---- input methods -----------------------------------------------------------------------

void TextView::inputMethodEvent(QInputMethodEvent* e) {
    const QString commit = e->commitString();
    if (!commit.isEmpty() && Refuses(commit)) {
        m_layouts.SetPreedit({});  // the composition ends with nothing inserted
        viewport()->update();
        return;
    }
    const int32_t selA = std::min(m_anchor, m_caret), selB = std::max(m_anchor, m_caret);
    if (commit.isEmpty() && !e->preeditString().isEmpty() && selA != selB) {
        // Composing over a selection takes the selection out first, as a typed character
        // would; the record lets Undo bring it back.
        m_model.RecordEdit(kDeleteSelection, selA,
                           std::string(m_model.Text().substr(selA, selB - selA)), {});
        ApplyEdit(selA, selB - selA, {});
    }
    if (!commit.isEmpty()) ReplacePreedit(*e);
    Preedit preedit;
    preedit.text = e->preeditString();
    for (const QInputMethodEvent::Attribute& a : e->attributes()) {
        if (a.type == QInputMethodEvent::Cursor) {
            preedit.cursor = std::clamp<int>(a.start, 0, static_cast<int>(preedit.text.size()));
            preedit.cursorVisible = a.length != 0;
        } else if (a.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format = qvariant_cast<QTextFormat>(a.value).toCharFormat();
            if (format.isValid()) preedit.formats.append({a.start, a.length, format});
        }
    }
    if (!preedit.text.isEmpty()) {
        preedit.line = LineOfByte(m_caret);
        preedit.byteInLine = m_caret - LineStartByte(preedit.line);
    }
    m_layouts.SetPreedit(std::move(preedit));
    viewport()->update();
    updateMicroFocus();
    e->accept();
}

// A plain commit is a typed character; one that also rewrites text around the caret is not.
void TextView::ReplacePreedit(const QInputMethodEvent& e) {
    const std::string bytes = EncodeChars(e.commitString()).bytes;
    if (e.replacementLength() == 0) {
        m_model.TypeText(bytes);
        m_model.ScrollToCaret();
        return;
    }
    const int32_t caretUnit = UnitOfByte(m_caret);
    const int32_t from = ByteOfUnit(std::max(0, caretUnit + e.replacementStart()));
    const int32_t to =
        ByteOfUnit(std::max(0, caretUnit + e.replacementStart() + e.replacementLength()));
    ApplyEdit(from, std::max(0, to - from), bytes);
}

QVariant TextView::inputMethodQuery(Qt::InputMethodQuery query) const {
    const Spot s = Locate(m_caret);
    const LinePiece& piece = PieceAt(s.line, s.piece);
    switch (query) {
        case Qt::ImEnabled:
            return true;
        case Qt::ImCursorRectangle:
            return CaretRect();
        case Qt::ImFont:
            return font();
        case Qt::ImSurroundingText:
            return piece.Text();
        case Qt::ImCursorPosition:
            return s.ch;
        case Qt::ImAnchorPosition: {
            const int32_t lineStart = LineStartByte(s.line);
            const int32_t rel = std::clamp(m_anchor - lineStart, piece.start, piece.end);
            return piece.CharOfByte(rel);
        }
        case Qt::ImCurrentSelection:
            return SelectedText();
        case Qt::ImHints:
            return static_cast<int>(Qt::ImhMultiLine);
        default:
            return QAbstractScrollArea::inputMethodQuery(query);
    }
}

}  // namespace qdm::ui
