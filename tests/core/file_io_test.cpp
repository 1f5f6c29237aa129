#include "editor/file_io.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "editor/error_text.h"

namespace fs = std::filesystem;

namespace {

class FileIo : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("qdm-io-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(m_dir);
    }
    std::string Path(const char* name) const { return (m_dir / name).string(); }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path m_dir;
};

TEST_F(FileIo, ReadingStopsAtTheFirstNulAndSaysSo) {
    Write(Path("nul"), std::string("A\0B", 3));
    qdm::FileText file;
    ASSERT_TRUE(qdm::ReadTextFile(Path("nul"), file));
    EXPECT_EQ(file.text, "A");
    EXPECT_TRUE(file.hadNul);
    EXPECT_EQ(file.fileSize, 3);

    Write(Path("plain"), "a\nb");
    ASSERT_TRUE(qdm::ReadTextFile(Path("plain"), file));
    EXPECT_EQ(file.text, "a\nb");
    EXPECT_FALSE(file.hadNul);
}

TEST_F(FileIo, FailuresNameThePathAndTheReason) {
    qdm::FileText file;
    qdm::IoStatus missing = qdm::ReadTextFile(Path("missing"), file);
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.path, Path("missing"));
    EXPECT_EQ(missing.reason, "No such file or directory");
    EXPECT_FALSE(qdm::ReadTextFile(m_dir.string(), file));
    EXPECT_FALSE(qdm::WriteFileAtomic(Path("no/such/dir/x"), "x"));
}

// Every reader holds to the limit in force, a byte under it passes, and the refusal names the
// real limit; a limit out of range restores 2 GiB rather than lifting or zeroing it.
TEST_F(FileIo, EveryReaderRefusesAFileThatReachesALoweredLimit) {
    using Reader = std::function<qdm::IoStatus(const std::string&)>;
    const std::vector<std::pair<const char*, Reader>> readers = {
        {"text",
         [](const std::string& p) {
             qdm::FileText f;
             return qdm::ReadTextFile(p, f);
         }},
        {"whole",
         [](const std::string& p) {
             std::string b;
             return qdm::ReadWholeFile(p, b);
         }},
        {"mapped",
         [](const std::string& p) {
             qdm::MappedFile m;
             return m.Open(p);
         }},
    };
    Write(Path("at"), std::string(4096, 'a'));
    Write(Path("under"), std::string(4095, 'a'));
    qdm::SetMaxFileSize(4096);
    for (const auto& [name, read] : readers) {
        const qdm::IoStatus at = read(Path("at"));
        EXPECT_FALSE(at) << name;
        EXPECT_EQ(at.reason, qdm::kTooLargeReason) << name;
        EXPECT_TRUE(read(Path("under"))) << name;
    }
    // The editor reports failures in Chinese: every reader's refusal must follow it.
    qdm::SetErrorLanguage(qdm::ErrorLanguage::Chinese);
    for (const auto& [name, read] : readers)
        EXPECT_EQ(read(Path("at")).reason, qdm::TooLargeReason()) << name;
    EXPECT_NE(qdm::TooLargeReason(), qdm::kTooLargeReason);
    qdm::SetErrorLanguage(qdm::ErrorLanguage::System);
    for (const int64_t outOfRange : {int64_t{0}, int64_t{-1}, qdm::kMaxFileSize + 1}) {
        qdm::SetMaxFileSize(outOfRange);
        EXPECT_EQ(qdm::MaxFileSize(), qdm::kMaxFileSize) << outOfRange;
    }
}

