#include "markup/ui/tag_highlighter.h"

#include <QEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include "editor/ui/edit_widget.h"
#include "markup/scan.h"
#include "markup/tags.h"

namespace qdm::ui {
namespace {

constexpr int32_t kLongestToken = 20;
// Blocks scrolled away keep their colours until this many carry them; then those off screen
// are cleared (they are coloured again when they come back).
constexpr size_t kKeptBlocks = 2000;

QTextLayout::FormatRange Range(int from, int to, int32_t kind, bool bold) {
    QTextLayout::FormatRange r;
    r.start = from;
    r.length = to - from;
    r.format.setForeground(TagHighlighter::KindColor(kind));
    if (bold) r.format.setFontWeight(QFont::Bold);
    return r;
}

}  // namespace

TagHighlighter::TagHighlighter(EditWidget& editor) : QObject(&editor), m_editor(editor) {
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &TagHighlighter::Apply);
    connect(editor.verticalScrollBar(), &QScrollBar::valueChanged, this, &TagHighlighter::Schedule);
    connect(editor.horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &TagHighlighter::Schedule);
    connect(&editor.Mirror(), &ModelMirror::textChanged, this, &TagHighlighter::Schedule);
    connect(&editor.Mirror(), &ModelMirror::appearanceChanged, this, &TagHighlighter::Schedule);
    editor.viewport()->installEventFilter(this);
}

QColor TagHighlighter::KindColor(int32_t kind) {
    const TagKind* k = KindByNumber(kind);
    return QColor::fromRgb(k ? k->rgb : KindByNumber(TAG_EMPH)->rgb);
}

void TagHighlighter::SetEnabled(bool enabled) {
    m_enabled = enabled;
    Apply();
}

bool TagHighlighter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) Schedule();
    return QObject::eventFilter(watched, event);
}

void TagHighlighter::Schedule() {
    if (!m_timer->isActive()) m_timer->start(0);
}

// The tag colours of the lines on screen, per block, relative to the block's start.
std::vector<TagHighlighter::BlockRanges> TagHighlighter::VisibleRanges() const {
    const QRect area = m_editor.viewport()->rect();
    const QTextBlock first = m_editor.cursorForPosition(area.topLeft()).block();
    QTextCursor bottom = m_editor.cursorForPosition(area.bottomRight());
    bottom.movePosition(QTextCursor::EndOfLine);
    std::vector<BlockRanges> out;
    for (QTextBlock b = first; b.isValid() && b.position() <= bottom.position(); b = b.next())
        out.push_back({b, {}});
    if (out.empty()) return out;

    const ModelMirror& mirror = m_editor.Mirror();
    const int32_t b0 = mirror.ByteOfUnit(first.position());
    const size_t b1 = static_cast<size_t>(mirror.ByteOfUnit(bottom.position()));
    // The search stops with the screen, not at the next tag however far below it lies.
    std::string_view text = m_editor.Model().Text();
    text = text.substr(0, std::min(text.size(), b1 + kLongestToken));
    size_t row = 0;
    scan::TagString tag;
    for (size_t p = scan::FindTagString(text, std::max(0, b0 - kLongestToken + 1), tag);
         p != scan::npos && p < b1; p = scan::FindTagString(text, p + tag.Length(), tag)) {
        const int u = mirror.UnitOfByte(static_cast<int32_t>(p));  // a tag is ASCII: a unit a byte
        while (row + 1 < out.size() && out[row + 1].block.position() <= u) ++row;
        const int at = u - out[row].block.position();
        if (at < 0) continue;  // above the first line
        const int len = static_cast<int>(scan::TokenLength(text, p));
        const int name = static_cast<int>(tag.Length());
        auto& ranges = out[row].ranges;
        if (len > name) {  // a numbered section begin tag: the number in bold
            ranges << Range(at, at + name, tag.kind, false)
                   << Range(at + name, at + len - 1, tag.kind, true)
                   << Range(at + len - 1, at + len, tag.kind, false);
        } else {
            ranges << Range(at, at + len, tag.kind, false);
        }
    }
    return out;
}

void TagHighlighter::SetRanges(QTextBlock block, const QList<QTextLayout::FormatRange>& ranges) {
    QTextLayout* layout = block.layout();
    if (!layout || layout->formats() == ranges) return;
    layout->setFormats(ranges);
    // Laid out again: a bold number is wider.
    m_editor.document()->markContentsDirty(block.position(), block.length());
}

void TagHighlighter::Apply() {
    m_timer->stop();
    std::vector<BlockRanges> visible;
    if (m_enabled) visible = VisibleRanges();
    // Blocks coloured before and now off screen (or all of them, when turned off) are cleared
    // once too many carry colours.
    if (!m_enabled || m_coloured.size() > kKeptBlocks) {
        for (const QTextBlock& b : m_coloured)
            if (b.isValid()) SetRanges(b, {});
        m_coloured.clear();
    }
    for (BlockRanges& v : visible) {
        if (!v.ranges.isEmpty() && v.block.layout()->formats().isEmpty())
            m_coloured.push_back(v.block);
        SetRanges(v.block, v.ranges);
    }
}

}  // namespace qdm::ui
