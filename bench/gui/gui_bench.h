#pragma once
// What the editor-window benchmarks share: the process's CPU clock, dialog services that
// answer as a user who cancels would, and a main that runs them offscreen with the bundled
// fonts and settings of their own (a run never touches the user's recent files).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <optional>

#include "app/appearance_dialogs.h"
#include "app/resources.h"
#include "uikit/file_dialogs.h"
#include "uikit/prompter.h"

namespace guibench {

// User and system CPU time of the whole process, in ms.
inline double CpuMs() {
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(u.ru_utime) + ms(u.ru_stime);
}

// Counts the boxes shown and answers each question with its escape button.
struct Prompter : qdm::ui::IPrompter {
    int boxes = 0;
    QString last;  // the last message's text
    void Message(const QString& text, const QString&) override {
        ++boxes;
        last = text;
    }
    int Ask(const QString&, const QString&, const QStringList&, int escape) override {
        ++boxes;
        return escape;
    }
};
struct NoFileDialogs : qdm::ui::IFileDialogs {
    std::optional<QString> Choose(const qdm::ui::FileDialogRequest&) override { return {}; }
};
struct NoAppearanceDialogs : qdm::ui::IAppearanceDialogs {
    std::optional<qdm::ui::FontChoice> ChooseFont(const qdm::ui::FontRequest&) override {
        return {};
    }
    std::optional<uint32_t> ChooseColor(uint32_t) override { return {}; }
};

inline int RunOffscreen(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qdm::ui::UseBundledFontConfig();
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace guibench
