#include "polyphone/poly_dict.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "editor/gbk.h"
#include "polyphone/poly_engine.h"
#include "polyphone/poly_rows.h"

namespace gbk = qdm::gbk;

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

class PolyDict : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("qdm-dict-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
        m_path = (m_dir / "kolb_polyphone.ini").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }
    void Write(const std::string& bytes) { std::ofstream(m_path, std::ios::binary) << bytes; }
    std::string Read() {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path m_dir;
    std::string m_path;
};

struct ReadingCase {
    const char* name;
    std::string file;
    std::vector<std::string> lines;  // what the settings list shows
    int applied;                     // entries processing applies
};

TEST_F(PolyDict, ReadingRulesGiveTheListAndTheEntriesProcessingApplies) {
    const std::vector<ReadingCase> cases = {
        {"empty file", "", {}, 0},
        {"first byte LF", "\na======>>b\n", {"", "a======>>b"}, 0},
        {"malformed middle line ends processing",
         "a======>>1\nb\nc======>>3\n",
         {"a======>>1", "b", "c======>>3"},
         1},
        {"separator at line start", "======>>x\na======>>b\n", {"======>>x", "a======>>b"}, 0},
        {"empty replacement is an entry", "a======>>\n", {"a======>>"}, 1},
        {"CR LF lines keep the CR",
         "a======>>b\r\nc======>>d\r\n",
         {"a======>>b\r", "c======>>d\r"},
         2},
        {"last line without LF is no line", "a======>>b\nc======>>d", {"a======>>b"}, 1},
        {"NUL ends the content", "a======>>b\nc======>>d\0\ne======>>f\n"s, {"a======>>b"}, 1},
        // 0xBD 0x3D is no character pair (0x3D cannot trail), so the separator starts at 0x3D.
        {"separator after a lone lead byte", "\xBD======>>x\n", {"\xBD======>>x"}, 1},
    };
    for (const ReadingCase& c : cases) {
        Write(c.file);
        qdm::CPolyDict dict(m_path);
        std::vector<std::string> lines{"stale"};
        EXPECT_TRUE(dict.LoadLines(lines)) << c.name;
        EXPECT_EQ(lines, c.lines) << c.name;
        EXPECT_EQ(dict.CountEntries(), c.applied) << c.name;
    }
}

TEST_F(PolyDict, AnEntrySplitsAtTheFirstSeparatorAndFailureKeepsTheOldValues) {
    Write("ab======>>c======>>d\nbad\n");
    qdm::CPolyDict dict(m_path);
    std::string word = "w", rep = "r";
    ASSERT_TRUE(dict.GetEntry(0, word, rep));
    EXPECT_EQ(word, "ab");
    EXPECT_EQ(rep, "c======>>d");
    EXPECT_FALSE(dict.GetEntry(1, word, rep));
    EXPECT_FALSE(dict.GetEntry(2, word, rep));
    EXPECT_FALSE(dict.GetEntry(-1, word, rep));
    EXPECT_EQ(word, "ab");
    EXPECT_EQ(rep, "c======>>d");
}

TEST_F(PolyDict, AMissingFileHasNoEntriesAndCannotBeLoaded) {
    qdm::CPolyDict dict(m_path);
    std::string word, rep;
    EXPECT_FALSE(dict.GetEntry(0, word, rep));
    EXPECT_EQ(dict.CountEntries(), 0);
    std::vector<std::string> lines;
    EXPECT_FALSE(dict.LoadLines(lines));
    // The next save creates it.
    ASSERT_TRUE(dict.SaveLines({"a======>>b"}));
    EXPECT_EQ(dict.CountEntries(), 1);
}

TEST_F(PolyDict, SavingWritesLfLinesAtomicallyAndReportsFailures) {
    Write("old======>>content\n");
    qdm::CPolyDict dict(m_path);
    ASSERT_TRUE(dict.SaveLines({"", "a======>>b\r", "junk"}));
    EXPECT_EQ(Read(), "\na======>>b\r\njunk\n");

    qdm::CPolyDict nowhere((m_dir / "no" / "such" / "dir.ini").string());
    qdm::IoStatus io = nowhere.SaveLines({"a======>>b"});
    EXPECT_FALSE(io);
    EXPECT_EQ(io.reason, "No such file or directory");
}

TEST_F(PolyDict, TheSnapshotIsKeptWhileTheFileIsUnchangedAndRenewedWhenItChanges) {
    Write("a======>>b\n");
    qdm::CPolyDict dict(m_path);
    qdm::PolyDictRef first = dict.Snapshot();
    EXPECT_EQ(dict.Snapshot(), first);
    // Same size, same inode, written at once: only the content differs.
    Write("a======>>c\n");
    std::string word, rep;
    ASSERT_TRUE(dict.GetEntry(0, word, rep));
    EXPECT_EQ(rep, "c");
    EXPECT_NE(dict.Snapshot(), first);
}

