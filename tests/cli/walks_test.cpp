// Directory walks: unreadable directories are skipped aloud, a file reached twice is processed
// once, temporaries are no books, and a run without its dictionary stops.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <cstdio>

#include "tests/cli/run_qdm.h"

namespace {

namespace fs = std::filesystem;
using namespace qdmtest;

// Applied twice, this dictionary changes "a" to "c"; applied once, to "b".
const std::string kTwiceShows = "b======>>c\na======>>b\n";

TEST(Walks, AnUnreadableDirectoryIsSkippedWithItsReason) {
    TempDir dir;
    const std::string dict = dir.Write("d.ini", kTwiceShows);
    fs::create_directories(dir.Path() / "tree/locked");
    const std::string book = dir.Write("tree/a.txt", "a");
    for (const char* p : {"", "/tree"}) ::chmod((dir.Path().string() + p).c_str(), 0777);
    ::chmod(book.c_str(), 0666);
    ::chmod(dir.File("tree/locked").c_str(), 0);
    const qdmtest::QdmRun run = RunShell(
        qdmtest::Unprivileged() + QdmCommand({"polyphone", "--dict", dict, dir.File("tree")}));
    ::chmod(dir.File("tree/locked").c_str(), 0755);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, book + ": 处理多音字1个!\n" + dir.File("tree/locked") +
                           ": 跳过，无法读取: Permission denied\n"
                           "共 2 个文件: 处理 1 个，跳过 1 个，替换多音字 1 个\n");
    EXPECT_EQ(Slurp(book), "b");
}

TEST(Walks, AFileReachedByLinksIsProcessedOnce) {
    TempDir dir;
    const std::string dict = dir.Write("d.ini", kTwiceShows);
    fs::create_directories(dir.Path() / "tree/sub");
    const std::string book = dir.Write("tree/b.txt", "a");
    fs::create_symlink(book, dir.File("tree/a-link.txt"));
    fs::create_hard_link(book, dir.File("tree/sub/hard.txt"));
    const qdmtest::QdmRun run =
        RunQdm({"polyphone", "--dict", dict, dir.File("tree"), book, dir.File("tree/b.txt")});
    EXPECT_EQ(run.exitCode, 0);
    const std::string first = dir.File("tree/a-link.txt");
    EXPECT_EQ(run.out, first + ": 处理多音字1个!\n" + book + ": 跳过，与 " + first +
                           " 是同一文件\n" + dir.File("tree/sub/hard.txt") + ": 跳过，与 " + first +
                           " 是同一文件\n" + book + ": 跳过，与 " + first + " 是同一文件\n" + book +
                           ": 跳过，与 " + first +
                           " 是同一文件\n"
                           "共 5 个文件: 处理 1 个，跳过 4 个，替换多音字 1 个\n");
    EXPECT_EQ(Slurp(book), "b");
}

TEST(Walks, TemporariesAreNoBooksAndOldOnesAreReported) {
    TempDir dir;
    const std::string dict = dir.Write("d.ini", kTwiceShows);
    fs::create_directories(dir.Path() / "tree");
    const std::string stale = dir.Write("tree/.a.txt.qdmtmp-Xy12Z9", "a");
    const std::string fresh = dir.Write("tree/.b.txt.qdmtmp-Q1w2E3", "a");
    const std::string lock = dir.Write("tree/.d.ini.qdmlock", "");
    // Written after the run started (as a concurrent run's would be): passed over silently.
    const timeval old[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
    const timeval later[2] = {{time(nullptr) + 3600, 0}, {time(nullptr) + 3600, 0}};
    ASSERT_EQ(::utimes(stale.c_str(), old), 0);
    ASSERT_EQ(::utimes(fresh.c_str(), later), 0);
    const qdmtest::QdmRun run = RunQdm({"polyphone", "--dict", dict, dir.File("tree")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "共 0 个文件: 处理 0 个，跳过 0 个，替换多音字 0 个\n");
    EXPECT_EQ(run.err, "qdm: 注意: " + stale +
                           " 是较早留下的临时文件 (可能来自被中断的运行)，未处理也未删除\n");
    EXPECT_EQ(Slurp(stale), "a");
    EXPECT_EQ(Slurp(fresh), "a");
    EXPECT_TRUE(fs::exists(lock));
}

TEST(Walks, ARunThatLosesItsDictionaryStopsWithExitTwo) {
    TempDir dir;
    const std::string dict = dir.Write("d.ini", kTwiceShows);
    fs::create_directories(dir.Path() / "tree");
    // More report lines than a pipe holds: qdm waits on its output until the dictionary is
    // gone, however fast the machine, so the run cannot finish every file first.
    constexpr int kFiles = 2000;  // over 100 KB of report lines; a pipe holds 64 KB
    for (int i = 0; i < kFiles; ++i) dir.Write("tree/f" + std::to_string(1000 + i), "a");
    FILE* pipe = ::popen((QdmCommand({"polyphone", "--dict", dict, dir.File("tree")}) + " 2>" +
                          qdmtest::ShellQuote(dir.File("err")))
                             .c_str(),
                         "r");
    ASSERT_NE(pipe, nullptr);
    char line[4096];
    ASSERT_NE(std::fgets(line, sizeof line, pipe), nullptr);  // the first file is done
    fs::remove(dict);
    int reported = 1;
    while (std::fgets(line, sizeof line, pipe))
        reported += std::string(line).find("处理多音字1个!") != std::string::npos;
    const int status = ::pclose(pipe);
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_NE(Slurp(dir.File("err"))
                  .find("无法再读取多音字词典 " + dict + ": No such file or directory，处理中止"),
              std::string::npos);
    int processed = 0;
    for (int i = 0; i < kFiles; ++i) {
        const std::string now = Slurp(dir.File("tree/f" + std::to_string(1000 + i)));
        EXPECT_TRUE(now == "a" || now == "b") << i << ": " << now;
        processed += now == "b";
    }
    EXPECT_EQ(processed, reported);
    EXPECT_LT(processed, kFiles);
}

}  // namespace
