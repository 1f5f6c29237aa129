// The frame's views of the markup: the outline dock, the tag colours, the problem list and
// their commands. The outline and the colours are remembered in the settings; the outline is
// hidden until first asked for.
#include <QSettings>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/recent_files.h"
#include "app/view.h"
#include "markup/check.h"
#include "markup/ui/outline_dock.h"
#include "markup/ui/problem_dock.h"
#include "markup/ui/tag_highlighter.h"

namespace qdm::ui {
namespace {

const QString kOutlineKey = QStringLiteral("view/outline");
const QString kHighlightKey = QStringLiteral("view/tagHighlight");

void Remember(const QString& key, bool on) {
    QSettings(SettingsOrganization(), SettingsApplication()).setValue(key, on);
}

bool Recalled(const QString& key, bool otherwise) {
    return QSettings(SettingsOrganization(), SettingsApplication()).value(key, otherwise).toBool();
}

}  // namespace

void CMainFrame::CreateMarkupViews() {
    m_outline = new OutlineDock(m_view->Area(), this);
    addDockWidget(Qt::LeftDockWidgetArea, m_outline);
    m_outline->setVisible(Recalled(kOutlineKey, false));
    // Queued: the dock is hidden only once its close event is over.
    connect(
        m_outline, &OutlineDock::closedByUser, this,
        [this] {
            Remember(kOutlineKey, false);
            UpdateCommandUI();
        },
        Qt::QueuedConnection);
    CommandHandler& outline = m_commands.On(ID_VIEW_OUTLINE, [this] {
        const bool show = m_outline->isHidden();
        m_outline->setVisible(show);
        Remember(kOutlineKey, show);
    });
    outline.checked = [this] { return !m_outline->isHidden(); };

    m_highlighter = new TagHighlighter(m_view->Area());
    m_highlighter->SetEnabled(Recalled(kHighlightKey, true));
    CommandHandler& highlight = m_commands.On(ID_VIEW_TAG_HIGHLIGHT, [this] {
        m_highlighter->SetEnabled(!m_highlighter->Enabled());
        Remember(kHighlightKey, m_highlighter->Enabled());
    });
    highlight.checked = [this] { return m_highlighter->Enabled(); };

    m_problems = new ProblemDock(m_view->Area(), this);
    addDockWidget(Qt::BottomDockWidgetArea, m_problems);
    m_problems->hide();
    m_commands.On(ID_CHECK_ALL, [this] { OnCheckAll(); });
}

// Lists every fault without touching the text: unlike QDM检查 it neither renumbers nor moves
// the caret, so it can be run at any moment.
void CMainFrame::OnCheckAll() {
    std::vector<MarkupFault> faults = CheckMarkupAll(m_view->Edit().Text());
    const size_t found = faults.size();
    const bool wasHidden = m_problems->isHidden();
    m_problems->ShowFaults(std::move(faults));
    // The list takes a strip along the bottom, the text keeps most of the window.
    if (wasHidden) resizeDocks({m_problems}, {height() / 5}, Qt::Vertical);
    if (found == 0)
        ShowStatus(QStringLiteral("QDM文件检查正确"));
    else if (found < kMaxMarkupFaults)
        ShowStatus(QStringLiteral("共 %1 处问题").arg(found));
    else
        ShowStatus(QStringLiteral("只列出前 %1 处问题").arg(found));
}

}  // namespace qdm::ui
