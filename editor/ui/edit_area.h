#pragma once
// What the rest of the editor asks of the on-screen edit area. The model (CEditBox) stays the
// truth: the area shows its bytes and feeds the user's edits back through the model's recording
// operations. Docks, commands, find and the tests talk to this interface only, never to the
// widget class behind it, so the view can change without touching them.
#include <QAbstractScrollArea>
#include <QList>
#include <QObject>
#include <QRect>
#include <QString>
#include <QTextLayout>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>

#include "editor/edit_box.h"

class QMenu;
class QWidget;

namespace qdm::ui {

// The notifications of an edit area, one object per area.
class EditAreaEvents : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

  signals:
    // A character GBK cannot hold was refused; the message says which.
    void refused(const QString& message);
    // The model's text changed, by either side; told once per batch.
    void textChanged();
    // Told at once, batch or not: bytes [pos, pos + removed) became `inserted` bytes.
    void bytesReplaced(int32_t pos, int32_t removed, int32_t inserted);
    // Told at once: the whole text was replaced.
    void textReset();
    // The model's font or colours changed.
    void appearanceChanged();
    // What is on screen may have changed: scrolled, resized, wrapped anew.
    void viewportChanged();
    // The caret or the selection the user sees moved.
    void caretMoved();
};

// Extra formats for one line (the tag colours): `text` is the model's text, [lineStart,
// lineEnd) the line's bytes without its break; ranges are in the line's characters, one per
// unit as the area shows them.
using LineFormatter = std::function<QList<QTextLayout::FormatRange>(
    std::string_view text, int32_t lineStart, int32_t lineEnd)>;

class IEditArea {
  public:
    virtual ~IEditArea() = default;

    virtual QAbstractScrollArea& Widget() = 0;
    virtual CEditBox& Model() = 0;
    virtual EditAreaEvents& Events() = 0;

    // Model changes made between BeginBatch and EndBatch reach the screen once, at the
    // outermost EndBatch: a whole-text rewrite followed by a caret move costs one update.
    virtual void BeginBatch() = 0;
    virtual void EndBatch() = 0;
    // Makes the selection the user sees the model's, so model operations start from it.
    virtual void SyncSelectionToModel() = 0;

    // Draws with the model's font and colours again (after its text colour was set).
    virtual void ApplyAppearance() = 0;
    // Scrolls so that the caret's line stands near the top of the area, with a little of the
    // text before it: where a jump lands, the reader goes on downwards.
    virtual void ShowCaretNearTop() = 0;
    // The context menu a right click at `pos` (viewport coordinates) opens; the caller owns it.
    virtual QMenu* CreateContextMenu(const QPoint& pos) = 0;

    virtual QString SelectedText() const = 0;
    // The caret as the user sees it: its byte in the model, its rectangle in the viewport.
    virtual int32_t CaretByte() const = 0;
    virtual QRect CaretRect() const = 0;
    // The rectangle around both ends of the selection, in the viewport (the caret's when
    // nothing is selected): where a dialog must not stand.
    virtual QRect SelectionRect() const = 0;
    // What the area shows, one character per unit, every line break as U+2029: what tests
    // compare with the model's text.
    virtual QString ShownText() const = 0;

    // Lines as the area shows them, counted from 0 (CR LF, lone CR and lone LF each end one).
    virtual int32_t LineCount() const = 0;
    virtual int32_t LineOfByte(int32_t byte) const = 0;
    // The byte line `line` starts at; -1 for a line the text does not have.
    virtual int32_t LineStartByte(int32_t line) const = 0;
    // The bytes of the lines on screen, [first, last).
    virtual std::pair<int32_t, int32_t> VisibleBytes() const = 0;
    // Asked for every line the area draws; empty: no extra formats.
    virtual void SetLineFormatter(LineFormatter formatter) = 0;
    // Draws again what is on screen, after the formatter's answers changed.
    virtual void RefreshFormats() = 0;
    // The extra formats line `line` is drawn with now; a line far off screen may have none.
    virtual QList<QTextLayout::FormatRange> LineFormats(int32_t line) const = 0;

    // Runs a command on the model: it starts from the selection the user sees, and the area
    // is brought up to date once, when the command returns.
    template <class Work>
    auto RunCommand(Work&& work);
};

// BeginBatch/EndBatch of an area for one scope.
class EditBatch {
  public:
    explicit EditBatch(IEditArea& area) : m_area(area) { m_area.BeginBatch(); }
    ~EditBatch() { m_area.EndBatch(); }
    EditBatch(const EditBatch&) = delete;
    EditBatch& operator=(const EditBatch&) = delete;

  private:
    IEditArea& m_area;
};

template <class Work>
auto IEditArea::RunCommand(Work&& work) {
    EditBatch batch(*this);
    SyncSelectionToModel();
    return std::forward<Work>(work)();
}

// The edit area over `model`: a view drawn straight from the model's bytes.
std::unique_ptr<IEditArea> CreateEditArea(CEditBox& model, QWidget* parent);

}  // namespace qdm::ui
