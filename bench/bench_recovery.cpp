// Keeping unsaved text: what the typing thread pays per write (the copy) and what the worker
// pays (the atomic write, fsync included), on a generated book (MKED_BENCH_MB, 100 MB).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "bench/common/book_gen.h"
#include "editor/recovery.h"

namespace {

const std::string& Book() {
    static const std::string book = qdmbench::GenerateBook(qdmbench::BookMegabytes() << 20);
    return book;
}

void BM_RecoveryCopyOnTheTypingThread(benchmark::State& state) {
    const std::string& book = Book();
    for (auto _ : state) {
        std::string copy(book);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * book.size()));
}
BENCHMARK(BM_RecoveryCopyOnTheTypingThread)->Unit(benchmark::kMillisecond);

// The same copy into memory that was already touched, e.g. by the worker ahead of time.
void BM_RecoveryCopyIntoTouchedMemory(benchmark::State& state) {
    const std::string& book = Book();
    std::string copy(book.size(), '\0');
    for (auto _ : state) {
        copy.assign(book);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * book.size()));
}
BENCHMARK(BM_RecoveryCopyIntoTouchedMemory)->Unit(benchmark::kMillisecond);

void BM_RecoveryWriteOnTheWorker(benchmark::State& state) {
    char tmpl[] = "/tmp/qdm-bench-recovery-XXXXXX";
    const std::string dir = ::mkdtemp(tmpl);
    qdm::IoStatus status;
    auto file = qdm::RecoveryFile::Create(dir, status);
    if (!file) {
        state.SkipWithError(status.Describe().c_str());
        return;
    }
    const std::string& book = Book();
    for (auto _ : state) {
        if (!file->WriteNow(book, {"/books/a.txt", "a.txt"})) state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * book.size()));
    file->Close();
    file.reset();
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_RecoveryWriteOnTheWorker)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
