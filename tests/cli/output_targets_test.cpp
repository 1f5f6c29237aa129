// Where results go: devices, FIFOs and links are written as `cat > target` would, standard
// output failures are errors, and a result that would reach 2 GiB is never written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>
#include <future>

#include "tests/cli/run_qdm.h"

namespace {

using namespace qdmtest;

const std::string kBook = "abc\r\n";
const std::string kNumbered = "<vsection=1>abc</vsection>";

TEST(OutputTargets, ADeviceOrAFifoIsWrittenNotReplaced) {
    TempDir dir;
    const std::string in = dir.Write("a.qdm", "<vsection=>abc</vsection>");
    // A private null device: replacing it by a regular file is the fault.
    if (::geteuid() == 0) {
        const std::string null = dir.File("null");
        ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        EXPECT_EQ(RunQdm({"number", "-o", null, in}).exitCode, 0);
        struct stat st;
        ASSERT_EQ(::stat(null.c_str(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode));
    }
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink(fifo, dir.File("to-fifo"));
    for (const std::string& target : {fifo, dir.File("to-fifo")}) {
        auto reader = std::async(std::launch::async, [&] { return Slurp(fifo); });
        EXPECT_EQ(RunQdm({"number", "-o", target, in}).exitCode, 0) << target;
        // A reader still waiting for a writer (qdm never opened the FIFO) gets an end here.
        const int unblock = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (unblock >= 0) ::close(unblock);
        EXPECT_EQ(reader.get(), kNumbered) << target;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("to-fifo")));
}

TEST(OutputTargets, ALinkThatLeadsNowhereIsAnErrorAndStaysALink) {
    TempDir dir;
    const std::string in = dir.Write("a.txt", kBook);
    const std::string link = dir.File("out.qdm");
    std::filesystem::create_symlink(dir.File("missing/x.qdm"), link);
    const qdmtest::QdmRun run = RunQdm({"auto", "-o", link, in});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "qdm: " + link + ": No such file or directory\n");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::read_symlink(link), dir.File("missing/x.qdm"));
}

TEST(OutputTargets, AFullStandardOutputIsExitTwoWithAMessage) {
    TempDir dir;
    const std::string in = dir.Write("a.txt", kBook);
    const std::string dict = dir.Write("d.ini", "abc======>>x\n");
    const std::vector<std::vector<std::string>> commands = {
        {"polyphone", "--dict", dict, "-o", "-", in},  // the result to standard output
        {"auto", "-o", "-", in},
        {"number", "-o", "-", in},
        {"check", in},  // only a report
        {"dict", "--dict", dict, "list"},
        {"help", "auto"},
    };
    for (const auto& args : commands) {
        const qdmtest::QdmRun run = RunShell(QdmCommand(args) + " >/dev/full");
        EXPECT_EQ(run.exitCode, 2) << args[0];
        EXPECT_NE(run.err.find("qdm: 无法写到标准输出: No space left on device\n"),
                  std::string::npos)
            << args[0] << ": " << run.err;
    }
    EXPECT_EQ(Slurp(in), kBook);
}

// With the limit lowered to 8 MiB, about 2.6 MB of 12-byte lines: each becomes a section of
// about 40 bytes, so the result passes the limit. It is refused before anything is written or
// numbered, with the message of the real limit.
TEST(OutputTargets, AResultOfTwoGibibytesIsRefusedBeforeWriting) {
    TempDir dir;
    const std::string in = dir.File("big.txt");
    {
        std::ofstream out(in, std::ios::binary);
        const std::string block = [] {
            std::string b;
            for (int i = 0; i < 1 << 16; ++i) b += "aaaaaaaaaa\r\n";
            return b;
        }();
        for (int64_t written = 0; written < 2'600'000; written += block.size()) out << block;
    }
    const qdmtest::QdmRun run = qdmtest::RunShell("QDM_TEST_MAX_FILE_SIZE=8388608 " +
                                                  qdmtest::QdmCommand({"auto", "--json", in}));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "qdm: " + in + ": 结果超过 2 GiB\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("big.qdm")));
}

}  // namespace
