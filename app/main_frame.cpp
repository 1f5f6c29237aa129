#include "app/main_frame.h"

#include <QCloseEvent>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/accelerators.h"
#include "app/command_ids.h"
#include "app/lock_indicators.h"
#include "app/toolbar_icons.h"
#include "app/view.h"

namespace qdm::ui {

CMainFrame::CMainFrame(const Services& services, const CommandRouter& router, RecentFiles& recent)
    : m_router(router), m_recent(recent) {
    setWindowIcon(AppIcon());
    createActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    RegisterCommands();

    m_view = new CmkedView(services, this);
    setCentralWidget(m_view);
    setWindowTitle(m_view->Caption());
    connect(m_view, &CmkedView::captionChanged, this, &QWidget::setWindowTitle);
    connect(m_view, &CmkedView::commandStateChanged, this, &CMainFrame::UpdateCommandUI);
    connect(m_view, &CmkedView::statusMessage, this, &CMainFrame::ShowStatus);
    connect(m_view, &CmkedView::fitFrameRequested, this, &CMainFrame::FitToView);
    CreateMarkupViews();

    auto* keys = new AcceleratorFilter(*this, [this](int id) { SendCommand(id); });
    keys->setParent(this);
    connect(keys, &AcceleratorFilter::menuKeyPressed, this, [this] {
        const QList<QAction*> menus = menuBar()->actions();
        if (!menus.isEmpty()) menuBar()->setActiveAction(menus.first());
    });
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::Action(int id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::RegisterCommands() {
    CommandHandler& toolbar =
        m_commands.On(ID_VIEW_TOOLBAR, [this] { m_toolBar->setVisible(m_toolBar->isHidden()); });
    toolbar.checked = [this] { return !m_toolBar->isHidden(); };
    CommandHandler& status = m_commands.On(
        ID_VIEW_STATUS_BAR, [this] { statusBar()->setVisible(statusBar()->isHidden()); });
    status.checked = [this] { return !statusBar()->isHidden(); };
    // The view is the only pane: moving to the next or previous pane lands on it again.
    m_commands.On(ID_NEXT_PANE, [this] { m_view->setFocus(Qt::OtherFocusReason); });
    m_commands.On(ID_PREV_PANE, [this] { m_view->setFocus(Qt::OtherFocusReason); });
}

void CMainFrame::SendCommand(int id) {
    m_router.Run(id);
    UpdateCommandUI();
}

void CMainFrame::UpdateCommandUI() {
    for (auto& [id, action] : m_actions) {
        action->setEnabled(m_router.IsEnabled(id));
        const bool checkable = m_router.IsCheckable(id);
        action->setCheckable(checkable);
        if (checkable) action->setChecked(m_router.IsChecked(id));
    }
}

void CMainFrame::CreateStatusBar() {
    m_messagePane = new QLabel(QStringLiteral("就绪"));
    // Temporary messages (prompts, refusals) cover the pane while they are shown.
    statusBar()->addWidget(m_messagePane, 1);
    m_locks = new LockIndicators(*statusBar());
}

void CMainFrame::ShowStatus(const QString& text) {
    // A message given before the window first shows (a file named on the command line) would
    // be drawn over the pane that showing brings back: it waits until the window is up.
    if (!isVisible()) {
        QTimer::singleShot(0, this, [this, text] { statusBar()->showMessage(text, 8000); });
        return;
    }
    statusBar()->showMessage(text, 8000);
}

void CMainFrame::FitToView(const QSize& size) {
    if (isMaximized() || isFullScreen()) return;
    if (QLayout* l = layout()) l->activate();
    const QSize view = centralWidget() ? centralWidget()->size() : size;
    const int dw = std::max(0, view.width() - size.width());
    const int dh = std::max(0, view.height() - size.height());
    if (dw > 0 || dh > 0) resize(width() - dw, height() - dh);
}

void CMainFrame::WidenForToolBar() {
    if (m_toolBar->isHidden() || isMaximized() || isFullScreen()) return;
    // The toolbar area's margins come on top of the bar's own size.
    const int need =
        m_toolBar->sizeHint().width() + 2 * style()->pixelMetric(QStyle::PM_ToolBarFrameWidth) + 8;
    const QScreen* s = screen();
    const int room = s ? s->availableGeometry().width() - 16 : need;
    if (width() < need) resize(std::min(need, room), height());
}

// Exit and the close box both end here.
void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_view->MayReplaceText()) {
        event->ignore();
        return;
    }
    emit closeAccepted();
    QMainWindow::closeEvent(event);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // Buttons of commands without a prompt string show no tooltip either.
    if (event->type() == QEvent::ToolTip) {
        if (auto* button = qobject_cast<QToolButton*>(watched)) {
            QAction* action = button->defaultAction();
            if (action && !action->property("hasTip").toBool()) return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace qdm::ui
