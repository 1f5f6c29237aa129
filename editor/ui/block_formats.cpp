#include "editor/ui/block_formats.h"

#include <QPlainTextEdit>
#include <QTimer>

#include "editor/ui/model_mirror.h"

namespace qdm::ui {
namespace {

// Blocks scrolled away keep their formats until this many carry them; then those off screen
// are cleared (they are formatted again when they come back).
constexpr size_t kKeptBlocks = 2000;

}  // namespace

BlockFormats::BlockFormats(QPlainTextEdit& view, const ModelMirror& mirror)
    : QObject(&view), m_view(view), m_mirror(mirror) {
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &BlockFormats::Refresh);
}

void BlockFormats::SetFormatter(LineFormatter formatter) {
    m_formatter = std::move(formatter);
    if (!m_formatter) ClearColoured();
}

void BlockFormats::Schedule() {
    if (m_formatter && !m_timer->isActive()) m_timer->start(0);
}

std::vector<QTextBlock> BlockFormats::VisibleBlocks() const {
    const QRect area = m_view.viewport()->rect();
    const QTextBlock first = m_view.cursorForPosition(area.topLeft()).block();
    QTextCursor bottom = m_view.cursorForPosition(area.bottomRight());
    bottom.movePosition(QTextCursor::EndOfLine);
    std::vector<QTextBlock> out;
    for (QTextBlock b = first; b.isValid() && b.position() <= bottom.position(); b = b.next())
        out.push_back(b);
    return out;
}

// The formatter's answer for a block: its bytes without the line break.
QList<QTextLayout::FormatRange> BlockFormats::FormatsOf(const QTextBlock& block) const {
    const int32_t start = m_mirror.ByteOfUnit(block.position());
    const int32_t end = m_mirror.ByteOfUnit(block.position() + block.length() - 1);
    return m_formatter(m_mirror.Text(), start, end);
}

void BlockFormats::SetRanges(const QTextBlock& block,
                             const QList<QTextLayout::FormatRange>& ranges) {
    QTextLayout* layout = block.layout();
    if (!layout || layout->formats() == ranges) return;
    layout->setFormats(ranges);
    // Laid out again: a bold number is wider.
    m_view.document()->markContentsDirty(block.position(), block.length());
}

void BlockFormats::ClearColoured() {
    for (const QTextBlock& b : m_coloured)
        if (b.isValid()) SetRanges(b, {});
    m_coloured.clear();
}

void BlockFormats::Refresh() {
    m_timer->stop();
    if (!m_formatter) return;
    if (m_coloured.size() > kKeptBlocks) ClearColoured();
    for (const QTextBlock& b : VisibleBlocks()) {
        const QList<QTextLayout::FormatRange> ranges = FormatsOf(b);
        if (!ranges.isEmpty() && b.layout()->formats().isEmpty()) m_coloured.push_back(b);
        SetRanges(b, ranges);
    }
}

}  // namespace qdm::ui
