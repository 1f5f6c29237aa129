#pragma once
// CMainFrame: the main window with the menu bar, the dockable toolbar and the status bar,
// all built from the command table, around the one view.
#include <QMainWindow>
#include <map>

#include "app/command_router.h"

class QLabel;
class QMenu;
class QToolBar;

namespace qdm::ui {

class CmkedView;
class OutlineDock;
class ProblemDock;
class TagHighlighter;
class RecentFiles;
class LockIndicators;
struct Services;

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    CMainFrame(const Services& services, const CommandRouter& router, RecentFiles& recent);
    ~CMainFrame() override;

    CmkedView& View() { return *m_view; }
    const CommandTarget& Commands() const { return m_commands; }
    QAction* Action(int id) const;
    QToolBar* ToolBar() const { return m_toolBar; }
    // Wide enough for every toolbar button where the screen allows: none hides behind the
    // toolbar's overflow button (a window of three quarters of a screen at a large scale
    // factor is too narrow for them).
    void WidenForToolBar();
    QLabel* MessagePane() const { return m_messagePane; }
    OutlineDock& Outline() const { return *m_outline; }
    TagHighlighter& Highlighter() const { return *m_highlighter; }
    ProblemDock& Problems() const { return *m_problems; }

    // Enables, disables and checks every command as the routing says.
    void UpdateCommandUI();
    // Runs a command sent by a key or a button, as routing allows.
    void SendCommand(int id);
    void ShowStatus(const QString& text);

  signals:
    // The window is closing for good: the user has kept or let go of the text.
    void closeAccepted();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void createActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void RegisterCommands();
    // The outline, the tag colours and the problem list, and their commands.
    void CreateMarkupViews();
    void OnCheckAll();
    QMenu* BuildMenu(QMenu* menu, const struct MenuEntry& popup);
    void RebuildRecentFiles();
    // Shrinks the window so that the view is no larger than `size`; never enlarges it.
    void FitToView(const QSize& size);

    const CommandRouter& m_router;
    RecentFiles& m_recent;
    CommandTarget m_commands;
    std::map<int, QAction*> m_actions;
    CmkedView* m_view = nullptr;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_messagePane = nullptr;
    LockIndicators* m_locks = nullptr;
    OutlineDock* m_outline = nullptr;
    TagHighlighter* m_highlighter = nullptr;
    ProblemDock* m_problems = nullptr;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentPlaceholder = nullptr;
    QList<QAction*> m_recentActions;
};

}  // namespace qdm::ui
