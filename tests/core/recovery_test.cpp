// Kept unsaved text: what a killed editor leaves is found whole, what a live one keeps is
// left alone, and a clean end leaves nothing.
#include "editor/recovery.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>

namespace fs = std::filesystem;

namespace {

using qdm::FindLeftRecoveries;
using qdm::RecoveryFile;
using qdm::RecoveryOrigin;

class Recovery : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/qdm-recovery-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        m_root = tmpl;
        dir = m_root + "/state/mked";
    }
    void TearDown() override { fs::remove_all(m_root); }

    std::unique_ptr<RecoveryFile> Create() {
        qdm::IoStatus status;
        auto file = RecoveryFile::Create(dir, status);
        EXPECT_TRUE(file) << status.Describe();
        return file;
    }

    // A child process keeps `text` (when given) and is killed with SIGKILL.
    void KilledEditor(const std::optional<std::string>& text, const RecoveryOrigin& origin) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            qdm::IoStatus status;
            auto file = RecoveryFile::Create(dir, status);
            if (!file) ::_exit(3);
            if (text && !file->WriteNow(*text, origin)) ::_exit(4);
            ::raise(SIGKILL);
            ::_exit(5);
        }
        int wstatus = 0;
        ASSERT_EQ(::waitpid(pid, &wstatus, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(wstatus) && WTERMSIG(wstatus) == SIGKILL) << wstatus;
    }

    size_t FilesInDir() const {
        size_t n = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++n;
        return n;
    }

    std::string dir;

  private:
    std::string m_root;
};

const std::string kBytes("\xB5\xDA\xD2\xBB\xD5\xC2\r\n\x80\xFF\r\rlast", 16);

TEST_F(Recovery, TheTextOfAKilledEditorIsFoundWithItsBytesAndItsFile) {
    const RecoveryOrigin origin{"/books/\xCA\xE9 a.txt", "\xCA\xE9 a.txt"};
    const auto before = std::chrono::system_clock::now();
    KilledEditor(kBytes, origin);
    auto left = FindLeftRecoveries(dir);
    ASSERT_EQ(left.size(), 1u);
    std::string text;
    ASSERT_TRUE(left[0].Load(text));
    EXPECT_EQ(text, kBytes);
    EXPECT_EQ(left[0].origin, origin);
    EXPECT_EQ(left[0].size, static_cast<int64_t>(kBytes.size()));
    EXPECT_GE(left[0].time,
              std::chrono::system_clock::to_time_t(before) - 1);  // file times are seconds

    // Held by the first finder: a second editor starting now is not offered it.
    EXPECT_TRUE(FindLeftRecoveries(dir).empty());
    left[0].Discard();
    EXPECT_EQ(FilesInDir(), 0u);
}

TEST_F(Recovery, ALiveEditorsTextIsNeitherOfferedNorDeleted) {
    auto live = Create();
    ASSERT_TRUE(live->WriteNow("mine", {}));
    EXPECT_TRUE(FindLeftRecoveries(dir).empty());
    EXPECT_TRUE(fs::exists(live->TextPath()));

    // Ended without Close, as on SIGTERM: the text waits for the next start.
    live.reset();
    auto left = FindLeftRecoveries(dir);
    ASSERT_EQ(left.size(), 1u);
    std::string text;
    ASSERT_TRUE(left[0].Load(text));
    EXPECT_EQ(text, "mine");
}

TEST_F(Recovery, RemoveAndACleanEndLeaveNothing) {
    auto file = Create();
    file->Write("one", {"/a.txt", "a.txt"});
    file->Remove();
    file->Wait();
    EXPECT_FALSE(fs::exists(file->TextPath()));
    EXPECT_FALSE(fs::exists(file->OriginPath()));
    file->Write("two", {});
    file->Close();
    EXPECT_EQ(FilesInDir(), 0u);
    file.reset();
    EXPECT_EQ(FilesInDir(), 0u);
}

TEST_F(Recovery, AnAdoptedTextStaysKeptUnderItsNewOwner) {
    KilledEditor(std::string("old"), {"/b.qdm", "b.txt"});
    auto left = FindLeftRecoveries(dir);
    ASSERT_EQ(left.size(), 1u);
    auto adopted = RecoveryFile::Adopt(std::move(left[0]));
    EXPECT_TRUE(FindLeftRecoveries(dir).empty());  // its owner is alive again
    ASSERT_TRUE(adopted->WriteNow("newer", {"/b.qdm", "b.txt"}));
    adopted.reset();
    left = FindLeftRecoveries(dir);
    ASSERT_EQ(left.size(), 1u);
    std::string text;
    ASSERT_TRUE(left[0].Load(text));
    EXPECT_EQ(text, "newer");
    EXPECT_EQ(left[0].origin.name, "b.txt");
}

