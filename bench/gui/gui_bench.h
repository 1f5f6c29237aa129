#pragma once
// What the editor-window benchmarks share: the process's CPU clock and memory, the generated
// books, dialog services that answer as a user who cancels would, and a main that runs them
// offscreen with the bundled fonts and settings of their own (a run never touches the user's
// recent files).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <optional>
#include <random>
#include <string>

#include "app/appearance_dialogs.h"
#include "app/resources.h"
#include "editor/gbk.h"
#include "editor/ui/edit_area.h"
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

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Timer {
    Clock::time_point wall = Clock::now();
    double cpu = CpuMs();
    double WallMs() const { return Ms(Clock::now() - wall); }
    double CpuSpent() const { return CpuMs() - cpu; }
};

// Peak resident memory since the last ResetPeak, in MB.
inline double PeakMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

inline void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Resident memory now, in MB.
inline double RssMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// A GBK book: chapter titles and paragraphs of 20-400 common characters with full-width
// punctuation, CR LF line ends; or paragraphs of exactly `paragraphChars` characters.
inline std::string Book(size_t bytes, size_t paragraphChars = 0) {
    std::mt19937 rng(42);
    std::string text;
    text.reserve(bytes + 1024);
    int chapter = 0;
    while (text.size() < bytes) {
        if (paragraphChars == 0 && rng() % 40 == 0)
            text += "\xB5\xDA" + std::to_string(++chapter) + "\xD5\xC2\r\n";  // 第N章
        const size_t n = paragraphChars ? paragraphChars : 20 + rng() % 380;
        text += "\xA1\xA1\xA1\xA1";  // two ideographic spaces
        for (size_t i = 0; i < n; ++i) {
            if (i % 17 == 16) {
                text += (i % 51 == 50) ? "\xA1\xA3" : "\xA3\xAC";  // 。，
                continue;
            }
            text += static_cast<char>(0xB0 + rng() % 40);
            text += static_cast<char>(0xA1 + rng() % 94);
        }
        text += "\r\n";
    }
    return text;
}

inline QTemporaryDir& Dir() {
    static QTemporaryDir dir;
    return dir;
}

// Writes the book once per run and hands back its path and size.
struct Corpus {
    QString path;
    size_t bytes;
};
inline Corpus Write(const char* name, const std::string& bytes) {
    const QString path = Dir().filePath(QString::fromLatin1(name));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return {path, bytes.size()};
}

// Puts the caret at the start of the character or line break at `byte` and shows it near the
// top of the area, as a jump does.
inline void PlaceCaret(qdm::ui::IEditArea& area, int32_t byte) {
    const std::string_view text = area.Model().Text();
    const int32_t lineStart = area.LineStartByte(area.LineOfByte(byte));
    auto at = static_cast<int32_t>(qdm::gbk::BoundaryAtOrAfter(text, static_cast<size_t>(byte),
                                                               static_cast<size_t>(lineStart)));
    if (at > 0 && text[at - 1] == '\r' && static_cast<size_t>(at) < text.size() && text[at] == '\n')
        --at;  // not inside a CR LF
    {
        qdm::ui::EditBatch batch(area);
        area.Model().SetSelection(at, at);
        area.Model().ScrollToCaret();
    }
    area.ShowCaretNearTop();
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
