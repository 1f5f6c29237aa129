#pragma once
// CmkedApp: start-up and the commands the application serves (New, About, Exit, the recent
// files). The one document holds nothing, so New is the view's initial update again, in a
// text that belongs to no file.
#include <QObject>
#include <QStringList>
#include <memory>
#include <string>

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
class QtEncodingPrompter;
class RecentFiles;
class RecoveryKeeper;
class TerminationWatch;

class CmkedApp : public QObject {
    Q_OBJECT
  public:
    // `recoveryDir`: where unsaved text is kept; empty: $XDG_STATE_HOME/mked.
    explicit CmkedApp(const Services& services = {}, std::string recoveryDir = {});
    ~CmkedApp() override;

    // Creates the main window and its view, opens the file named by the first argument (as
    // Open does), shows the window and offers the unsaved texts that editors which are gone
    // left behind. False ends the program.
    bool InitInstance(const QStringList& args);
    // From now on SIGTERM, SIGINT and SIGHUP keep a modified text for the next start and end
    // the program with 128 + the signal's number.
    void WatchTermination();

    CMainFrame& MainFrame() { return *m_frame; }
    CmkedView& View();
    RecentFiles& Recent() { return *m_recent; }
    RecoveryKeeper& Recovery() { return *m_recovery; }

    void OnFileNew();
    void OnAppAbout();
    void OnAppExit();
    void OnOpenRecentFile(int index);

  private:
    void RegisterCommands();

    Services m_services;
    std::string m_recoveryDir;
    std::unique_ptr<QtPrompter> m_ownPrompter;
    std::unique_ptr<QtFileDialogs> m_ownFileDialogs;
    std::unique_ptr<QtAppearanceDialogs> m_ownAppearance;
    std::unique_ptr<QtEncodingPrompter> m_ownEncoding;
    std::unique_ptr<RecentFiles> m_recent;
    CommandRouter m_router;
    CommandTarget m_commands;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<RecoveryKeeper> m_recovery;
    std::unique_ptr<TerminationWatch> m_termination;
};

}  // namespace qdm::ui
