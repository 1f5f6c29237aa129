// Text dropped on the view goes in where it lands, through the model as a paste does; while it
// is dragged over the view, a caret shows where that is.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "editor/ui/text_view.h"

namespace qdm::ui {

void TextView::dragEnterEvent(QDragEnterEvent* e) {
    dragMoveEvent(e);
}

void TextView::dragMoveEvent(QDragMoveEvent* e) {
    if (!e->mimeData()->hasText()) return e->ignore();
    e->acceptProposedAction();
    ShowDropCaret(ByteAt(e->position()));
}

void TextView::dragLeaveEvent(QDragLeaveEvent* e) {
    ShowDropCaret(-1);
    e->accept();
}

void TextView::ShowDropCaret(int32_t byte) {
    if (byte == m_dropCaret) return;
    if (m_dropCaret >= 0) viewport()->update(RectOfByte(m_dropCaret).adjusted(-2, 0, 2, 0));
    m_dropCaret = byte;
    if (m_dropCaret >= 0) viewport()->update(RectOfByte(m_dropCaret).adjusted(-2, 0, 2, 0));
}

// The view starts no drags of its own, so a drop is always a copy from elsewhere: the
// selection stays where it is, and a refused drop leaves the source its text.
void TextView::dropEvent(QDropEvent* e) {
    ShowDropCaret(-1);
    if (!e->mimeData()->hasText()) return e->ignore();
    const int32_t at = ByteAt(e->position());
    if (!InsertChars(e->mimeData()->text(), at, at)) return e->ignore();
    e->setDropAction(Qt::CopyAction);
    e->accept();
}

}  // namespace qdm::ui
