#include "app/app.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include "app/about_dialog.h"
#include "app/appearance_dialogs.h"
#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/recent_files.h"
#include "app/recovery_keeper.h"
#include "app/termination.h"
#include "app/view.h"
#include "editor/ui/encoding_dialog.h"
#include "uikit/file_dialogs.h"
#include "uikit/prompter.h"
#include "uikit/window_place.h"

namespace qdm::ui {

CmkedApp::CmkedApp(const Services& services, std::string recoveryDir)
    : m_services(services), m_recoveryDir(std::move(recoveryDir)) {
    if (m_recoveryDir.empty()) m_recoveryDir = qdm::DefaultRecoveryDir();
}

// The keeper and the watch refer to the view: they go first.
CmkedApp::~CmkedApp() {
    m_termination.reset();
    m_recovery.reset();
}

CmkedView& CmkedApp::View() {
    return m_frame->View();
}

bool CmkedApp::InitInstance(const QStringList& args) {
    // Settings (the recent-file list) live under these two names.
    QCoreApplication::setOrganizationName(SettingsOrganization());
    QCoreApplication::setApplicationName(SettingsApplication());
    m_recent = std::make_unique<RecentFiles>();

    if (!m_services.prompter)
        m_services.prompter = (m_ownPrompter = std::make_unique<QtPrompter>(nullptr)).get();
    if (!m_services.files)
        m_services.files = (m_ownFileDialogs = std::make_unique<QtFileDialogs>(nullptr)).get();
    if (!m_services.appearance)
        m_services.appearance =
            (m_ownAppearance = std::make_unique<QtAppearanceDialogs>(nullptr)).get();

    if (!m_services.encoding)
        m_services.encoding = (m_ownEncoding = std::make_unique<QtEncodingPrompter>(nullptr)).get();
    m_services.recent = m_recent.get();
    m_frame = std::make_unique<CMainFrame>(m_services, m_router, *m_recent);
    if (m_ownPrompter) m_ownPrompter->SetOwner(m_frame.get());
    if (m_ownFileDialogs) m_ownFileDialogs->SetOwner(m_frame.get());
    if (m_ownAppearance) m_ownAppearance->SetOwner(m_frame.get());
    if (m_ownEncoding) m_ownEncoding->SetOwner(m_frame.get());

    // Commands go to the view first, then the frame, then the application.
    m_router.Append(&View().Commands());
    m_router.Append(&m_frame->Commands());
    RegisterCommands();
    m_router.Append(&m_commands);

    // The window opens at the platform's usual size, then shrinks to fit the view's form.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        m_frame->resize(screen->availableSize() * 3 / 4);
    View().OnInitialUpdate();
    m_frame->UpdateCommandUI();
    m_frame->WidenForToolBar();
    // In the middle of the screen rather than wherever it would land: the questions of
    // start-up (a kept text, a book's encoding) are centred on it before it has been placed.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        CentreOn(m_frame.get(), screen->availableGeometry());

    // Shown before the book comes in: the edit area takes its width from an empty text. A
    // width change over a big text has the widget create a layout for every line (hundreds of
    // bytes each, kept until the line goes).
    m_frame->show();
    m_frame->activateWindow();
    View().setFocus();

    const QString file = args.isEmpty() ? QString() : args.first();
    if (!file.isEmpty()) View().OpenPath(file);

    m_recovery = std::make_unique<RecoveryKeeper>(View(), *m_services.prompter, m_recoveryDir);
    connect(m_frame.get(), &CMainFrame::closeAccepted, m_recovery.get(),
            &RecoveryKeeper::EndCleanly);
    m_recovery->Start();
    return true;
}

void CmkedApp::WatchTermination() {
    m_termination = std::make_unique<TerminationWatch>([this](int signo) {
        if (m_recovery) m_recovery->WriteNow();
        QCoreApplication::exit(128 + signo);
    });
}

void CmkedApp::RegisterCommands() {
    m_commands.On(ID_FILE_NEW, [this] { OnFileNew(); });
    m_commands.On(ID_APP_ABOUT, [this] { OnAppAbout(); });
    m_commands.On(ID_APP_EXIT, [this] { OnAppExit(); });
    for (int i = 0; i < RecentFiles::kSize; ++i) {
        CommandHandler& h =
            m_commands.On(ID_FILE_MRU_FILE1 + i, [this, i] { OnOpenRecentFile(i); });
        h.enabled = [this, i] { return i < m_recent->Files().size(); };
    }
}

// The introduction text comes back once a modified text has been saved or let go.
void CmkedApp::OnFileNew() {
    if (!View().MayReplaceText()) return;
    View().StartUnnamedText();
}

void CmkedApp::OnAppAbout() {
    CAboutDlg about(m_frame.get());
    about.exec();
}

void CmkedApp::OnAppExit() {
    m_frame->close();
}

void CmkedApp::OnOpenRecentFile(int index) {
    if (index >= m_recent->Files().size()) return;
    const QString path = m_recent->Files().at(index);
    if (!View().MayReplaceText()) return;
    // A file that can no longer be read leaves the list, once the user has been told.
    if (!View().OpenPath(path)) m_recent->Remove(path);
}

}  // namespace qdm::ui
