#include "markup/ui/tag_highlighter.h"

#include <QEvent>
#include <QScrollBar>
#include <QTimer>

#include "editor/ui/edit_widget.h"
#include "markup/scan.h"
#include "markup/tags.h"

namespace qdm::ui {
namespace {

// Marks our selections, so that the ones others set survive an update.
constexpr int kOwnMark = QTextFormat::UserProperty + 0x7A9;

constexpr int32_t kLongestToken = 20;

QTextEdit::ExtraSelection Mark(QTextDocument* doc, int from, int to, int32_t kind, bool bold) {
    QTextEdit::ExtraSelection s;
    s.cursor = QTextCursor(doc);
    s.cursor.setPosition(from);
    s.cursor.setPosition(to, QTextCursor::KeepAnchor);
    s.format.setForeground(TagHighlighter::KindColor(kind));
    if (bold) s.format.setFontWeight(QFont::Bold);
    s.format.setProperty(kOwnMark, true);
    return s;
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
    switch (kind) {
        case TAG_SECTION:
            return QColor(0x1F, 0x4E, 0xB4);
        case TAG_READERNOTE:
            return QColor(0x0A, 0x7F, 0x3F);
        case TAG_AUTHORNOTE:
            return QColor(0x8E, 0x24, 0xAA);
        case TAG_TRANS:
            return QColor(0x00, 0x7C, 0x91);
        default:
            return QColor(0xC6, 0x28, 0x28);
    }
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

void TagHighlighter::Apply() {
    m_timer->stop();
    QList<QTextEdit::ExtraSelection> marks = m_editor.extraSelections();
    const qsizetype before = marks.size();
    marks.removeIf(
        [](const QTextEdit::ExtraSelection& s) { return s.format.hasProperty(kOwnMark); });
    const qsizetype kept = marks.size();
    const bool hadOwn = kept != before;
    if (!m_enabled) {
        if (hadOwn) m_editor.setExtraSelections(marks);
        return;
    }
    // From the start of the first visible line to the end of the last one.
    const QRect area = m_editor.viewport()->rect();
    QTextCursor top = m_editor.cursorForPosition(area.topLeft());
    top.movePosition(QTextCursor::StartOfLine);
    QTextCursor bottom = m_editor.cursorForPosition(area.bottomRight());
    bottom.movePosition(QTextCursor::EndOfLine);
    const ModelMirror& mirror = m_editor.Mirror();
    const std::string_view text = m_editor.Model().Text();
    const int32_t b0 = mirror.ByteOfUnit(top.position());
    const size_t b1 = static_cast<size_t>(mirror.ByteOfUnit(bottom.position()));

    QTextDocument* doc = m_editor.document();
    scan::TagString tag;
    // A tag that starts above the first line may reach into it.
    for (size_t p = scan::FindTagString(text, std::max(0, b0 - kLongestToken + 1), tag);
         p != scan::npos && p < b1; p = scan::FindTagString(text, p + tag.Length(), tag)) {
        const int u = mirror.UnitOfByte(static_cast<int32_t>(p));  // a tag is ASCII: a unit a byte
        const int len = static_cast<int>(scan::TokenLength(text, p));
        const int name = static_cast<int>(tag.Length());
        if (len > name) {  // a numbered section begin tag: the number in bold
            marks << Mark(doc, u, u + name, tag.kind, false)
                  << Mark(doc, u + name, u + len - 1, tag.kind, true)
                  << Mark(doc, u + len - 1, u + len, tag.kind, false);
        } else {
            marks << Mark(doc, u, u + len, tag.kind, false);
        }
    }
    if (hadOwn || marks.size() > kept) m_editor.setExtraSelections(marks);
}

}  // namespace qdm::ui
