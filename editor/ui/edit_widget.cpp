#include "editor/ui/edit_widget.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>

#include "editor/codec.h"
#include "editor/ui/block_formats.h"
#include "editor/ui/typed_key.h"
#include "editor/ui/unit_text.h"

namespace qdm::ui {
namespace {

QColor FromRgb(uint32_t rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb | 0xFF000000u));
}

}  // namespace

void EditWidget::ShowCaretNearTop() {
    constexpr int kLinesAbove = 2;
    ensureCursorVisible();  // across, for a long line
    const QTextCursor caret = textCursor();
    const QTextBlock block = caret.block();
    // The scroll bar counts lines as shown: a wrapped block takes several.
    int line = block.firstLineNumber();
    if (const QTextLayout* layout = block.layout(); layout && layout->lineCount() > 0)
        line += layout->lineForTextPosition(caret.positionInBlock()).lineNumber();
    verticalScrollBar()->setValue(std::max(0, line - kLinesAbove));
}

EditWidget::EditWidget(CEditBox& model, QWidget* parent) : QPlainTextEdit(parent), m_model(model) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_mirror = std::make_unique<ModelMirror>(m_model, *this);
    m_formats = std::make_unique<BlockFormats>(*this, *m_mirror);
    connect(m_mirror.get(), &ModelMirror::appearanceChanged, this, &EditWidget::ApplyAppearance);
    ForwardEvents();
    ApplyAppearance();
}

EditWidget::~EditWidget() = default;

void EditWidget::ApplyAppearance() {
    QFont font(QString::fromStdString(gbk::ToUtf8(m_model.GetFontFace())));
    font.setPointSizeF(m_model.m_fontSize / 10.0);
    setFont(font);
    QPalette pal = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Text, FromRgb(m_model.m_textColor));
        pal.setColor(group, QPalette::Base, FromRgb(m_model.m_bgColor));
    }
    setPalette(pal);
    viewport()->update();
}

// The keys for cut, copy and paste belong to the window's Edit menu, where those commands are
// disabled, so in the edit area they do nothing: the context menu must not promise them. The
// widget's own undo and redo are never available (the model keeps the history; Ctrl+Z is the
// window's Undo), so they are not offered either.
QMenu* EditWidget::CreateContextMenu(const QPoint& pos) {
    QMenu* menu = createStandardContextMenu(pos);
    for (QAction* a : menu->actions()) {
        const QString name = a->objectName();
        if (name == u"edit-undo" || name == u"edit-redo") {
            menu->removeAction(a);
        } else if (name == u"edit-cut" || name == u"edit-copy" || name == u"edit-paste") {
            a->setText(a->text().section(u'\t', 0, 0));
            a->setShortcut({});
        }
    }
    const QList<QAction*> left = menu->actions();
    if (!left.isEmpty() && left.first()->isSeparator()) menu->removeAction(left.first());
    return menu;
}

void EditWidget::contextMenuEvent(QContextMenuEvent* e) {
    QMenu* menu = CreateContextMenu(e->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

bool EditWidget::Refuses(QStringView text) {
    const Encoded enc = EncodeChars(text);
    if (enc.refusedAt < 0) return false;
    emit m_events.refused(RefusalMessage(text, enc.refusedAt));
    return true;
}

// ---- keys ------------------------------------------------------------------------------------

void EditWidget::keyPressEvent(QKeyEvent* e) {
    m_mirror->Flush();
    const Qt::KeyboardModifiers mods =
        e->modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
    const bool plain = (mods & ~Qt::ShiftModifier) == Qt::NoModifier;
    const int key = e->key();
    if (key == Qt::Key_Delete && mods == Qt::NoModifier)
        PressDelete();
    else if (key == Qt::Key_Backspace && plain)
        PressBackspace();
    else if ((key == Qt::Key_Return || key == Qt::Key_Enter) && plain)
        TypeLineBreak();
    else if (TypesText(e))
        TypeKeyText(e);
    else
        QPlainTextEdit::keyPressEvent(e);
    m_mirror->Flush();
}

// The model records from its own bytes before the key takes effect; the widget then removes
// exactly one character (one unit) or the selection, which is what the record describes.
void EditWidget::PressDelete() {
    m_mirror->SyncSelectionToModel();
    m_model.OnKeyDown(kVkDelete);
    QTextCursor c = textCursor();
    if (!c.hasSelection() && c.position() < document()->characterCount() - 1)
        c.setPosition(c.position() + 1, QTextCursor::KeepAnchor);
    if (c.hasSelection()) c.removeSelectedText();
    setTextCursor(c);
}

void EditWidget::PressBackspace() {
    m_mirror->SyncSelectionToModel();
    m_model.OnKeyDown(kVkBack);
    QTextCursor c = textCursor();
    if (!c.hasSelection() && c.position() > 0)
        c.setPosition(c.position() - 1, QTextCursor::KeepAnchor);
    if (c.hasSelection()) c.removeSelectedText();
    setTextCursor(c);
    // The character message that follows the key; the model swallows it.
    m_model.OnCharBegin();
    m_model.OnCharEnd();
}

void EditWidget::TypeLineBreak() {
    m_mirror->SyncSelectionToModel();
    m_model.OnCharBegin();
    QTextCursor c = textCursor();
    c.insertText(QString(kLineBreak));
    setTextCursor(c);
    m_model.OnCharEnd();
}

void EditWidget::TypeKeyText(QKeyEvent* e) {
    if (Refuses(e->text())) return;
    m_mirror->SyncSelectionToModel();
    m_model.OnCharBegin();
    QPlainTextEdit::keyPressEvent(e);
    m_model.OnCharEnd();
}

void EditWidget::inputMethodEvent(QInputMethodEvent* e) {
    m_mirror->Flush();
    const QString commit = e->commitString();
    if (!commit.isEmpty() && Refuses(commit)) {
        QInputMethodEvent cleared;  // ends the composition without inserting anything
        QPlainTextEdit::inputMethodEvent(&cleared);
        return;
    }
    m_mirror->SyncSelectionToModel();
    if (commit.isEmpty() && !e->preeditString().isEmpty() && textCursor().hasSelection()) {
        // Composing over a selection takes the selection out first, as a typed character
        // would; the record lets Undo bring it back.
        int32_t start, end;
        m_model.GetSelection(start, end);
        std::string selected;
        m_model.GetSelectedText(selected);
        m_model.RecordEdit(kDeleteSelection, start, std::move(selected), {});
    }
    // A commit that also rewrites text around the caret is not a typed character.
    const bool typed = !commit.isEmpty() && e->replacementLength() == 0;
    if (typed) m_model.OnCharBegin();
    QPlainTextEdit::inputMethodEvent(e);
    if (typed) m_model.OnCharEnd();
    m_mirror->Flush();
}

// ---- paste and drop: no record; the model's change generation moves on by itself ----------

void EditWidget::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) return;
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    text.replace(kLineBreak, u'\n');
    if (Refuses(text)) return;
    QMimeData plain;
    plain.setText(text);
    QPlainTextEdit::insertFromMimeData(&plain);
    m_mirror->Flush();
}

void EditWidget::dropEvent(QDropEvent* e) {
    // Refused before anything moves: a move inside the widget would otherwise cut the text
    // from its old place and then fail to put it in the new one.
    if (e->mimeData()->hasText() && Refuses(e->mimeData()->text())) {
        e->ignore();
        return;
    }
    QPlainTextEdit::dropEvent(e);
    m_mirror->Flush();
}

}  // namespace qdm::ui
