// The edit area on big books, through IEditArea only: opening until painted, the memory the
// open book holds (and after three changes of the window's width), a keystroke in the middle
// and in a line of 512,000 characters, 全部替换 and its Undo (also of 的 in a book that holds
// it as often as a novel does, and after three width changes), 自动处理 with the outline shown,
// QDM文件检查, 全部检查, 保存 and a refused Undo on a sectioned 100 MB book, Page Down and
// Ctrl+End.
//
// `ms` is the wall time of a step until painted, `cpu_ms` the CPU time of the whole process
// during it. After a key or a command the window paints as the event loop paints it, only what
// the step left dirty (`median_painted_share`: the part of the edit area that took);
// `held_per_file` is the resident memory the open book added, over its size.
#include <benchmark/benchmark.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/view.h"
#include "bench/gui/gui_bench.h"
#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "editor/ui/edit_area.h"
#include "editor/ui/find_session.h"
#include "markup/auto_section.h"
#include "markup/ui/outline_dock.h"
#include "markup/ui/outline_model.h"

namespace {

using namespace guibench;

// A shown editor window of a usual size.
struct Window {
    Prompter prompter;
    NoFileDialogs files;
    NoAppearanceDialogs appearance;
    qdm::ui::CmkedApp app{qdm::ui::Services{&prompter, &files, &appearance},
                          Dir().filePath(QStringLiteral("state")).toStdString()};

    Window() {
        app.InitInstance({});
        app.MainFrame().resize(1000, 800);
        Paint();
    }
    qdm::ui::IEditArea& area() { return app.View().Area(); }
    void Paint() {
        QApplication::processEvents();
        app.MainFrame().repaint();
    }
    void Open(const Corpus& book) {
        app.View().OpenPath(book.path);
        Paint();
    }
    // The caret at the character at `byte`, shown.
    void CaretAt(int32_t byte) {
        PlaceCaret(area(), byte);
        Paint();
    }
    // A key as the event loop delivers it, then what the loop paints after it: only what the
    // key left dirty, as in the editor (the update requests are posted events). Opening a book
    // repaints the whole window in the editor too.
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(&area().Widget(), &press);
        PaintWhatChanged();
    }
    void PaintWhatChanged() {
        QApplication::sendPostedEvents();
        QApplication::processEvents();
    }
    void ChangeWidthThreeTimes() {
        for (const int width : {900, 1100, 1000}) {
            app.MainFrame().resize(width, 800);
            Paint();
        }
    }
};

// The pixels of the edit area painted since the last look, so a figure shows that the step was
// painted and how much of the area it took.
struct PaintedArea : QObject {
    QWidget& viewport;
    int64_t pixels = 0;

    explicit PaintedArea(qdm::ui::IEditArea& area) : viewport(*area.Widget().viewport()) {
        viewport.installEventFilter(this);
    }
    ~PaintedArea() override { viewport.removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            for (const QRect& r : static_cast<QPaintEvent*>(e)->region())
                pixels += static_cast<int64_t>(r.width()) * r.height();
        return false;
    }
    // Painted since the last call, over the whole area.
    double Share() {
        const double share = static_cast<double>(pixels) / (viewport.width() * viewport.height());
        pixels = 0;
        return share;
    }
};

void Report(benchmark::State& state, const Timer& t) {
    const double ms = t.WallMs();
    state.SetIterationTime(ms / 1000.0);
    state.counters["ms"] = ms;
    state.counters["cpu_ms"] = t.CpuSpent();
}

double PerFile(double mb, const Corpus& book) {
    return mb / (static_cast<double>(book.bytes) / (1 << 20));
}

// Opening until painted, then three changes of the window's width.
void Open(benchmark::State& state, const Corpus& book) {
    for (auto _ : state) {
        Window w;
        const double before = RssMb();
        const Timer t;
        w.Open(book);
        Report(state, t);
        state.counters["file_MB"] = book.bytes / 1e6;
        state.counters["lines"] = w.area().LineCount();
        state.counters["held_per_file"] = PerFile(RssMb() - before, book);
        w.ChangeWidthThreeTimes();
        state.counters["held_per_file_resized"] = PerFile(RssMb() - before, book);
    }
}

void Open100MBLinesOf420(benchmark::State& state) {
    Open(state, Write("lines420.txt", Book(100'000'000, (420 - 6) / 2)));
}

void Open100MBLinesOf100(benchmark::State& state) {
    Open(state, Write("lines100.txt", Book(100'000'000, (100 - 6) / 2)));
}

