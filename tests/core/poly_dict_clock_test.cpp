// Whether the dictionary sees a rewrite that its file's stamp cannot show, on a staged clock:
// the stamp stays exactly as it was while the bytes change underneath.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "polyphone/poly_dict.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t kSecond = 1'000'000'000;
constexpr int64_t kWritten = 1000 * kSecond;  // when the file was last written, by its stamp

class StagedClock : public qdm::IPolyDictClock {
  public:
    qdm::PolyFileStamp stamp{true, 8, 42, 11, kWritten, kWritten};
    int64_t now = kWritten;
    qdm::PolyFileStamp Stamp(const std::string&) const override { return stamp; }
    int64_t NowNs() const override { return now; }
};

class PolyDictRewrite : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("qdm-dict-clock-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
        m_path = (m_dir / "kolb_polyphone.ini").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }
    // Every version has the same size as the stamp: only the replacement's letter differs.
    void Write(char replacement) {
        std::ofstream(m_path, std::ios::binary) << "a======>>" << replacement << "\n";
    }
    static std::string Replacement(const qdm::CPolyDict& dict) {
        return std::string(dict.Snapshot()->Replacement(0));
    }
    fs::path m_dir;
    std::string m_path;
    StagedClock m_clock;
};

struct RewriteCase {
    const char* name;
    int64_t mtime, ctime;  // of the version read first
    int64_t readAt;        // when it was read
    bool seen;             // the same-stamp rewrite that follows is read
};

TEST_F(PolyDictRewrite, ARewriteWithTheSameStampIsReadOnlyWhileTheStampCannotProveItUnchanged) {
    const int64_t window = qdm::kPolyRacyWindowNs;
    const std::vector<RewriteCase> cases = {
        {"read in the tick of the write", kWritten, kWritten, kWritten, true},
        {"read as the window closes", kWritten, kWritten, kWritten + window, true},
        {"read just after the window", kWritten, kWritten, kWritten + window + 1, false},
        {"read a second later", kWritten, kWritten, kWritten + kSecond, false},
        {"old content, change time in the window", kWritten - 60 * kSecond, kWritten,
         kWritten + window / 2, true},
        {"old change time, modification in the window", kWritten, kWritten - 60 * kSecond, kWritten,
         true},
    };
    for (const RewriteCase& c : cases) {
        Write('b');
        m_clock.stamp.mtimeNs = c.mtime;
        m_clock.stamp.ctimeNs = c.ctime;
        m_clock.now = c.readAt;
        qdm::CPolyDict dict(m_path, m_clock);
        ASSERT_EQ(Replacement(dict), "b") << c.name;
        Write('c');
        m_clock.now = c.readAt + 1;
        EXPECT_EQ(Replacement(dict), c.seen ? "c" : "b") << c.name;
    }
}

TEST_F(PolyDictRewrite, AFileReadInTheTickOfItsWriteIsReadAgainOnceAndThenTrusted) {
    Write('b');
    qdm::CPolyDict dict(m_path, m_clock);
    ASSERT_EQ(Replacement(dict), "b");
    // Rewritten in the same tick with the same size: nothing in the stamp tells.
    Write('c');
    m_clock.now = kWritten + 2 * qdm::kPolyRacyWindowNs;
    EXPECT_EQ(Replacement(dict), "c");
    // That read came long after the write, so the unchanged stamp now vouches for the file;
    // bytes changed behind it (which no real write could do) stay unseen.
    Write('d');
    m_clock.now += kSecond;
    EXPECT_EQ(Replacement(dict), "c");
    // A new stamp is read at once.
    m_clock.stamp.mtimeNs = m_clock.stamp.ctimeNs = m_clock.now;
    EXPECT_EQ(Replacement(dict), "d");
}

TEST_F(PolyDictRewrite, AnUntouchedFileKeepsItsSnapshotAndAVanishedOneIsUnreadable) {
    Write('b');
    m_clock.now = kWritten + kSecond;
    qdm::CPolyDict dict(m_path, m_clock);
    const qdm::PolyDictRef first = dict.Snapshot();
    EXPECT_EQ(dict.Snapshot(), first);
    EXPECT_EQ(dict.Snapshot(), first);
    m_clock.stamp = qdm::PolyFileStamp{};
    EXPECT_FALSE(dict.Snapshot()->Readable());
}

TEST(PolyDictSystemClock, StampsARegularFileByItsSizeAndNothingElse) {
    const fs::path dir = fs::temp_directory_path() / ("qdm-stamp-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string file = (dir / "f.ini").string();
    std::ofstream(file, std::ios::binary) << "12345";
    const qdm::IPolyDictClock& clock = qdm::SystemPolyDictClock();
    const qdm::PolyFileStamp stamp = clock.Stamp(file);
    EXPECT_TRUE(stamp.valid);
    EXPECT_EQ(stamp.size, 5);
    EXPECT_EQ(stamp, clock.Stamp(file));
    EXPECT_GE(clock.NowNs() + qdm::kPolyRacyWindowNs, stamp.mtimeNs);
    EXPECT_FALSE(clock.Stamp(dir.string()).valid);
    EXPECT_FALSE(clock.Stamp((dir / "missing").string()).valid);
    fs::remove_all(dir);
}

}  // namespace
