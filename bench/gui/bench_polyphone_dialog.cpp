// The editor's polyphone command on a 20 MB book with a 10 000-entry dictionary, through the
// real progress dialog (offscreen): the time from the command to the moment OK is enabled.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "app/polyphone_commands.h"
#include "bench/common/poly_corpus.h"
#include "bench/gui/gui_bench.h"
#include "editor/edit_box.h"

namespace {

void BM_TextCommandUntilOkEnabled(benchmark::State& state) {
    const auto bytes = static_cast<size_t>(state.range(0)) << 20;
    const int entries = static_cast<int>(state.range(1));
    const polybench::Dictionary dict = polybench::MakeDictionary(entries, 7);
    const std::string book = polybench::MakeBook(dict, bytes, 11);
    const std::string dictPath = (std::filesystem::temp_directory_path() /
                                  ("mked-bench-dict-" + std::to_string(::getpid()) + ".ini"))
                                     .string();
    std::ofstream(dictPath, std::ios::binary) << dict.FileBytes();

    qdm::CEditBox edit;
    qdm::ui::PolyCommandHost host;
    host.edit = &edit;
    host.dictPath = dictPath;
    guibench::Prompter prompter;
    host.prompter = &prompter;

    for (auto _ : state) {
        edit.SetText(book);
        QElapsedTimer clock;
        double seconds = 0;
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            auto* ok = dialog ? dialog->findChild<QPushButton*>(QStringLiteral("ok")) : nullptr;
            if (!ok || !ok->isEnabled()) return;
            seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
            watcher.stop();
            ok->click();
        });
        watcher.setTimerType(Qt::PreciseTimer);
        watcher.start(1);
        clock.start();
        qdm::ui::OnPolyphoneText(host);
        state.SetIterationTime(seconds);
    }
    state.SetLabel(prompter.last.toStdString());
    state.counters["MB"] = static_cast<double>(book.size()) / (1 << 20);
    std::filesystem::remove(dictPath);
}
BENCHMARK(BM_TextCommandUntilOkEnabled)
    ->Args({20, 10000})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return guibench::RunOffscreen(argc, argv);
}