TEST_F(Recovery, OwnersThatLeftNoTextAreClearedAndTheRestComeNewestFirst) {
    KilledEditor(std::nullopt, {});  // killed before its first write: a lock file only
    KilledEditor(std::string("older"), {});
    KilledEditor(std::string("newer"), {});
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().extension() != ".text") continue;
        std::string text;
        std::ifstream(e.path()) >> text;
        // Back-date the older text, and leave a half-written temporary beside it.
        if (text == "older") {
            const timespec times[2] = {{1000, 0}, {1000, 0}};
            ASSERT_EQ(::utimensat(AT_FDCWD, e.path().c_str(), times, 0), 0);
            std::ofstream(e.path().parent_path() / ("." + e.path().filename().string() + ".Ab12Z9"))
                << "half";
        }
    }
    auto left = FindLeftRecoveries(dir);
    ASSERT_EQ(left.size(), 2u);
    std::string text;
    ASSERT_TRUE(left[0].Load(text));
    EXPECT_EQ(text, "newer");
    EXPECT_EQ(left[1].time, 1000);
    for (auto& l : left) l.Discard();
    EXPECT_EQ(FilesInDir(), 0u);
}

TEST_F(Recovery, AFailedWriteIsReportedWithThePath) {
    auto file = Create();
    fs::create_directory(file->TextPath());  // nothing can be renamed over a directory
    std::atomic<int> failures{0};
    std::string path;
    file->SetListener([&](const qdm::IoStatus& s) {
        if (!s) {
            path = s.path;
            ++failures;
        }
    });
    file->Write("text", {});
    file->Wait();
    EXPECT_EQ(failures.load(), 1);
    EXPECT_EQ(path, file->TextPath());
    EXPECT_FALSE(file->WriteNow("text", {}));
    fs::remove(file->TextPath());
}

TEST_F(Recovery, ALaterWriteReplacesOneStillWaiting) {
    auto file = Create();
    // The worker is held in its report of the first write until every later one is posted,
    // so all but the last of those must be dropped however fast the disk is.
    std::promise<void> posted;
    std::shared_future<void> allPosted = posted.get_future().share();
    std::atomic<int> writes{0};
    file->SetListener([&](const qdm::IoStatus&) {
        if (writes++ == 0) allPosted.wait();
    });
    const std::string big(1 << 20, 'x');
    file->Write(big + "0", {});
    while (writes.load() == 0) std::this_thread::yield();
    for (int i = 1; i < 20; ++i) file->Write(big + std::to_string(i), {});
    posted.set_value();
    file->Wait();
    std::ifstream f(file->TextPath(), std::ios::binary);
    const std::string kept((std::istreambuf_iterator<char>(f)), {});
    EXPECT_EQ(kept, big + "19");
    EXPECT_EQ(writes.load(), 2);
    file->Close();
}

TEST_F(Recovery, APreparedBufferComesReadyAndEmptyAndGoesWithARemoval) {
    auto file = Create();
    EXPECT_LT(file->TakeBuffer().capacity(), 4096u);
    file->Prepare(3 << 20);
    file->Wait();
    std::string buffer = file->TakeBuffer();
    EXPECT_GE(buffer.capacity(), size_t{3} << 20);
    EXPECT_EQ(buffer.size(), 0u);
    EXPECT_LT(file->TakeBuffer().capacity(), size_t{3} << 20);  // handed out once
    file->Prepare(3 << 20);
    file->Remove();
    file->Wait();
    EXPECT_LT(file->TakeBuffer().capacity(), size_t{3} << 20);
    file->Close();
}

TEST(RecoveryDir, FollowsXdgStateHomeWhenItIsAbsolute) {
    const char* oldState = std::getenv("XDG_STATE_HOME");
    const std::string saved = oldState ? oldState : "";
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    struct Case {
        const char* state;  // nullptr: unset
        std::string want;
    };
    const Case cases[] = {
        {"/var/st", "/var/st/mked"},
        {"relative/st", home + "/.local/state/mked"},
        {"", home + "/.local/state/mked"},
        {nullptr, home + "/.local/state/mked"},
    };
    for (const Case& c : cases) {
        if (c.state)
            ::setenv("XDG_STATE_HOME", c.state, 1);
        else
            ::unsetenv("XDG_STATE_HOME");
        EXPECT_EQ(qdm::DefaultRecoveryDir(), c.want) << (c.state ? c.state : "(unset)");
    }
    if (oldState)
        ::setenv("XDG_STATE_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_STATE_HOME");
}

}  // namespace
