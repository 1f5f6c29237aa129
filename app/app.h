#pragma once
// CmkedApp: start-up and the commands the application serves (New, About, Exit, the recent
// files). The one document holds nothing, so New is the view's initial update again.
#include <QObject>
#include <QStringList>
#include <memory>

#include "app/command_router.h"
#include "app/services.h"

namespace qdm::ui {

class CMainFrame;
class CmkedView;
class IPrompter;
class IFileDialogs;
class IAppearanceDialogs;
class QtPrompter;
class QtFileDialogs;
class QtAppearanceDialogs;
class RecentFiles;

class CmkedApp : public QObject {
    Q_OBJECT
  public:
    explicit CmkedApp(const Services& services = {});
    ~CmkedApp() override;

    // Creates the main window and its view, opens the file named by the first argument (as
    // Open does) and shows the window. False ends the program.
    bool InitInstance(const QStringList& args);

    CMainFrame& MainFrame() { return *m_frame; }
    CmkedView& View();
    const CommandRouter& Router() const { return m_router; }
    RecentFiles& Recent() { return *m_recent; }

    void OnFileNew();
    void OnAppAbout();
    void OnAppExit();
    void OnOpenRecentFile(int index);

  private:
    void RegisterCommands();

    Services m_services;
    std::unique_ptr<QtPrompter> m_ownPrompter;
    std::unique_ptr<QtFileDialogs> m_ownFileDialogs;
    std::unique_ptr<QtAppearanceDialogs> m_ownAppearance;
    std::unique_ptr<RecentFiles> m_recent;
    CommandRouter m_router;
    CommandTarget m_commands;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace qdm::ui
