// The editor window on big books, driven offscreen: opening and showing, a keystroke in the
// middle, Check, Save and automatic sectioning, with the peak memory of each; the outline's
// reading after opening, after automatic sectioning and after typing. Opening and typing run
// with the tag colours off (argument 0) and on (1).
//
//   build/bench_editor                                  all of them
//   build/bench_editor --benchmark_filter=Open100MB     one
//
// Each step reports its wall time (`ms`, or `median_ms` for keystrokes) and the CPU time of
// the whole process during it (`cpu_ms`): on a machine shared with other work the first
// grows, the second does not. `peak_MB` is the peak resident memory from the window's
// creation to the end of the step; the books are written to disk and dropped before.
#include <benchmark/benchmark.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/main_frame.h"
#include "app/view.h"
#include "bench/common/book_gen.h"
#include "bench/gui/gui_bench.h"
#include "editor/codec.h"
#include "editor/edit_box.h"
#include "editor/ui/edit_area.h"
#include "editor/ui/encoding_dialog.h"
#include "markup/auto_section.h"
#include "markup/ui/outline_dock.h"
#include "markup/ui/outline_model.h"
#include "markup/ui/tag_highlighter.h"

namespace {

using namespace guibench;

std::string Sectioned(const std::string& book) {
    qdm::CEditBox box;
    box.SetHistoryEnabled(false);
    box.SetText(book);
    qdm::AutoSection(box);
    return std::string(box.Text());
}

// The encoding dialog as a user who presses 转换 at once meets it: built, previewed, accepted.
struct AcceptEncoding : qdm::ui::IEncodingPrompter {
    std::optional<qdm::ui::ConfirmedText> Ask(const QString& path, std::string_view bytes,
                                              qdm::Encoding detected) override {
        qdm::ui::EncodingDialog dialog(nullptr, path, bytes, detected);
        return dialog.TakeResult();
    }
};

// A shown editor window of a usual size.
struct Window {
    Prompter prompter;
    NoFileDialogs files;
    NoAppearanceDialogs appearance;
    AcceptEncoding encoding;
    // Unsaved text is kept apart from the user's own.
    qdm::ui::CmkedApp app{qdm::ui::Services{&prompter, &files, &appearance, nullptr, &encoding},
                          Dir().filePath(QStringLiteral("state")).toStdString()};

