// Where the shipped files and the dictionary are found: an installed program against a build
// tree, the user's copy of an installed editor's dictionary.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "editor/resource_path.h"
#include "polyphone/poly_dict.h"
#include "polyphone/poly_dict_edit.h"
#include "polyphone/poly_dict_home.h"

namespace fs = std::filesystem;

namespace {

class Scratch : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("qdm-home-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        qdm::OverridePolyDictPlaces(std::nullopt);
        fs::remove_all(m_dir);
    }
    std::string Put(const std::string& rel, const std::string& bytes = "x") {
        const fs::path p = m_dir / rel;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string At(const std::string& rel) { return (m_dir / rel).string(); }
    fs::path m_dir;
};

using ResourceLookup = Scratch;

TEST_F(ResourceLookup, AnInstalledProgramReadsItsOwnShareBeforeTheSources) {
    struct Case {
        const char* name;
        const char* exeDir;
        const char* buildDir;
        bool installed, inSources;
        const char* expected;  // relative to the scratch folder, "" for not found
    };
    const Case cases[] = {
        {"installed, sources at hand", "usr/bin", "build", true, true, "usr/share/mked/f.txt"},
        {"installed only", "usr/bin", "build", true, false, "usr/share/mked/f.txt"},
        {"run from its build folder", "build", "build", false, true, "src/res/f.txt"},
        {"copied out of the build", "opt/bin", "build", false, true, ""},
        {"build folder unknown", "build", "", false, true, ""},
        {"nowhere", "build", "build", false, false, ""},
    };
    for (const Case& c : cases) {
        fs::remove_all(m_dir);
        fs::create_directories(At(c.exeDir));
        fs::create_directories(At("build"));
        if (c.installed) Put("usr/share/mked/f.txt");
        if (c.inSources) Put("src/res/f.txt");
        const std::string build = *c.buildDir ? At(c.buildDir) : std::string();
        EXPECT_EQ(qdm::FindResourceIn("f.txt", At(c.exeDir), build, At("src/res")),
                  *c.expected ? At(c.expected) : std::string())
            << c.name;
    }
}

TEST_F(ResourceLookup, TheTestsThemselvesFindTheShippedTablesInTheSources) {
    EXPECT_NE(qdm::FindResource("polyphone-readings.txt"), "");
}

TEST(PolyDictPlaces, TheUsersCopyIsTheDefaultOnlyWhereTheProgramsFolderIsReadOnly) {
    struct Case {
        bool writable;
        const char* user;
        const char* expected;
    };
    for (const Case& c : {Case{true, "/h/u.ini", "/b/k.ini"}, Case{false, "/h/u.ini", "/h/u.ini"},
                          Case{false, "", "/b/k.ini"}}) {
        const qdm::PolyDictPlaces places{"/b/k.ini", c.writable, c.user};
        EXPECT_EQ(places.Default(), c.expected) << c.writable << c.user;
    }
    const qdm::PolyDictPlaces places{"/b/k.ini", false, "/h/u.ini"};
    EXPECT_EQ(places.SeedFor("/h/u.ini"), "/b/k.ini");
    EXPECT_EQ(places.SeedFor("/elsewhere.ini"), "");
    EXPECT_EQ(places.SeedFor("/b/k.ini"), "");
}

TEST(PolyDictPlaces, TheUsersCopyFollowsTheBaseDirectoryRules) {
    const char* savedXdg = std::getenv("XDG_DATA_HOME");
    const std::string xdg = savedXdg ? savedXdg : "";
    const char* savedHome = std::getenv("HOME");
    const std::string home = savedHome ? savedHome : "";
    setenv("HOME", "/home/reader", 1);
    struct Case {
        const char* xdg;  // nullptr: unset
        const char* expected;
    };
    for (const Case& c :
         {Case{"/data", "/data/mked/kolb_polyphone.ini"},
          Case{nullptr, "/home/reader/.local/share/mked/kolb_polyphone.ini"},
          Case{"relative/data", "/home/reader/.local/share/mked/kolb_polyphone.ini"},
          Case{"", "/home/reader/.local/share/mked/kolb_polyphone.ini"}}) {
        if (c.xdg)
            setenv("XDG_DATA_HOME", c.xdg, 1);
        else
            unsetenv("XDG_DATA_HOME");
        EXPECT_EQ(qdm::UserDictPath(), c.expected) << (c.xdg ? c.xdg : "unset");
    }
    savedXdg ? setenv("XDG_DATA_HOME", xdg.c_str(), 1) : unsetenv("XDG_DATA_HOME");
    savedHome ? setenv("HOME", home.c_str(), 1) : unsetenv("HOME");
}

// An installed editor: the file beside the program cannot be written, the user's copy does not
// exist yet.
class InstalledDict : public Scratch {
  protected:
    void SetUp() override {
        Scratch::SetUp();
        m_beside = Put("usr/bin/kolb_polyphone.ini", "a======>>1\nb======>>2\n");
        m_user = At("xdg/mked/kolb_polyphone.ini");
        qdm::OverridePolyDictPlaces(qdm::PolyDictPlaces{m_beside, false, m_user});
    }
    std::string m_beside, m_user;
};

TEST_F(InstalledDict, IsReadBesideTheProgramUntilTheUsersCopyExists) {
    const qdm::CPolyDict dict;
    EXPECT_EQ(dict.GetPath(), m_user);
    EXPECT_EQ(dict.ReadPath(), m_beside);
    EXPECT_EQ(dict.CountEntries(), 2);
    Put("xdg/mked/kolb_polyphone.ini", "c======>>3\n");
    EXPECT_EQ(dict.ReadPath(), m_user);
    std::string word, replacement;
    EXPECT_TRUE(dict.GetEntry(0, word, replacement));
    EXPECT_EQ(word, "c");
    EXPECT_EQ(dict.CountEntries(), 1);
}

TEST_F(InstalledDict, TheFirstEditCopiesTheProgramsEntriesAcross) {
    const qdm::CPolyDict dict;
    const qdm::IoStatus io = qdm::EditPolyDict(dict.GetPath(), true, [](qdm::PolyDictText& t) {
        t.Add("c======>>3");
        return true;
    });
    ASSERT_TRUE(io) << io.Describe();
    EXPECT_EQ(Read(m_user), "a======>>1\nb======>>2\nc======>>3\n");
    EXPECT_EQ(Read(m_beside), "a======>>1\nb======>>2\n");
    EXPECT_EQ(dict.CountEntries(), 3);
}

TEST_F(InstalledDict, AFirstEditThatChangesNothingStillLeavesTheUserACopy) {
    ASSERT_TRUE(qdm::EditPolyDict(m_user, true, [](qdm::PolyDictText&) { return false; }));
    EXPECT_EQ(Read(m_user), Read(m_beside));
}

TEST_F(InstalledDict, SavingTheWholeListMakesTheUsersFolder) {
    const qdm::CPolyDict dict;
    std::vector<std::string> lines;
    ASSERT_TRUE(dict.LoadLines(lines));
    lines.push_back("z======>>9");
    ASSERT_TRUE(dict.SaveLines(lines));
    EXPECT_EQ(Read(m_user), "a======>>1\nb======>>2\nz======>>9\n");
}

TEST_F(InstalledDict, WithoutAFileBesideTheProgramTheUsersCopyStartsEmpty) {
    fs::remove(m_beside);
    const qdm::CPolyDict dict;
    EXPECT_FALSE(dict.Snapshot()->Readable());
    ASSERT_TRUE(qdm::EditPolyDict(m_user, true, [](qdm::PolyDictText& t) {
        t.Add("c======>>3");
        return true;
    }));
    EXPECT_EQ(Read(m_user), "c======>>3\n");
}

TEST_F(InstalledDict, AnotherFileNamedByTheUserIsNeverSeeded) {
    const std::string other = At("mine/kolb_polyphone.ini");
    const qdm::IoStatus io = qdm::EditPolyDict(other, true, [](qdm::PolyDictText& t) {
        t.Add("c======>>3");
        return true;
    });
    EXPECT_FALSE(io);  // its folder is not made either: a mistyped path is reported
    EXPECT_FALSE(fs::exists(other));
}

}  // namespace
