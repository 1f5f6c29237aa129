#include "markup/ui/tag_highlighter.h"

#include <QAbstractScrollArea>
#include <QTimer>

#include "editor/ui/edit_area.h"
#include "markup/ui/tag_line_formats.h"

namespace qdm::ui {

TagHighlighter::TagHighlighter(IEditArea& area) : QObject(&area.Widget()), m_area(area) {
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &TagHighlighter::Apply);
    EditAreaEvents& events = area.Events();
    connect(&events, &EditAreaEvents::textChanged, this, &TagHighlighter::Schedule);
    connect(&events, &EditAreaEvents::appearanceChanged, this, &TagHighlighter::Schedule);
    SetEnabled(true);
}

QColor TagHighlighter::KindColor(int32_t kind) {
    return qdm::ui::KindColor(kind);
}

void TagHighlighter::SetEnabled(bool enabled) {
    m_enabled = enabled;
    m_area.SetLineFormatter(enabled ? LineFormatter(&TagLineFormats) : LineFormatter());
    Apply();
}

void TagHighlighter::Schedule() {
    if (m_enabled && !m_timer->isActive()) m_timer->start(0);
}

void TagHighlighter::Apply() {
    m_timer->stop();
    m_area.RefreshFormats();
}

}  // namespace qdm::ui
