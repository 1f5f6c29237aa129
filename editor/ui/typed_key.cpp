#include "editor/ui/typed_key.h"

#include <QKeyEvent>

namespace qdm::ui {

bool TypesText(const QKeyEvent* e) {
    const QString text = e->text();
    if (text.isEmpty() ||
        (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    for (QChar c : text)
        if (!c.isPrint() && c != u'\t' && !c.isSurrogate()) return false;
    return true;
}

}  // namespace qdm::ui
