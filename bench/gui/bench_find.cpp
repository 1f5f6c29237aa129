// 全部替换 in the editor window, driven offscreen: a 20 MB book holding a name 100,000 times,
// replaced through the 查找和替换 dialog's session, until the window has painted the result;
// and the one Undo that restores the text.
//
// Reports the wall time (`ms`) and the process's CPU time during it (`cpu_ms`).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <functional>

#include "app/app.h"
#include "app/main_frame.h"
#include "app/view.h"
#include "bench/common/book_gen.h"
#include "bench/gui/gui_bench.h"
#include "editor/edit_box.h"
#include "editor/ui/edit_area.h"
#include "editor/ui/find_session.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace guibench;

constexpr size_t kNames = 100000;
const char* const kZhangSan = "\xD5\xC5\xC8\xFD";  // 张三

// The generated 20 MB book with 张三 at the start of a line about every 200 bytes.
std::string NamesBook() {
    const std::string book = qdmbench::GenerateBook(20 << 20);
    std::string out;
    out.reserve(book.size() + kNames * 4);
    size_t copied = 0;
    for (size_t placed = 0, p = 0; placed < kNames; ++placed) {
        p = book.find("\r\n", std::max(p, placed * (book.size() / kNames))) + 2;
        out.append(book, copied, p - copied).append(kZhangSan);
        copied = p;
    }
    out.append(book, copied);
    return out;
}

QString BookFile(const QTemporaryDir& dir) {
    const std::string out = NamesBook();
    const QString path = dir.filePath(QStringLiteral("names.txt"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(out.data(), static_cast<qint64>(out.size()));
    return path;
}

// Runs `step` and waits until `window` has painted its result.
void Measure(benchmark::State& state, const std::function<void()>& step, QWidget& window) {
    const auto wall = Clock::now();
    const double cpu = CpuMs();
    step();
    QApplication::processEvents();
    window.repaint();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - wall).count();
    state.SetIterationTime(ms / 1000);
    state.counters["ms"] = ms;
    state.counters["cpu_ms"] = CpuMs() - cpu;
}

void ReplaceAll20MB(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = BookFile(dir);
    Prompter prompter;
    NoFileDialogs files;
    NoAppearanceDialogs appearance;
    // Unsaved text is kept apart from the user's own.
    qdm::ui::CmkedApp app{qdm::ui::Services{&prompter, &files, &appearance},
                          dir.filePath(QStringLiteral("state")).toStdString()};
    app.InitInstance({});
    app.MainFrame().resize(1000, 800);
    app.View().OpenPath(path);
    QApplication::processEvents();
    qdm::ui::FindSession session(app.View().Area(), prompter);
    qdm::ui::FindRequest request;
    request.pattern = QString::fromUtf8("张三");
    request.replacement = QString::fromUtf8("李四四");
    int replaced = 0;
    for (auto _ : state)
        Measure(
            state, [&] { replaced = session.ReplaceAll(request); }, app.MainFrame());
    state.counters["replaced"] = replaced;
    // The one Undo that restores the text, shown.
    bool ok = false;
    const auto wall = Clock::now();
    ok = app.View().Edit().Undo().ok;
    QApplication::processEvents();
    app.MainFrame().repaint();
    state.counters["undo_ms"] =
        std::chrono::duration<double, std::milli>(Clock::now() - wall).count();
    state.counters["undo_ok"] = ok;
}

BENCHMARK(ReplaceAll20MB)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return guibench::RunOffscreen(argc, argv);
}
