#pragma once
// An edit area drawn straight from the model's bytes: it keeps no copy of the text, only the
// unit index and the layouts of the lines near the screen (TextLayouts). Every edit goes
// through the model's recording operations, and the model tells the view what changed.
#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QPainter>
#include <QRegion>
#include <optional>
#include <vector>

#include "editor/edit_box.h"
#include "editor/ui/edit_area.h"
#include "editor/ui/text_view_layout.h"
#include "editor/unit_index.h"

namespace qdm::ui {

class TextView : public QAbstractScrollArea, public IEditArea, private IEditObserver {
    Q_OBJECT
  public:
    explicit TextView(CEditBox& model, QWidget* parent = nullptr);
    ~TextView() override;

    // ---- IEditArea ---------------------------------------------------------------------------
    QAbstractScrollArea& Widget() override { return *this; }
    CEditBox& Model() override { return m_model; }
    EditAreaEvents& Events() override { return m_events; }
    void BeginBatch() override { ++m_batch; }
    void EndBatch() override;
    // The model owns the selection: there is nothing of the user's to hand over.
    void SyncSelectionToModel() override {}
    void ApplyAppearance() override;
    void ShowCaretNearTop() override;
    QMenu* CreateContextMenu(const QPoint& pos) override;
    QString SelectedText() const override;
    int32_t CaretByte() const override { return m_caret; }
    QRect CaretRect() const override { return RectOfByte(m_caret); }
    // The rectangle around both ends of the selection (the caret's when nothing is selected).
    QRect SelectionRect() const override;
    // The whole text as the view shows it: laid-out lines as laid out, the others decoded
    // from the bytes, every line break as U+2029.
    QString ShownText() const override;
    int32_t LineCount() const override { return m_index.Lines(); }
    int32_t LineOfByte(int32_t byte) const override;
    int32_t LineStartByte(int32_t line) const override;
    std::pair<int32_t, int32_t> VisibleBytes() const override;
    void SetLineFormatter(LineFormatter formatter) override;
    void RefreshFormats() override;
    // The extra formats line `line` is drawn with now; none for a line not laid out.
    QList<QTextLayout::FormatRange> LineFormats(int32_t line) const override;

    // ---- what the view shows -----------------------------------------------------------------
    struct ShownLine {
        int32_t line;
        int32_t firstChar;  // of the line: pieces above the screen are not laid out
        QString chars;      // as laid out, one character per unit, without the line break
    };
    // Every line drawn on the screen now, in order.
    std::vector<ShownLine> ShownLines() const;
    int32_t AnchorByte() const { return m_anchor; }
    // The byte of the unit boundary nearest to a point of the viewport.
    int32_t ByteAt(QPointF point) const;
    // The rectangle of the character at `byte` in the viewport; empty when off screen.
    QRectF CharRect(int32_t byte) const;
    int32_t UnitOfByte(int32_t byte) const { return m_index.UnitOfByte(m_model.Text(), byte); }
    int32_t ByteOfUnit(int32_t unit) const { return m_index.ByteOfUnit(m_model.Text(), unit); }
    int32_t Units() const { return m_index.Units(); }
    // Places the selection (the caret at `caret`) in the model and scrolls to the caret.
    void Select(int32_t anchor, int32_t caret);
    // The first line on screen.
    int32_t TopLine() const { return m_top.line; }
    // Scrolls by `dy` pixels (negative: up).
    void ScrollBy(qreal dy);
    // Where a drag over the view would drop its text; -1 when none is over it.
    int32_t DropCaretByte() const { return m_dropCaret; }
    // Characters laid out now, on screen or near it.
    int64_t LaidOutChars() const { return m_layouts.LaidOutChars(); }

  protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    // Tab types a tab character, as in the other view; it does not move the focus.
    bool focusNextPrevChild(bool) override { return false; }

  private:
    // A row position: pixels `y` down piece `piece` of line `line`.
    struct Pos {
        int32_t line = 0;
        size_t piece = 0;
        qreal y = 0;
        bool operator==(const Pos&) const = default;
    };
    // Where a byte is drawn: character `ch` of piece `piece` of line `line`.
    struct Spot {
        int32_t line = 0;
        size_t piece = 0;
        int ch = 0;
    };

