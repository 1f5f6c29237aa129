// 全部替换 in the editor window, driven offscreen: a 20 MB book holding a name 100,000 times,
// replaced through the 查找和替换 dialog's session, until the window has painted the result;
// and the one Undo that restores the text.
//
// WidgetTakesReplacedBook measures the edit widget alone taking in the same change, the two
// ways a mirror can hand it over: /0 the replaced text into the cleared document (what the
// window does), /1 every match edited in place within one edit block. It bounds what
// 全部替换 can reach while the widget holds a block per line.
//
// Reports the wall time (`ms`) and the process's CPU time during it (`cpu_ms`).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <chrono>
#include <functional>

#include "app/app.h"
#include "app/main_frame.h"
#include "app/view.h"
#include "bench/common/book_gen.h"
#include "bench/gui/gui_bench.h"
#include "editor/edit_box.h"
#include "editor/find.h"
#include "editor/replace.h"
#include "editor/ui/edit_area.h"
#include "editor/ui/find_session.h"
#include "editor/ui/streamed_insert.h"
#include "editor/ui/unit_text.h"

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

void WidgetTakesReplacedBook(benchmark::State& state) {
    const std::string book = NamesBook();
    qdm::CEditBox model;
    model.SetText(book);
    const char* const kLiSi = "\xC0\xEE\xCB\xC4\xCB\xC4";  // 李四四
    qdm::ReplaceAll(model, qdm::CTextFinder(kZhangSan, {}), kLiSi);
    const std::string replaced(model.Text());

    QPlainTextEdit view;
    view.resize(1000, 800);
    view.document()->setUndoRedoEnabled(false);
    view.setPlainText(qdm::ui::DecodeUnits(book));
    view.show();
    QApplication::processEvents();
    const QString from = qdm::ui::DecodeUnits(kZhangSan), to = qdm::ui::DecodeUnits(kLiSi);
    std::vector<int> matches;
    const QString shown = view.document()->toRawText();
    for (qsizetype at = shown.indexOf(from); at >= 0; at = shown.indexOf(from, at + from.size()))
        matches.push_back(static_cast<int>(at));

    auto take = [&] {
        QTextCursor c(view.document());
        if (state.range(0) == 0) {
            view.document()->clear();
            qdm::ui::InsertUnitsStreamed(c, replaced);
            return;
        }
        c.beginEditBlock();
        int shift = 0;
        for (const int at : matches) {
            c.setPosition(at + shift);
            c.setPosition(at + shift + static_cast<int>(from.size()), QTextCursor::KeepAnchor);
            c.insertText(to);
            shift += static_cast<int>(to.size() - from.size());
        }
        c.endEditBlock();
    };
    for (auto _ : state) Measure(state, take, view);
    state.counters["matches"] = static_cast<double>(matches.size());
    state.counters["blocks"] = view.document()->blockCount();
}

BENCHMARK(WidgetTakesReplacedBook)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return guibench::RunOffscreen(argc, argv);
}
