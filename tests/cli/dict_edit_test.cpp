// Dictionary edits change exactly the line concerned, under a lock, and keep the file's owner
// and mode; a dictionary holding a NUL byte is never rewritten.
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>

#include "tests/cli/run_qdm.h"

namespace {

using namespace qdmtest;

struct EditCase {
    const char* name;
    std::string before;
    std::vector<std::string> edit;  // the words after "dict --dict PATH"
    int exitCode;
    std::string after;
};

TEST(DictEdits, AddAndRemoveChangeOnlyTheLineConcerned) {
    const std::string messy = "a======>>b\r\nnot an entry\n\nc======>>d\r\ntail without LF";
    const std::vector<EditCase> cases = {
        {"add terminates the last line first",
         messy,
         {"add", "x", "y"},
         0,
         messy + "\nx======>>y\n"},
        {"remove keeps malformed lines and CR LF",
         messy,
         {"remove", "1"},
         0,
         "not an entry\n\nc======>>d\r\ntail without LF"},
        {"remove of a malformed line",
         messy,
         {"remove", "2"},
         0,
         "a======>>b\r\n\nc======>>d\r\ntail without LF"},
        {"the tail is no line to remove", messy, {"remove", "5"}, 2, messy},
        {"an existing row is refused", "x======>>y\n", {"add", "x", "y"}, 1, "x======>>y\n"},
        {"an unterminated equal row is refused", "x======>>y", {"add", "x", "y"}, 1, "x======>>y"},
        {"a NUL byte refuses add",
         std::string("a======>>b\n\0rest\n", 17),
         {"add", "x", "y"},
         2,
         std::string("a======>>b\n\0rest\n", 17)},
        {"a NUL byte refuses remove",
         std::string("a======>>b\n\0rest\n", 17),
         {"remove", "1"},
         2,
         std::string("a======>>b\n\0rest\n", 17)},
        {"the separator in a word", "", {"add", "a======>>b", "c"}, 1, ""},
        {"the separator in a replacement", "", {"add", "a", "b======>>c"}, 1, ""},
        {"a signed index", "a======>>b\n", {"remove", "+1"}, 2, "a======>>b\n"},
        {"an index with a space", "a======>>b\n", {"remove", " 1"}, 2, "a======>>b\n"},
        {"a hexadecimal index", "a======>>b\n", {"remove", "0x1"}, 2, "a======>>b\n"},
    };
    TempDir dir;
    for (const EditCase& c : cases) {
        const std::string dict = dir.Write("d.ini", c.before);
        std::vector<std::string> args = {"dict", "--dict", dict};
        args.insert(args.end(), c.edit.begin(), c.edit.end());
        const qdmtest::QdmRun run = RunQdm(args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << ": " << run.err;
        EXPECT_EQ(Slurp(dict), c.after) << c.name;
    }
    const std::string dict = dir.Write("d.ini", std::string("a\0", 2));
    EXPECT_EQ(
        RunQdm({"dict", "--dict", dict, "add", "x", "y"}).err,
        "qdm: 不能改写多音字词典 " + dict + ": 含有 NUL 字节，改写会丢掉它后面的内容，未改动\n");
    dir.Write("d.ini", "");
    EXPECT_EQ(RunQdm({"dict", "--dict", dict, "add", "a======>>b", "c"}).err,
              "qdm: 词组和拼音中不能有======>>\n");
}

TEST(DictEdits, TwentyAddsAtOnceLeaveTwentyEntries) {
    TempDir dir;
    const std::string dict = dir.File("d.ini");
    std::string line;
    for (int i = 0; i < 20; ++i) {
        std::string word = "w";
        word.append(std::to_string(i));
        line.append(QdmCommand({"dict", "--dict", dict, "add", word, "p"})).append(" & ");
    }
    const qdmtest::QdmRun run = RunShell(line.append("wait"));
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(RunQdm({"dict", "--dict", dict, "count"}).out, "20\n");
}

TEST(DictEdits, CrEndedEntriesAreCountedAloud) {
    TempDir dir;
    const std::string dict = dir.Write("d.ini", "a======>>b\r\nc======>>d\r\ne======>>f\n");
    const std::string book = dir.Write("book.txt", "ace");
    const std::string note = "qdm: 注意: 2 个条目以回车符结尾 (回车符会成为替换文本的一部分)\n";
    qdmtest::QdmRun run = RunQdm({"dict", "--dict", dict, "count"});
    EXPECT_EQ(run.out, "3\n");
    EXPECT_EQ(run.err, note);
    run = RunQdm({"polyphone", "--dict", dict, book});
    EXPECT_EQ(run.err, note);
    EXPECT_EQ(Slurp(book), "b\rd\rf");  // the rule stays: the CR is part of the replacement
}

TEST(DictEdits, ARewriteKeepsOwnerGroupAndModeBits) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand the files to another user";
    const passwd* nobody = ::getpwnam("nobody");
    const group* nogroup = ::getgrnam("nogroup");
    ASSERT_TRUE(nobody && nogroup);
    TempDir dir;
    const std::string dict = dir.Write("d.ini", "a======>>b\n");
    const std::string book = dir.Write("book.txt", "xa");
    for (const std::string& path : {dict, book}) {
        ASSERT_EQ(::chown(path.c_str(), nobody->pw_uid, nogroup->gr_gid), 0);
        ASSERT_EQ(::chmod(path.c_str(), 02664), 0);
    }
    EXPECT_EQ(RunQdm({"dict", "--dict", dict, "add", "x", "y"}).exitCode, 0);
    EXPECT_EQ(RunQdm({"polyphone", "--dict", dict, book}).exitCode, 0);
    EXPECT_EQ(Slurp(book), "yb");
    for (const std::string& path : {dict, book}) {
        struct stat st;
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, nobody->pw_uid) << path;
        EXPECT_EQ(st.st_gid, nogroup->gr_gid) << path;
        EXPECT_EQ(st.st_mode & 07777, 02664u) << path;
    }
}

}  // namespace
