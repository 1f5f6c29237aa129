#include "polyphone/poly_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

qdm::PolyBudget PolyBudgetZero() {
    return qdm::PolyBudget::zero();
}

class PolyDir : public ::testing::Test {
  protected:
    void SetUp() override {
        m_base = fs::temp_directory_path() /
                 ("qdm-polydir-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        m_root = m_base / "books";
        fs::create_directories(m_root);
    }
    void TearDown() override { fs::remove_all(m_base); }
    static void Write(const fs::path& p, const std::string& bytes) {
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The tree every batch test works on; the dictionary lies inside it.
    void MakeTree() {
        Write(m_root / "kolb_polyphone.ini", "ab======>>X\n");
        Write(m_root / "one.txt", "ab ab");
        Write(m_root / "sub/two.txt", "xab");
        Write(m_root / "sub/deeper/three.txt", "none");
        Write(m_root / "bin.dat", "ab\0ab"s);
        Write(m_root / "empty.txt", "");
        Write(m_base / "outside.txt", "ab");
        fs::create_symlink(m_base / "outside.txt", m_root / "link-to-file");
        Write(m_base / "elsewhere/hidden.txt", "ab");
        fs::create_directory_symlink(m_base / "elsewhere", m_root / "link-to-dir");
        ASSERT_EQ(::mkfifo((m_root / "fifo").c_str(), 0600), 0);
    }
    static void RunToEnd(qdm::CPolyDirBatch& batch, std::vector<qdm::PolyFileResult>& results) {
        batch.Start();
        bool running = true;
        while (running) {
            running = batch.Tick(std::chrono::milliseconds(10));
            for (auto& r : batch.TakeResults()) results.push_back(std::move(r));
        }
    }
    fs::path m_base, m_root;
};

TEST_F(PolyDir, EveryFileOfTheTreeIsProcessedOrSkippedWithAReason) {
    MakeTree();
    EXPECT_EQ(qdm::CountFilesInTree(m_root.string()), 8);  // the link to a directory is not entered
    qdm::CPolyDict dict((m_root / "kolb_polyphone.ini").string());
    qdm::CPolyDirBatch batch(dict, m_root.string() + "/");
    std::vector<qdm::PolyFileResult> results;
    RunToEnd(batch, results);

    using enum qdm::PolyOutcome;
    struct Expect {
        const char* relative;
        qdm::PolyOutcome outcome;
        int64_t replacements;
        const char* reason;
    };
    const std::vector<Expect> expected = {
        {"bin.dat", HasNul, 0, "含有 NUL 字节，不是文本文件，未改动"},
        {"empty.txt", Empty, 0, "空文件"},
        {"fifo", NotRegular, 0, "不是普通文件"},
        {"kolb_polyphone.ini", Dictionary, 0, "是多音字词典文件本身，未处理"},
        {"link-to-file", Written, 1, ""},
        {"one.txt", Written, 2, ""},
        {"sub/deeper/three.txt", Written, 0, ""},
        {"sub/two.txt", Written, 1, ""},
    };
    ASSERT_EQ(results.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(results[i].relative, expected[i].relative);
        EXPECT_EQ(results[i].outcome, expected[i].outcome) << results[i].relative;
        EXPECT_EQ(results[i].replacements, expected[i].replacements) << results[i].relative;
        EXPECT_EQ(results[i].Reason(), expected[i].reason) << results[i].relative;
    }

    const qdm::PolyDirProgress& p = batch.Progress();
    EXPECT_EQ(p.state, qdm::PolyDirState::Finished);
    EXPECT_EQ(p.totalFiles, 8);
    EXPECT_EQ(p.filesDone, 4);
    EXPECT_EQ(p.filesSkipped, 4);
    EXPECT_EQ(p.percent, 100);
    EXPECT_EQ(p.wordsReplaced, 4);
    EXPECT_EQ(p.word, "ab");
    EXPECT_EQ(p.replacement, "X");

    EXPECT_EQ(Read(m_root / "one.txt"), "X X");
    EXPECT_EQ(Read(m_root / "sub/two.txt"), "xX");
    EXPECT_EQ(Read(m_root / "bin.dat"), "ab\0ab"s);
    EXPECT_EQ(Read(m_root / "kolb_polyphone.ini"), "ab======>>X\n");
    EXPECT_TRUE(fs::is_symlink(m_root / "link-to-file"));
    EXPECT_EQ(Read(m_base / "outside.txt"), "X");
    EXPECT_EQ(Read(m_base / "elsewhere/hidden.txt"), "ab");
}

TEST_F(PolyDir, ADryRunCountsButWritesNothing) {
    MakeTree();
    qdm::CPolyDict dict((m_root / "kolb_polyphone.ini").string());
    qdm::CPolyDirBatch batch(dict, m_root.string(), {.dryRun = true});
    std::vector<qdm::PolyFileResult> results;
    RunToEnd(batch, results);
    EXPECT_EQ(batch.Progress().filesDone, 4);
    EXPECT_EQ(batch.Progress().wordsReplaced, 4);
    EXPECT_EQ(Read(m_root / "one.txt"), "ab ab");
    EXPECT_EQ(Read(m_base / "outside.txt"), "ab");
}

TEST_F(PolyDir, AnEmptyDirectoryFinishesAtOnceAndAMissingOneIsSkippedWithItsReason) {
    qdm::CPolyDict dict((m_base / "none.ini").string());
    struct Case {
        fs::path dir;
        int total;
        std::string reason;
    };
    for (const Case& c : {Case{m_root, 0, ""},
                          Case{m_base / "missing", 1, "无法读取: No such file or directory"}}) {
        qdm::CPolyDirBatch batch(dict, c.dir.string());
        std::vector<qdm::PolyFileResult> results;
        RunToEnd(batch, results);
        ASSERT_EQ(results.size(), c.reason.empty() ? 0u : 1u);
        EXPECT_EQ(results.empty() ? "" : results[0].Reason(), c.reason);
        EXPECT_EQ(batch.Progress().totalFiles, c.total);
        EXPECT_EQ(batch.Progress().percent, 100);
        EXPECT_EQ(batch.Progress().state, qdm::PolyDirState::Finished);
    }
}

TEST_F(PolyDir, AnInterruptLeavesEveryFileWholeEitherProcessedOrUntouched) {
    Write(m_base / "dict.ini", "ab======>>X\n");
    const std::string before = std::string(20000, 'a').append("ab");
    const std::string after = std::string(20000, 'a').append("X");
    auto name = [](int i) { return std::string("f").append(std::to_string(i)); };
    for (int i = 0; i < 60; ++i) Write(m_root / name(i), before);
    qdm::CPolyDict dict((m_base / "dict.ini").string());
    qdm::CPolyDirBatch batch(dict, m_root.string());
    batch.Start();
    batch.Tick(std::chrono::microseconds(200));
    batch.Interrupt();
    EXPECT_EQ(batch.Progress().state, qdm::PolyDirState::Interrupted);
    EXPECT_FALSE(batch.Tick(std::chrono::milliseconds(10)));
    int processed = 0;
    for (int i = 0; i < 60; ++i) {
        const std::string now = Read(m_root / name(i));
        EXPECT_TRUE(now == before || now == after) << i;
        processed += now == after;
    }
    EXPECT_EQ(processed, batch.Progress().filesDone);
    EXPECT_LT(processed, 60);
}

TEST_F(PolyDir, ARunThatLosesItsDictionaryStopsAndWritesNoMore) {
    Write(m_base / "dict.ini", "ab======>>X\n");
    auto name = [](int i) { return std::string("f").append(std::to_string(10 + i)); };
    for (int i = 0; i < 30; ++i) Write(m_root / name(i), "ab");
    qdm::CPolyDict dict((m_base / "dict.ini").string());
    qdm::CPolyDirBatch batch(dict, m_root.string());
    batch.Start();
    std::vector<qdm::PolyFileResult> results;
    // Zero budgets: one file is opened, then processed and handed to the writers.
    while (batch.Progress().filesDone == 0) ASSERT_TRUE(batch.Tick(PolyBudgetZero()));
    fs::remove(m_base / "dict.ini");
    while (batch.Tick(std::chrono::milliseconds(10))) {
    }
    for (auto& r : batch.TakeResults()) results.push_back(std::move(r));
    EXPECT_EQ(batch.Progress().state, qdm::PolyDirState::DictionaryLost);
    int processed = 0;
    for (int i = 0; i < 30; ++i) processed += Read(m_root / name(i)) == "X";
    EXPECT_EQ(processed, static_cast<int>(results.size()));  // each one reported, in order
    EXPECT_EQ(processed, batch.Progress().filesDone);
    EXPECT_EQ(processed, 1);
}

}  // namespace
