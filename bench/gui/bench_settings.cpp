// The settings dialog with 50 000 rows, offscreen: one keystroke of its search until the list
// has painted, opening the dialog, and the lint line after a change.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <memory>

#include "bench/common/poly_corpus.h"
#include "bench/gui/gui_bench.h"
#include "editor/codec.h"
#include "polyphone/poly_dict.h"
#include "polyphone/ui/dialog_duoyinzi_set.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Fixture {
    QTemporaryDir dir;
    polybench::Dictionary words = polybench::MakeDictionary(50000, 7);
    std::unique_ptr<qdm::CPolyDict> dict;
    Fixture() {
        const std::string path = dir.filePath(QStringLiteral("kolb_polyphone.ini")).toStdString();
        std::ofstream(path, std::ios::binary) << words.FileBytes();
        dict = std::make_unique<qdm::CPolyDict>(path);
    }
    std::unique_ptr<qdm::ui::CDialogDuoyinziSet> Open() const {
        auto d = std::make_unique<qdm::ui::CDialogDuoyinziSet>(
            *dict, [](QWidget*, const QString&, const QString&) {});
        d->show();
        QApplication::processEvents();
        return d;
    }
};

const Fixture& Shared() {
    static const Fixture f;
    return f;
}

void Paint(QWidget& w) {
    w.repaint();
    QApplication::processEvents();
}

// Typing the first character of a word, then a second one, then clearing: three keystrokes.
void SearchKeystroke(benchmark::State& state) {
    auto d = Shared().Open();
    auto* search = d->findChild<QLineEdit*>(QStringLiteral("search"));
    const QString word = QString::fromStdString(qdm::gbk::ToUtf8(Shared().words.words[0]));
    const QStringList keys = {word.left(1), word.left(2), QString()};
    int k = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        search->setText(keys[k++ % keys.size()]);
        Paint(*d);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.counters["rows"] = 50000;
}
BENCHMARK(SearchKeystroke)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

void OpenDialog(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = Clock::now();
        auto d = Shared().Open();
        Paint(*d);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(OpenDialog)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// Moving a row down: the list, the count and the lint line brought up to date.
void MoveRow(benchmark::State& state) {
    auto d = Shared().Open();
    d->SelectRow(100);
    auto* down = d->findChild<QPushButton*>(QStringLiteral("down"));
    for (auto _ : state) {
        const auto start = Clock::now();
        down->click();
        Paint(*d);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(MoveRow)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return guibench::RunOffscreen(argc, argv);
}
