// Text dropped on the view goes in where it lands, through the model as a paste does.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "editor/ui/text_view.h"

namespace qdm::ui {

void TextView::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasText())
        e->acceptProposedAction();
    else
        e->ignore();
}

void TextView::dragMoveEvent(QDragMoveEvent* e) {
    if (e->mimeData()->hasText())
        e->acceptProposedAction();
    else
        e->ignore();
}

// The view starts no drags of its own, so a drop is always a copy from elsewhere: the
// selection stays where it is, and a refused drop leaves the source its text.
void TextView::dropEvent(QDropEvent* e) {
    if (!e->mimeData()->hasText()) return e->ignore();
    const int32_t at = ByteAt(e->position());
    if (!InsertChars(e->mimeData()->text(), at, at)) return e->ignore();
    e->setDropAction(Qt::CopyAction);
    e->accept();
}

}  // namespace qdm::ui
