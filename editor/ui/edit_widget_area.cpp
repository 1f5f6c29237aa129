// What the rest of the editor asks of the document view: lines are the document's blocks,
// positions the mirror's units turned into model bytes.
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include "editor/ui/block_formats.h"
#include "editor/ui/edit_widget.h"

namespace qdm::ui {

void EditWidget::ForwardEvents() {
    ModelMirror* mirror = m_mirror.get();
    EditAreaEvents* events = &m_events;
    connect(mirror, &ModelMirror::refused, events, &EditAreaEvents::refused);
    connect(mirror, &ModelMirror::textChanged, events, &EditAreaEvents::textChanged);
    connect(mirror, &ModelMirror::bytesReplaced, events, &EditAreaEvents::bytesReplaced);
    connect(mirror, &ModelMirror::textReset, events, &EditAreaEvents::textReset);
    connect(mirror, &ModelMirror::appearanceChanged, events, &EditAreaEvents::appearanceChanged);
    connect(this, &QPlainTextEdit::cursorPositionChanged, events, &EditAreaEvents::caretMoved);
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, events, &EditAreaEvents::viewportChanged);
    // Lines that come on screen get their formats without waiting for the next edit.
    connect(events, &EditAreaEvents::viewportChanged, m_formats.get(), &BlockFormats::Schedule);
}

void EditWidget::resizeEvent(QResizeEvent* e) {
    QPlainTextEdit::resizeEvent(e);
    emit m_events.viewportChanged();
}

void EditWidget::BeginBatch() {
    m_mirror->Begin();
}

void EditWidget::EndBatch() {
    m_mirror->End();
}

void EditWidget::SyncSelectionToModel() {
    m_mirror->SyncSelectionToModel();
}

QString EditWidget::SelectedText() const {
    return textCursor().selectedText();
}

int32_t EditWidget::CaretByte() const {
    return m_mirror->ByteOfUnit(textCursor().position());
}

QRect EditWidget::CaretRect() const {
    return cursorRect();
}

QRect EditWidget::SelectionRect() const {
    QTextCursor from = textCursor();
    QTextCursor to = from;
    from.setPosition(from.selectionStart());
    to.setPosition(to.selectionEnd());
    return cursorRect(from).united(cursorRect(to));
}

QString EditWidget::ShownText() const {
    return document()->toRawText();
}

int32_t EditWidget::LineCount() const {
    return document()->blockCount();
}

int32_t EditWidget::LineOfByte(int32_t byte) const {
    return document()->findBlock(m_mirror->UnitOfByte(byte)).blockNumber();
}

int32_t EditWidget::LineStartByte(int32_t line) const {
    const QTextBlock block = document()->findBlockByNumber(line);
    return block.isValid() ? m_mirror->ByteOfUnit(block.position()) : -1;
}

std::pair<int32_t, int32_t> EditWidget::VisibleBytes() const {
    const QRect area = viewport()->rect();
    const QTextBlock first = cursorForPosition(area.topLeft()).block();
    const QTextBlock last = cursorForPosition(area.bottomRight()).block();
    return {m_mirror->ByteOfUnit(first.position()),
            m_mirror->ByteOfUnit(last.position() + last.length())};
}

void EditWidget::SetLineFormatter(LineFormatter formatter) {
    m_formats->SetFormatter(std::move(formatter));
}

void EditWidget::RefreshFormats() {
    m_formats->Refresh();
}

QList<QTextLayout::FormatRange> EditWidget::LineFormats(int32_t line) const {
    const QTextBlock block = document()->findBlockByNumber(line);
    return block.isValid() && block.layout() ? block.layout()->formats()
                                             : QList<QTextLayout::FormatRange>{};
}

}  // namespace qdm::ui
