// GUI tests run on the offscreen platform, with settings kept in a directory of their own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>

#include "app/font_alias.h"
#include "app/recent_files.h"
#include "app/resources.h"
#include "app/translations.h"

int RunRecoveryChild(const QStringList& args);

namespace {

// Every test starts from a user who has set nothing: what one test leaves in the settings
// (recent files, views shown, dialog choices) must not decide another's outcome in any order.
class FreshSettings : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        QSettings settings(qdm::ui::SettingsOrganization(), qdm::ui::SettingsApplication());
        settings.clear();
        settings.sync();
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    qdm::ui::UseBundledFontConfig();
    qdm::ui::RegisterFontAlias(QStringLiteral("宋体"));
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    // Unsaved text of the editors under test stays out of the user's own.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QApplication app(argc, argv);
    // The tests see what the user sees: Qt's texts and the system's reasons in Chinese.
    if (!qdm::ui::UseChinese(app)) {
        std::fprintf(stderr, "Qt's Chinese translations (qtbase_zh_CN.qm) are not installed\n");
        return 1;
    }
    if (argc > 1 && qstrcmp(argv[1], "--recovery-child") == 0)
        return RunRecoveryChild(app.arguments().mid(2));
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSettings);
    return RUN_ALL_TESTS();
}
