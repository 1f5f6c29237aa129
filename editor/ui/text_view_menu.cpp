// The context menu of a TextView and the clipboard work behind it. The document-mirroring
// view's menu is the measure: the same items, names and texts, and the same unrecorded edits.
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMimeData>

#include "editor/ui/text_view.h"
#include "editor/ui/unit_text.h"

namespace qdm::ui {
namespace {

// The texts come from the toolkit's own translations of its text editors' menu.
QString MenuText(const char* source) {
    return QCoreApplication::translate("QWidgetTextControl", source);
}

QAction* AddItem(QMenu* menu, const char* name, const char* source, bool enabled) {
    QAction* a = menu->addAction(MenuText(source));
    a->setObjectName(QLatin1String(name));
    a->setEnabled(enabled);
    return a;
}

bool ClipboardHasText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

}  // namespace

// The keys for cut, copy and paste belong to the window's Edit menu, so the menu shows no
// keys for them; Select All keeps Ctrl+A, which the area handles. The model keeps the history,
// so there is no undo or redo here.
QMenu* TextView::CreateContextMenu(const QPoint&) {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("qt_edit_menu"));
    const bool selected = m_anchor != m_caret;
    connect(AddItem(menu, "edit-cut", "Cu&t", selected), &QAction::triggered, this, &TextView::Cut);
    connect(AddItem(menu, "edit-copy", "&Copy", selected), &QAction::triggered, this,
            &TextView::Copy);
    connect(AddItem(menu, "edit-paste", "&Paste", ClipboardHasText()), &QAction::triggered, this,
            &TextView::Paste);
    connect(AddItem(menu, "edit-delete", "Delete", selected), &QAction::triggered, this,
            &TextView::DeleteSelection);
    menu->addSeparator();
    QAction* all = AddItem(menu, "select-all", "Select All", m_model.Length() > 0);
    all->setText(all->text() + u'\t' +
                 QKeySequence(QKeySequence::SelectAll).toString(QKeySequence::NativeText));
    connect(all, &QAction::triggered, this, [this] { Select(0, m_model.Length()); });
    return menu;
}

void TextView::contextMenuEvent(QContextMenuEvent* e) {
    QMenu* menu = CreateContextMenu(e->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

void TextView::Copy() {
    const int32_t a = std::min(m_anchor, m_caret), b = std::max(m_anchor, m_caret);
    if (a < b) m_model.Clipboard().SetText(m_model.Text().substr(a, b - a));
}

// Cut and Delete leave no record: Undo then refuses instead of guessing, as it does after the
// other view's menu.
void TextView::Cut() {
    m_model.CutSelection();
    m_model.ScrollToCaret();
}

void TextView::DeleteSelection() {
    const int32_t a = std::min(m_anchor, m_caret), b = std::max(m_anchor, m_caret);
    if (a < b) ApplyEdit(a, b - a, {});
}

// The desktop's text, every line break made CR LF; a character GBK cannot hold refuses the
// whole paste and says which.
void TextView::Paste() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || !mime->hasText()) return;
    const int32_t a = std::min(m_anchor, m_caret), b = std::max(m_anchor, m_caret);
    InsertChars(mime->text(), a, b);
}

bool TextView::InsertChars(QString text, int32_t from, int32_t to) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const Encoded enc = EncodeChars(text);
    if (enc.refusedAt >= 0) {
        emit m_events.refused(RefusalMessage(text, enc.refusedAt));
        return false;
    }
    ApplyEdit(from, to - from, enc.bytes);
    return true;
}

}  // namespace qdm::ui
