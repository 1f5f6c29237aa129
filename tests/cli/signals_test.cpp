// Killing qdm: SIGINT and SIGTERM remove the temporaries being written and leave every book
// old or new; a temporary left by SIGKILL is reported by the next run, never taken for a book.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "tests/cli/run_qdm.h"

namespace {

namespace fs = std::filesystem;
using namespace qdmtest;

constexpr int kFiles = 3000;

pid_t StartQdm(const std::vector<std::string>& args, const std::string& log) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(QDM_EXE));
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::freopen(log.c_str(), "w", stdout);
        std::freopen((log + ".err").c_str(), "w", stderr);
        ::execv(QDM_EXE, argv.data());
        ::_exit(127);
    }
    return pid;
}

struct TreeState {
    int oldFiles = 0, newFiles = 0, torn = 0, temporaries = 0;
};

TreeState Inspect(const fs::path& tree, const std::string& before, const std::string& after) {
    TreeState s;
    for (const auto& e : fs::directory_iterator(tree)) {
        const std::string name = e.path().filename().string();
        if (name.find(".qdmtmp-") != std::string::npos) {
            ++s.temporaries;
            continue;
        }
        const std::string now = Slurp(e.path().string());
        if (now == before)
            ++s.oldFiles;
        else if (now == after)
            ++s.newFiles;
        else
            ++s.torn;
    }
    return s;
}

// Memory-backed when the machine has it: creating 3,000 files on a disk costs seconds here,
// and renames and unlinks behave the same.
fs::path FastBase() {
    std::error_code ec;
    return fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "";
}

TEST(Signals, KilledRunsLeaveEveryBookOldOrNewAndNoTemporary) {
    TempDir dir(FastBase());
    const std::string dict = dir.Write("d.ini", "ab======>>X\n");
    fs::create_directories(dir.Path() / "tree");
    const std::string before = std::string(20000, 'a') + "b\r\n";
    const std::string after = std::string(19999, 'a') + "X\r\n";
    for (int i = 0; i < kFiles; ++i) dir.Write("tree/book" + std::to_string(i) + ".txt", before);

    std::mt19937 random(12345);
    int kills = 0, finished = 0;
    const int signals[] = {SIGTERM, SIGINT};
    for (int round = 0; round < 6; ++round) {
        const int sig = signals[round % 2];
        const pid_t pid =
            StartQdm({"polyphone", "--dict", dict, dir.File("tree")}, dir.File("log"));
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + random() % 100));
        ::kill(pid, sig);
        int status = 0;
        ::waitpid(pid, &status, 0);
        // A signal that comes before qdm is ready for it (a slow start) kills it outright,
        // before anything was written; the shell shows the same 128 + signal.
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (code == 0) {
            ++finished;
        } else {
            EXPECT_EQ(code, 128 + sig);
            ++kills;
        }
        const TreeState s = Inspect(dir.Path() / "tree", before, after);
        EXPECT_EQ(s.torn, 0) << "round " << round;
        EXPECT_EQ(s.temporaries, 0) << "round " << round;
        EXPECT_EQ(s.oldFiles + s.newFiles, kFiles);
    }
    EXPECT_GE(kills, 3);
    std::printf("signals: %d runs killed, %d finished, %d files checked after each\n", kills,
                finished, kFiles);
    std::fflush(stdout);

    // SIGKILL cannot be caught: what it leaves is reported by the next run and left alone.
    const pid_t pid = StartQdm({"polyphone", "--dict", dict, dir.File("tree")}, dir.File("log"));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    const TreeState killed = Inspect(dir.Path() / "tree", before, after);
    EXPECT_EQ(killed.torn, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the next run starts later
    const qdmtest::QdmRun next =
        qdmtest::RunQdm({"polyphone", "--dry-run", "--dict", dict, dir.File("tree")});
    EXPECT_EQ(next.exitCode, 0);
    size_t reported = 0;
    for (size_t at = 0; (at = next.err.find("是较早留下的临时文件", at)) != std::string::npos; ++at)
        ++reported;
    EXPECT_EQ(static_cast<int>(reported), killed.temporaries);
    EXPECT_EQ(Inspect(dir.Path() / "tree", before, after).temporaries, killed.temporaries);
}

}  // namespace