TEST_F(PolyDict, AChangeBetweenStepsTakesEffectAtTheNextStep) {
    Write("a======>>x\nb======>>y\n");
    qdm::CPolyDict dict(m_path);
    std::string text = "ab";
    qdm::CPolyStepper stepper(dict);
    ASSERT_TRUE(stepper.Step(text));
    Write("a======>>x\nb======>>z\nx======>>w\n");
    while (stepper.Step(text)) {
    }
    EXPECT_EQ(text, "wz");
    EXPECT_EQ(stepper.Word(), "x");
    EXPECT_EQ(stepper.Index(), 3);
}

TEST_F(PolyDict, AFastRunReadsTheFileWhenItsPassStartsAndPicksUpEntriesAddedLater) {
    Write("a======>>x\nb======>>y\n");
    qdm::CPolyDict dict(m_path);
    qdm::CPolyStepper stepper(dict);
    stepper.Begin("ab");
    Write("a======>>x\nb======>>z\n");
    auto run = [&] {
        int applied = 0;
        for (;;) {
            qdm::PolyStepReport r = stepper.StepFor(std::chrono::nanoseconds(1));
            applied += r.applied;
            if (r.exhausted) return applied;
        }
    };
    EXPECT_EQ(run(), 2);
    // The run is exhausted; an entry appended now is applied by the next call.
    Write("a======>>x\nb======>>z\nx======>>w\n");
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(stepper.TakeText(), "wz");
    EXPECT_EQ(stepper.Word(), "x");
}

TEST(PolyDictPath, TheDefaultFileLivesBesideTheExecutable) {
    char exe[4096];
    ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe);
    ASSERT_GT(n, 0);
    const fs::path expected =
        fs::path(std::string(exe, static_cast<size_t>(n))).parent_path() / "kolb_polyphone.ini";
    EXPECT_EQ(qdm::CPolyDict::ExecutableDictPath(), expected.string());
    EXPECT_EQ(qdm::CPolyDict().GetPath(), expected.string());
    qdm::CPolyDict::SetDefaultPath("/tmp/elsewhere.ini");
    EXPECT_EQ(qdm::CPolyDict().GetPath(), "/tmp/elsewhere.ini");
    qdm::CPolyDict::SetDefaultPath("");
    EXPECT_EQ(qdm::CPolyDict().GetPath(), expected.string());
}

TEST(PolyRows, AddingChecksInTheDialogsOrder) {
    const std::vector<std::string> rows = {"ab======>>cd", "x======>>y\r"};
    struct Case {
        std::string word, rep;
        qdm::PolyRowCheck expected;
    };
    const std::vector<Case> cases = {
        {"", "", qdm::PolyRowCheck::EmptyWord},
        {"a", "", qdm::PolyRowCheck::EmptyReplacement},
        {std::string(16, 'w'), "r", qdm::PolyRowCheck::WordTooLong},
        {std::string(15, 'w'), std::string(21, 'r'), qdm::PolyRowCheck::ReplacementTooLong},
        {std::string(15, 'w'), std::string(20, 'r'), qdm::PolyRowCheck::Ok},
        {"a\nb", "c", qdm::PolyRowCheck::LineBreak},
        {"ab", "cd", qdm::PolyRowCheck::Exists},
        {"ab", "ce", qdm::PolyRowCheck::Ok},  // same word, another replacement
        {"x", "y", qdm::PolyRowCheck::Ok},    // the loaded row ends in CR
    };
    for (const Case& c : cases)
        EXPECT_EQ(qdm::CheckNewPolyRow(rows, c.word, c.rep), c.expected) << c.word << "/" << c.rep;
    EXPECT_EQ(qdm::PolyRowMessage(qdm::PolyRowCheck::Exists), gbk::Lit("项目已存在"));
    EXPECT_EQ(qdm::PolyRowMessage(qdm::PolyRowCheck::EmptyWord),
              gbk::Lit("请输入要设置的多音字内容"));
    EXPECT_EQ(qdm::PolyRowMessage(qdm::PolyRowCheck::EmptyReplacement),
              gbk::Lit("请输入要设置的拼音"));
}

TEST(PolyRows, DeletingSelectsTheNextRowOrElseThePreviousOne) {
    EXPECT_EQ(qdm::PolySelectionAfterDelete(1, 3), 1);
    EXPECT_EQ(qdm::PolySelectionAfterDelete(3, 3), 2);
    EXPECT_EQ(qdm::PolySelectionAfterDelete(0, 0), -1);
}

}  // namespace