// Typing a character (Enter: a line break) and taking it out again at `byte`, painted each
// time; the median.
void Keystrokes(benchmark::State& state, const Corpus& book, double where, bool enter = false) {
    for (auto _ : state) {
        Window w;
        w.Open(book);
        w.CaretAt(static_cast<int32_t>(w.area().Model().Length() * where));
        PaintedArea painted(w.area());
        std::vector<double> wall, cpu, share;
        for (int i = 0; i < 41; ++i) {
            const bool type = i % 2 == 0;
            painted.Share();
            const Timer t;
            const Qt::Key key = enter ? Qt::Key_Return : Qt::Key_unknown;
            w.Key(type ? key : Qt::Key_Backspace, Qt::NoModifier,
                  type && !enter ? QStringLiteral("字") : QString());
            if (i == 0) continue;  // the first grows the model's buffer once
            wall.push_back(t.WallMs());
            cpu.push_back(t.CpuSpent());
            share.push_back(painted.Share());
        }
        std::sort(wall.begin(), wall.end());
        std::sort(cpu.begin(), cpu.end());
        std::sort(share.begin(), share.end());
        state.counters["median_painted_share"] = share[share.size() / 2];
        state.SetIterationTime(wall[wall.size() / 2] / 1000.0);
        state.counters["median_ms"] = wall[wall.size() / 2];
        state.counters["median_cpu_ms"] = cpu[cpu.size() / 2];
        state.counters["max_ms"] = wall.back();
    }
}

void KeystrokeMiddleOf100MB(benchmark::State& state) {
    Keystrokes(state, Write("lines420.txt", Book(100'000'000, (420 - 6) / 2)), 0.5);
}

