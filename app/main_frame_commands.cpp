// The frame's actions, menus, toolbar and recent-file entries, built from the command table.
#include <QFontMetrics>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "app/command_ids.h"
#include "app/command_table.h"
#include "app/main_frame.h"
#include "app/prompt_menu.h"
#include "app/recent_files.h"
#include "app/toolbar_icons.h"

namespace qdm::ui {

void CMainFrame::createActions() {
    for (const CommandInfo& c : CommandTable()) {
        if (c.id == ID_FILE_MRU_FILE1) continue;  // the recent-file entries come and go
        auto* a = new QAction(this);
        QString text = c.text ? QString::fromUtf8(c.text) : QString();
        // The menu shows the first key after a TAB, as the menu resource writes it.
        if (c.text && !c.keys.empty())
            text += u'\t' + QKeySequence(c.keys.front()).toString(QKeySequence::PortableText);
        a->setText(text);
        if (c.prompt) a->setStatusTip(QString::fromUtf8(c.prompt));
        if (c.tip) a->setToolTip(QString::fromUtf8(c.tip));
        a->setProperty("hasTip", c.tip != nullptr);
        a->setProperty("commandId", c.id);
        if (c.button) a->setIcon(ToolbarIcon(c.id));
        a->setIconVisibleInMenu(false);
        connect(a, &QAction::triggered, this, [this, id = c.id] { SendCommand(id); });
        m_actions[c.id] = a;
    }
}

QMenu* CMainFrame::BuildMenu(QMenu* menu, const MenuEntry& popup) {
    for (const MenuEntry& e : popup.items) {
        switch (e.kind) {
            case MenuEntry::Command:
                menu->addAction(m_actions.at(e.id));
                break;
            case MenuEntry::Separator:
                menu->addSeparator();
                break;
            case MenuEntry::Popup: {
                auto* sub = new PromptMenu(QString::fromUtf8(e.title), this);
                menu->addMenu(sub);
                BuildMenu(sub, e);
                break;
            }
            case MenuEntry::RecentFiles:
                m_fileMenu = menu;
                m_recentPlaceholder = menu->addAction(QString::fromUtf8(e.title));
                m_recentPlaceholder->setEnabled(false);
                // The grey entry stands for the recent files: it prompts as they do.
                m_recentPlaceholder->setStatusTip(
                    QString::fromUtf8(FindCommand(ID_FILE_MRU_FILE1)->prompt));
                break;
        }
    }
    // What a command can do is asked again whenever its menu opens.
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    return menu;
}

void CMainFrame::CreateMenus() {
    for (const MenuEntry& popup : MenuBar()) {
        auto* menu = new PromptMenu(QString::fromUtf8(popup.title), this);
        menuBar()->addMenu(menu);
        BuildMenu(menu, popup);
    }
    connect(&m_recent, &RecentFiles::changed, this, &CMainFrame::RebuildRecentFiles);
    RebuildRecentFiles();
}

void CMainFrame::CreateToolBar() {
    m_toolBar = new QToolBar(QStringLiteral("工具栏"), this);
    m_toolBar->setObjectName(QStringLiteral("toolbar"));
    m_toolBar->setIconSize(QSize(16, 15));
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_toolBar->setMovable(true);
    m_toolBar->setFloatable(true);
    for (int id : ToolbarLayout()) {
        if (id == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* a = m_actions.at(id);
        m_toolBar->addAction(a);
        if (QWidget* button = m_toolBar->widgetForAction(a)) button->installEventFilter(this);
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void CMainFrame::RebuildRecentFiles() {
    for (QAction* a : m_recentActions) {
        m_actions.erase(a->property("commandId").toInt());
        delete a;
    }
    m_recentActions.clear();
    const QStringList& files = m_recent.Files();
    m_recentPlaceholder->setVisible(files.isEmpty());
    const QFontMetrics fm(m_fileMenu->font());
    for (int i = 0; i < files.size(); ++i) {
        const int id = ID_FILE_MRU_FILE1 + i;
        QString shown = fm.elidedText(files[i], Qt::ElideMiddle, 50 * fm.averageCharWidth());
        auto* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(
                                  shown.replace(QStringLiteral("&"), QStringLiteral("&&"))),
                              this);
        a->setStatusTip(QString::fromUtf8(FindCommand(ID_FILE_MRU_FILE1)->prompt));
        a->setProperty("commandId", id);
        connect(a, &QAction::triggered, this, [this, id] { SendCommand(id); });
        m_fileMenu->insertAction(m_recentPlaceholder, a);
        m_actions[id] = a;
        m_recentActions << a;
    }
    UpdateCommandUI();
}

}  // namespace qdm::ui