TEST_F(FileIo, AtomicWriteReplacesContentsAndKeepsPermissions) {
    Write(Path("t"), "old contents that are longer");
    ::chmod(Path("t").c_str(), 0640);
    ASSERT_TRUE(qdm::WriteFileAtomic(Path("t"), "new"));
    EXPECT_EQ(Read(Path("t")), "new");
    struct stat st;
    ::stat(Path("t").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

TEST_F(FileIo, WritingThroughALinkReplacesItsTarget) {
    Write(Path("target"), "old");
    fs::create_symlink(Path("target"), Path("link"));
    ASSERT_TRUE(qdm::WriteFileAtomic(Path("link"), "new"));
    EXPECT_TRUE(fs::is_symlink(Path("link")));
    EXPECT_EQ(Read(Path("target")), "new");
}

// Runs `write` as an unprivileged user when the tests run as root, who may write anything;
// true when it succeeded.
bool WritesAsUser(const std::function<bool()>& write) {
    if (::geteuid() != 0) return write();
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody) return write();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
            ::setuid(nobody->pw_uid) != 0)
            ::_exit(3);
        ::_exit(write() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(FileIo, AFailedWriteLeavesTheOldFileWhole) {
    Write(Path("keep"), "precious");
    ::chmod(Path("keep").c_str(), 0666);
    fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                               fs::perms::others_exec);
    EXPECT_FALSE(WritesAsUser([&] { return bool(qdm::WriteFileAtomic(Path("keep"), "x")); }));
    fs::permissions(m_dir, fs::perms::owner_all);
    EXPECT_EQ(Read(Path("keep")), "precious");
}

TEST_F(FileIo, AReadOnlyFileIsNotReplaced) {
    Write(Path("ro"), "old");
    ::chmod(Path("ro").c_str(), 0444);
    fs::permissions(m_dir, fs::perms::all);
    EXPECT_FALSE(WritesAsUser([&] { return bool(qdm::WriteFileAtomic(Path("ro"), "new")); }));
    EXPECT_EQ(Read(Path("ro")), "old");
}

}  // namespace

namespace {

// `bytes` written into a pipe by another thread, read back whole by ReadAllFd.
qdm::IoStatus ReadThroughPipe(const std::string& bytes, std::string& out) {
    ::signal(SIGPIPE, SIG_IGN);  // the writer learns of a reader that gave up from EPIPE
    int fds[2];
    if (::pipe(fds) != 0) return qdm::IoStatus::Fail("pipe", "failed");
    std::thread writer([&] {
        for (size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(fds[1], bytes.data() + done, bytes.size() - done);
            if (n <= 0) break;  // the reader gave up
            done += static_cast<size_t>(n);
        }
        ::close(fds[1]);
    });
    const qdm::IoStatus status = qdm::ReadAllFd(fds[0], "pipe", out);
    ::close(fds[0]);
    writer.join();
    return status;
}

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 4099) & 0xFF);
    return bytes;
}

}  // namespace

// Larger than the buffer the bytes pass through, and not a multiple of it.
TEST_F(FileIo, AFileOrAPipeOfManyChunksIsReadByteForByte) {
    const std::string bytes = Pattern((1 << 20) + 4097);
    Write(Path("big"), bytes);
    std::string whole = "stale";
    ASSERT_TRUE(qdm::ReadWholeFile(Path("big"), whole));
    EXPECT_EQ(whole, bytes);
    std::string piped = "stale";
    ASSERT_TRUE(ReadThroughPipe(bytes, piped));
    EXPECT_EQ(piped, bytes);
    ASSERT_TRUE(ReadThroughPipe("", piped));
    EXPECT_EQ(piped, "");
}

TEST_F(FileIo, AStreamIsRefusedOnceItReachesTheLimitWhereverAChunkEnds) {
    const int64_t limit = 300 * 1024;  // past the first chunk
    qdm::SetMaxFileSize(limit);
    for (const int64_t size : {limit - 1, limit, limit + 1, 3 * limit}) {
        std::string out = "kept";
        const qdm::IoStatus status = ReadThroughPipe(Pattern(static_cast<size_t>(size)), out);
        EXPECT_EQ(status.ok, size < limit) << size;
        EXPECT_EQ(out.size(), size < limit ? static_cast<size_t>(size) : 4) << size;
        if (!status.ok) {
            EXPECT_EQ(status.reason, qdm::kTooLargeReason) << size;
        }
    }
    qdm::SetMaxFileSize(0);
}