// One line of 512,000 characters (and its indent) between ordinary ones; the caret in its
// middle.
void KeystrokeIn512000CharacterLine(benchmark::State& state) {
    const std::string before = Book(200'000), after = Book(200'000);
    const std::string book = before + Book(1, 512'000) + after;
    const double middle = (before.size() + 512'000.0) / static_cast<double>(book.size());
    Keystrokes(state, Write("giant_line.txt", book), middle);
}

// The same line cut in two by Enter in its middle and joined again by Backspace.
void EnterIn512000CharacterLine(benchmark::State& state) {
    const std::string before = Book(200'000), after = Book(200'000);
    const std::string book = before + Book(1, 512'000) + after;
    const double middle = (before.size() + 512'000.0) / static_cast<double>(book.size());
    Keystrokes(state, Write("giant_line.txt", book), middle, true);
}

// `count` lines of the book, spread evenly, start with the needle (the book needs as many).
std::string WithNeedles(std::string book, const std::string& needle, size_t count) {
    std::string out;
    out.reserve(book.size() + count * needle.size());
    size_t copied = 0;
    for (size_t placed = 0, p = 0; placed < count; ++placed) {
        p = book.find("\r\n", std::max(p, placed * (book.size() / count)));
        if (p == std::string::npos) break;
        p += 2;
        out.append(book, copied, p - copied).append(needle);
        copied = p;
    }
    out.append(book, copied);
    return out;
}

// 全部替换 until painted, then its Undo until painted.
void ReplaceAll(benchmark::State& state, const Corpus& book, const char* from, const char* to,
                bool resized = false) {
    for (auto _ : state) {
        Window w;
        w.Open(book);
        if (resized) w.ChangeWidthThreeTimes();
        w.CaretAt(0);
        const std::string original(w.area().Model().Text());
        qdm::ui::FindSession session(w.area(), w.prompter);
        qdm::ui::FindRequest request;
        request.pattern = QString::fromUtf8(from);
        request.replacement = QString::fromUtf8(to);
        Timer t;
        const int replaced = session.ReplaceAll(request);
        w.PaintWhatChanged();
        Report(state, t);
        state.counters["replaced"] = replaced;
        const Timer undo;
        w.app.View().OnEditUndo();
        w.PaintWhatChanged();
        state.counters["undo_ms"] = undo.WallMs();
        state.counters["undo_cpu_ms"] = undo.CpuSpent();
        state.counters["undone"] = w.area().Model().Text() == original;
    }
}

void ReplaceAll100000In20MB(benchmark::State& state) {
    const std::string needle = qdm::gbk::Lit("张三");
    ReplaceAll(state, Write("names20.txt", WithNeedles(Book(20'000'000, 97), needle, 100'000)),
               "张三", "李四四");
}

// The book of 420-byte lines with 的 as often as in a novel, about once in 460 bytes: one
// character in 226, at random, becomes 的 (the book's own characters hold it once in 3,760).
std::string WithDeAsInANovel(std::string book) {
    const std::string de = qdm::gbk::Lit("的");
    std::mt19937 rng(7);
    for (size_t i = 0; i + 1 < book.size(); ++i) {
        const auto lead = static_cast<unsigned char>(book[i]);
        if (lead < 0x81) continue;  // single bytes: digits, CR, LF
        if (lead >= 0xB0 && rng() % 226 == 0) book.replace(i, 2, de);
        ++i;
    }
    return book;
}

const Corpus& NovelLike100MB() {
    static const Corpus book =
        Write("novel100.txt", WithDeAsInANovel(Book(100'000'000, (420 - 6) / 2)));
    return book;
}

// 全部替换 of 的, then its Undo; arg 1: after three changes of the window's width first.
void ReplaceAllDeIn100MB(benchmark::State& state) {
    ReplaceAll(state, NovelLike100MB(), "的", "地", state.range(0) != 0);
}

// 自动处理 with the outline shown, until the text and the outline's rows are painted; the
// memory the sectioned book then holds (with its outline, its history and the clipboard).
void AutoProcess100MBWithOutline(benchmark::State& state) {
    const Corpus book = Write("lines420.txt", Book(100'000'000, (420 - 6) / 2));
    for (auto _ : state) {
        Window w;
        qdm::ui::OutlineDock& outline = w.app.MainFrame().Outline();
        outline.show();
        w.Paint();
        const double before = RssMb();
        w.Open(book);
        const Timer t;
        w.app.View().OnAutoProcess();
        w.Paint();  // the outline reads the book at the first turn of the event loop
        Report(state, t);
        state.counters["sections"] = outline.Model().rowCount();
        state.counters["held_per_file"] = PerFile(RssMb() - before, book);
    }
}

// The other commands over a whole sectioned book, each until painted (its message box
// answered at once): arg 0 QDM文件检查, 1 全部检查 (the fault list shown), 2 保存 (check, then
// write beside the book), 3 Ctrl+Z of 自动处理 (refused: the boundaries were not recorded).
void CommandOnSectioned100MB(benchmark::State& state) {
    static const Corpus book =
        Write("sectioned100.txt", qdm::AutoSectionText(Book(100'000'000, (420 - 6) / 2)));
    for (auto _ : state) {
        Window w;
        w.Open(book);
        const Timer t;
        switch (state.range(0)) {
            case 0:
                w.app.View().OnCheckMarkup();
                break;
            case 1:
                w.app.MainFrame().SendCommand(qdm::ui::ID_CHECK_ALL);
                break;
            case 2:
                w.app.View().OnFileSave();
                break;
            default:
                w.app.View().OnEditUndo();
                break;
        }
        w.PaintWhatChanged();
        w.Paint();
        Report(state, t);
        state.counters["boxes"] = w.prompter.boxes;
    }
}

// Page Down twenty times from the middle (the median), then Ctrl+End.
void PageDownAndCtrlEndIn100MB(benchmark::State& state) {
    const Corpus book = Write("lines420.txt", Book(100'000'000, (420 - 6) / 2));
    for (auto _ : state) {
        Window w;
        w.Open(book);
        w.CaretAt(w.area().Model().Length() / 2);
        std::vector<double> wall;
        for (int i = 0; i < 20; ++i) {
            const Timer t;
            w.Key(Qt::Key_PageDown);
            wall.push_back(t.WallMs());
        }
        std::sort(wall.begin(), wall.end());
        state.counters["page_down_median_ms"] = wall[wall.size() / 2];
        const Timer t;
        w.Key(Qt::Key_End, Qt::ControlModifier);
        Report(state, t);
        state.counters["at_end"] = w.area().CaretByte() == w.area().Model().Length();
    }
}

BENCHMARK(Open100MBLinesOf420)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Open100MBLinesOf100)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(KeystrokeMiddleOf100MB)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(KeystrokeIn512000CharacterLine)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(EnterIn512000CharacterLine)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ReplaceAll100000In20MB)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ReplaceAllDeIn100MB)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(AutoProcess100MBWithOutline)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CommandOnSectioned100MB)
    ->DenseRange(0, 3)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PageDownAndCtrlEndIn100MB)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return guibench::RunOffscreen(argc, argv);
}