    Window() {
        ResetPeak();
        app.InitInstance({});
        app.MainFrame().resize(1000, 800);
        Paint();
    }
    // As `mked BOOK` starts: the book opened by the start-up itself.
    explicit Window(const QString& book) {
        ResetPeak();
        app.InitInstance({book});
        Paint();
    }
    qdm::ui::CmkedView& view() { return app.View(); }
    qdm::ui::OutlineDock& outline() { return app.MainFrame().Outline(); }
    void SetTagColours(bool on) { app.MainFrame().Highlighter().SetEnabled(on); }
    qdm::ui::IEditArea& area() { return view().Area(); }
    QAbstractScrollArea& widget() { return area().Widget(); }
    void Paint() {
        QApplication::processEvents();
        app.MainFrame().repaint();
    }
    // After a keystroke the event loop paints what the edit made dirty: the changed line, or
    // the whole text area when lines moved.
    void PaintDirty() {
        QApplication::sendPostedEvents();
        QApplication::processEvents();
    }
    void CaretToMiddle() {
        PlaceCaret(area(), view().Edit().Length() / 2);
        Paint();
    }
    bool CaretVisible() { return widget().viewport()->rect().intersects(area().CaretRect()); }
};

void Report(benchmark::State& state, const Timer& t, size_t fileBytes) {
    const double ms = t.WallMs();
    state.SetIterationTime(ms / 1000.0);
    state.counters["ms"] = ms;
    state.counters["cpu_ms"] = t.CpuSpent();
    state.counters["file_MB"] = fileBytes / 1e6;
    state.counters["peak_MB"] = PeakMb();
    state.counters["peak_limit_MB"] = 8 * fileBytes / 1e6 + 100;
}

void Open(benchmark::State& state, const Corpus& book, bool colours = true) {
    for (auto _ : state) {
        Window w;
        w.SetTagColours(colours);
        const double before = RssMb();
        const Timer t;
        w.view().OpenPath(book.path);
        w.Paint();
        Report(state, t, book.bytes);
        const double held = RssMb() - before;
        state.counters["held_MB"] = held;
        state.counters["held_per_file"] = held / (static_cast<double>(book.bytes) / (1 << 20));
        state.counters["lines"] = w.area().LineCount();
        w.app.MainFrame().resize(900, 800);
        w.Paint();
        state.counters["after_resize_MB"] = RssMb() - before;
    }
}

// `mked BOOK`, from the start to the first paint, then a change of the window's width.
void StartWith(benchmark::State& state, const Corpus& book) {
    for (auto _ : state) {
        const double before = RssMb();
        const Timer t;
        Window w(book.path);
        Report(state, t, book.bytes);
        const double held = RssMb() - before;
        state.counters["held_MB"] = held;
        state.counters["held_per_file"] = held / (static_cast<double>(book.bytes) / (1 << 20));
        state.counters["lines"] = w.area().LineCount();
        w.app.MainFrame().resize(w.app.MainFrame().width() - 100, w.app.MainFrame().height());
        w.Paint();
        state.counters["after_resize_MB"] = RssMb() - before;
    }
}

void StartWith100MBGeneratedBook(benchmark::State& state) {
    StartWith(state, Write("generated100.txt", qdmbench::GenerateBook(100'000'000)));
}

void StartWith100MBLinesOf100(benchmark::State& state) {
    StartWith(state, Write("lines100.txt", Book(100'000'000, 47)));
}

// Paragraphs of 20 to 400 characters, about 420 bytes a line.
void Open100MB(benchmark::State& state) {
    Open(state, Write("book100.txt", Book(100'000'000)), state.range(0) != 0);
}

const Corpus& Sectioned100MB() {
    static const Corpus book = Write("sectioned100.txt", Sectioned(Book(100'000'000)));
    return book;
}

void OpenSectioned100MB(benchmark::State& state) {
    Open(state, Sectioned100MB(), state.range(0) != 0);
}

// The markup benchmark's book: median line about 100 bytes, some short, some of several KB.
void Open100MBGeneratedBook(benchmark::State& state) {
    Open(state, Write("generated100.txt", qdmbench::GenerateBook(100'000'000)));
}

// Lines of exactly N bytes: the indent, (N - 6) / 2 characters and CR LF.
void Open100MBLinesOf(benchmark::State& state) {
    const size_t chars = (static_cast<size_t>(state.range(0)) - 6) / 2;
    Open(state, Write("lines100.txt", Book(100'000'000, chars)));
}

// The same book in UTF-8 (about 1.5 times the bytes): detection, the encoding dialog accepted,
// conversion, showing.
void Open100MBUtf8(benchmark::State& state) {
    const Corpus book = Write("book100.utf8.txt", qdm::gbk::ToUtf8(Book(100'000'000)));
    for (auto _ : state) {
        Window w;
        const Timer t;
        w.view().OpenPath(book.path);
        w.Paint();
        Report(state, t, book.bytes);
    }
}

// Typing a character and painting, then taking it out again, in the middle of the book.
void Keystrokes(benchmark::State& state, const Corpus& book, bool colours = true) {
    for (auto _ : state) {
        Window w;
        w.SetTagColours(colours);
        w.view().OpenPath(book.path);
        w.CaretToMiddle();
        std::vector<double> wall, cpu;
        for (int i = 0; i < 41; ++i) {
            const bool type = i % 2 == 0;
            QKeyEvent press(QEvent::KeyPress, type ? Qt::Key_unknown : Qt::Key_Backspace,
                            Qt::NoModifier, type ? QStringLiteral("字") : QString());
            const Timer t;
            QApplication::sendEvent(&w.widget(), &press);
            w.PaintDirty();
            // The first insertion grows the model's buffer once; it is reported on its own.
            if (i == 0) {
                state.counters["first_ms"] = t.WallMs();
                continue;
            }
            wall.push_back(t.WallMs());
            cpu.push_back(t.CpuSpent());
        }
        std::sort(wall.begin(), wall.end());
        std::sort(cpu.begin(), cpu.end());
        state.SetIterationTime(wall[wall.size() / 2] / 1000.0);
        state.counters["median_ms"] = wall[wall.size() / 2];
        state.counters["median_cpu_ms"] = cpu[cpu.size() / 2];
        state.counters["max_ms"] = wall.back();
        state.counters["file_MB"] = book.bytes / 1e6;
        state.counters["peak_MB"] = PeakMb();
    }
}

void Keystroke100MB(benchmark::State& state) {
    Keystrokes(state, Write("book100.txt", Book(100'000'000)), state.range(0) != 0);
}

void KeystrokeSectioned100MB(benchmark::State& state) {
    Keystrokes(state, Sectioned100MB(), state.range(0) != 0);
}

// One paragraph of N characters, laid out again whole at every keystroke.
void KeystrokeGiantLine(benchmark::State& state) {
    Keystrokes(state, Write("giant.txt", Book(1'000'000, static_cast<size_t>(state.range(0)))));
}

void Check20MB(benchmark::State& state) {
    const Corpus book = Write("sectioned.qdm", Sectioned(Book(20'000'000)));
    for (auto _ : state) {
        Window w;
        w.view().OpenPath(book.path);
        w.CaretToMiddle();
        const Timer t;
        w.view().OnCheckMarkup();
        w.Paint();
        Report(state, t, book.bytes);
        state.counters["caret_visible"] = w.CaretVisible();
        state.counters["boxes"] = w.prompter.boxes;
    }
}

void Save20MB(benchmark::State& state) {
    const Corpus book = Write("sectioned.txt", Sectioned(Book(20'000'000)));
    for (auto _ : state) {
        Window w;
        w.view().OpenPath(book.path);
        w.CaretToMiddle();
        const Timer t;
        w.view().OnFileSave();  // checks, then writes sectioned.qdm
        w.Paint();
        Report(state, t, book.bytes);
        state.counters["caret_visible"] = w.CaretVisible();
        state.counters["written_MB"] = QFile(Dir().filePath("sectioned.qdm")).size() / 1e6;
    }
}

void AutoProcess20MB(benchmark::State& state) {
    const Corpus book = Write("plain20.txt", Book(20'000'000));
    for (auto _ : state) {
        Window w;
        w.view().OpenPath(book.path);
        const Timer t;
        w.view().OnAutoProcess();
        w.Paint();
        Report(state, t, book.bytes);
    }
}

// The outline's reading of a whole book until its rows are painted: `ms`; `sections` rows.
void ReportOutline(benchmark::State& state, Window& w, const Timer& t) {
    const double ms = t.WallMs();
    state.SetIterationTime(ms / 1000.0);
    state.counters["ms"] = ms;
    state.counters["cpu_ms"] = t.CpuSpent();
    state.counters["sections"] = w.outline().Model().rowCount();
    state.counters["peak_MB"] = PeakMb();
}

Window& WithOutline(Window& w) {
    w.outline().show();
    w.Paint();
    return w;
}

// Lines of realistic lengths: a 28 MB book becomes about 150,000 sections.
const Corpus& ShortLines28MB() {
    static const Corpus book = Write("lines28.txt", qdmbench::GenerateBook(28'000'000));
    return book;
}
const Corpus& ShortLinesSectioned28MB() {
    static const Corpus book = Write("lines28.qdm", Sectioned(qdmbench::GenerateBook(28'000'000)));
    return book;
}

void OutlineAfterOpen(benchmark::State& state) {
    const Corpus& book = ShortLinesSectioned28MB();
    for (auto _ : state) {
        Window w;
        WithOutline(w);
        w.view().OpenPath(book.path);
        w.Paint();  // the outline reads the book at the first turn of the event loop...
        const Timer t;
        w.outline().Model().Rebuild();  // ...which is timed on its own here, with the paint
        w.Paint();
        ReportOutline(state, w, t);
    }
}

void OutlineAfterAutoProcess(benchmark::State& state) {
    const Corpus& book = ShortLines28MB();
    for (auto _ : state) {
        Window w;
        WithOutline(w);
        w.view().OpenPath(book.path);
        w.Paint();
        w.view().OnAutoProcess();
        const Timer t;
        w.outline().Refresh();
        w.Paint();
        ReportOutline(state, w, t);
    }
}

// The outline catching up with a keystroke in the middle of the book (arg 0: a character, which
// only moves offsets; arg 1: a tag completed by the keystroke, which reads the book again).
void OutlineAfterKeystroke(benchmark::State& state) {
    const Corpus& book = ShortLinesSectioned28MB();
    for (auto _ : state) {
        Window w;
        WithOutline(w);
        w.view().OpenPath(book.path);
        w.CaretToMiddle();
        if (state.range(0)) {
            QKeyEvent lt(QEvent::KeyPress, Qt::Key_Less, Qt::NoModifier, QStringLiteral("<"));
            QApplication::sendEvent(&w.widget(), &lt);
            for (QChar c : QStringLiteral("vemph")) {
                QKeyEvent k(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QApplication::sendEvent(&w.widget(), &k);
            }
            w.outline().Refresh();
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                        state.range(0) ? QStringLiteral(">") : QStringLiteral("字"));
        QApplication::sendEvent(&w.widget(), &press);
        const Timer t;
        w.outline().Refresh();
        w.Paint();
        ReportOutline(state, w, t);
    }
}

BENCHMARK(Open100MB)->Arg(0)->Arg(1)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenSectioned100MB)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Keystroke100MB)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(KeystrokeSectioned100MB)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(OutlineAfterOpen)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(OutlineAfterAutoProcess)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(OutlineAfterKeystroke)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(StartWith100MBGeneratedBook)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(StartWith100MBLinesOf100)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Open100MBGeneratedBook)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Open100MBLinesOf)
    ->Arg(100)
    ->Arg(400)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Open100MBUtf8)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(KeystrokeGiantLine)
    ->Arg(64 * 1024)
    ->Arg(512 * 1024)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Check20MB)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Save20MB)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(AutoProcess20MB)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return guibench::RunOffscreen(argc, argv);
}