    // IEditObserver
    void OnTextReplaced(int32_t pos, int32_t removedLen, int32_t insertedLen) override;
    void OnTextReset() override;
    void OnSelectionChanged() override;
    void OnScrollToCaret() override;
    void OnAppearanceChanged() override;
    // Tells assistive technology that bytes [pos, pos + insertedLen) replaced what made the
    // text `oldUnits` characters long.
    void TellReplaced(int32_t pos, int32_t insertedLen, int32_t oldUnits);
    // Carries out what a batch postponed, once no batch is open.
    void Settle();
    // An edit the view makes itself through CEditBox::ApplyWidgetEdit, which tells no one.
    void ApplyEdit(int32_t pos, int32_t removed, const std::string& bytes);
    // What an edit leaves to paint: the piece laid out again (only it when its height and its
    // end stayed), or everything from a line down.
    void MarkPieceDirty(int32_t line, size_t piece, qreal oldHeight, int32_t oldEnd);
    void MarkDirtyFrom(int32_t line);
    // Paints what changed since the last time: all of it after a scroll, else the marked
    // parts and the rows of the old and the new selection.
    void Repaint();
    QRect SelectionRows(int32_t anchor, int32_t caret) const;
    // A laid-out piece of line `line` with its part of the selection, its top left at `origin`.
    void DrawPiece(QPainter& painter, int32_t line, const LinePiece& piece, QPointF origin,
                   const QRectF& clip) const;

    // ---- geometry (text_view_geometry.cpp) ------------------------------------------------
    LinePiece& PieceAt(int32_t line, size_t piece) const;
    // All the pieces of the line: finding them lays out the whole line once.
    size_t PieceCount(int32_t line) const;
    bool HasPiece(int32_t line, size_t piece) const;
    bool Next(Pos& p) const;  // to the next piece; false at the end of the text
    bool Prev(Pos& p) const;  // to the previous piece
    Pos Advanced(Pos p, qreal dy) const;
    // The top as far down as it may go: the end of the text no higher than the bottom.
    Pos Clamped(Pos top) const;
    void SetTop(Pos top);
    Spot Locate(int32_t byte) const;
    int32_t ByteOfSpot(const Spot& s) const;
    // The y of the top of piece (line, piece) in the viewport, if within `reach` pixels.
    std::optional<qreal> PieceY(int32_t line, size_t piece, qreal reach) const;
    void EnsureCaretVisible();
    QPointF Origin() const;
    // Where a caret at `byte` stands in the viewport; placed by lines when off screen.
    QRect RectOfByte(int32_t byte) const;
    qreal ViewHeight() const;
    void UpdateScrollBar();
    void KeepNearbyLayouts();

    // ---- input (text_view_input.cpp) ---------------------------------------------------------
    bool Refuses(QStringView text);
    void TypeKeyText(const QString& text);
    bool Navigate(QKeyEvent* e);
    int32_t RowMove(int32_t byte, int rows);
    int32_t RowEdge(int32_t byte, bool end) const;
    // The next word boundary after (or before) `byte`; at a line's end, the next unit.
    int32_t WordEdge(int32_t byte, bool forward) const;
    // Ctrl+Backspace and Ctrl+Delete: the selection, or up to the word boundary, taken out
    // with no record, as the document-mirroring view's widget did.
    void DeleteWord(bool forward);
    int32_t PageMove(int32_t byte, int direction);
    void MoveCaret(int32_t byte, bool extend);
    void SelectWordAt(int32_t byte);
    void SelectLineAt(int32_t byte);
    void DragTo(QPointF point);
    void TakeSelection(int32_t start, int32_t end);
    void ReplacePreedit(const QInputMethodEvent& e);

    // ---- clipboard (text_view_menu.cpp) ------------------------------------------------------
    void Copy();
    void Cut();
    void Paste();
    void DeleteSelection();
    // Bytes [from, to) replaced by `text` with no record, as a paste; refused with the usual
    // message, changing nothing, when GBK cannot hold a character of it.
    bool InsertChars(QString text, int32_t from, int32_t to);

    // ---- drops (text_view_drop.cpp) ----------------------------------------------------------
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    // Shows the caret of a drag at `byte` (-1: none).
    void ShowDropCaret(int32_t byte);

    CEditBox& m_model;
    EditAreaEvents m_events;
    UnitIndex m_index;
    mutable TextLayouts m_layouts;
    Pos m_top;
    int32_t m_anchor = 0;
    int32_t m_caret = 0;
    qreal m_goalX = -1;  // the x Up and Down keep; -1: the caret's own

    int m_batch = 0;
    bool m_selectionPending = false;
    bool m_scrollPending = false;
    bool m_textChangedPending = false;
    bool m_settingBar = false;

    QRegion m_dirty;
    bool m_fullRepaint = true;
    Pos m_paintedTop;
    int32_t m_paintedAnchor = 0;
    int32_t m_paintedCaret = 0;
    bool m_textDirty = false;

    bool m_caretOn = true;
    QBasicTimer m_blink;
    QBasicTimer m_autoScroll;
    QPointF m_dragPoint;
    int32_t m_dropCaret = -1;
    bool m_dragging = false;
    QElapsedTimer m_sinceDoubleClick;
    QPointF m_doubleClickPoint;
};

}  // namespace qdm::ui
