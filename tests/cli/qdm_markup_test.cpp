#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "run_qdm.h"

namespace {

using namespace qdmtest;

// "第一章" and "天色" in GBK.
const std::string kChapter = "\xB5\xDA\xD2\xBB\xD5\xC2";
const std::string kSky = "\xCC\xEC\xC9\xAB";

TEST(QdmCheck, NamesTheFirstFaultWithLineColumnAndByte) {
    TempDir dir;
    const std::string good = dir.Write("good.qdm", "<vsection=\r\nabc</vsection>");
    // The fault stands on line 2 after two double-byte characters and a space: column 4.
    const std::string bad =
        dir.Write("bad.qdm", "<vsection=1>\r\n" + kSky + " <vemph>x</vsection>");
    QdmRun run = RunQdm({"check", good, bad});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, good + ": QDM文件检查正确\n" + bad + ":2:4: 重点 没有结束标志 (byte 19)\n");

    run = RunQdm({"check", "--json", bad, dir.File("missing.qdm"), good});
    EXPECT_EQ(run.exitCode, 2);  // a file error outranks a markup fault
    EXPECT_EQ(run.out, "{\"file\":\"" + bad +
                           "\",\"ok\":false,\"offset\":19,\"line\":2,\"column\":4,"
                           "\"message\":\"重点 没有结束标志\"}\n{\"file\":\"" +
                           good + "\",\"ok\":true}\n");
    EXPECT_NE(run.err.find("missing.qdm"), std::string::npos);
    EXPECT_EQ(Slurp(good), "<vsection=\r\nabc</vsection>");  // checking writes nothing
}

TEST(QdmAuto, WritesTheSectionedBookBesideTheText) {
    TempDir dir;
    const std::string in = dir.Write("book.txt", kChapter + "\r\n" + std::string(12, 'a'));
    QdmRun run = RunQdm({"auto", "--json", in});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
              "{\"ok\":true,\"output\":\"" + dir.File("book.qdm") + "\",\"sections\":2}\n");
    EXPECT_EQ(Slurp(dir.File("book.qdm")),
              "\r\n<vsection=1>\r\n" + kChapter +
                  "\r\n\r\n</vsection>\r\n\r\n<vsection=2>\r\naaaaaaaaaaaa\r\n</vsection> \r\n");
    EXPECT_EQ(Slurp(in), kChapter + "\r\n" + std::string(12, 'a'));
}

TEST(QdmAuto, RefusesWithoutWritingAndNeedsAnOutputNameWhenNoneFollows) {
    TempDir dir;
    const std::string in = dir.Write("book.qdm", "intro<vsection=1>a</vsection>");
    QdmRun run = RunQdm({"auto", in});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("-o"), std::string::npos);

    run = RunQdm({"auto", "--json", "-o", dir.File("out.qdm"), in});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out,
              "{\"ok\":false,\"message\":\"section之间不能相交;\",\"offset\":5,"
              "\"selection\":[5,15]}\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.qdm")));

    // Sectioned, but the stray emphasis fails the check: reported in the sectioned text.
    const std::string stray = dir.Write("stray.txt", "abc<vemph>def");
    run = RunQdm({"auto", stray});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, stray + ":3:4: 重点 没有结束标志 (byte 19)\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("stray.qdm")));
}

TEST(QdmNumber, WritesToAFileInPlaceOrToStandardOutput) {
    TempDir dir;
    const std::string in = dir.Write("a.qdm", "<vsection=7>x</vsection><vsection=\r\n");
    QdmRun run = RunQdm({"number", "-o", "-", in});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "<vsection=1>x</vsection><vsection=2>\r\n");
    EXPECT_EQ(RunQdm({"number", "-i", in}).exitCode, 0);
    EXPECT_EQ(Slurp(in), "<vsection=1>x</vsection><vsection=2>\r\n");
    EXPECT_EQ(RunQdm({"number", in}).exitCode, 2);
    EXPECT_EQ(RunQdm({"number", "-i", "-o", "x", in}).exitCode, 2);
}

TEST(QdmNumber, WillNotCutAFileShortAtAZeroByteInPlace) {
    TempDir dir;
    const std::string bytes = std::string("<vsection=\r\n") + '\0' + "tail";
    const std::string in = dir.Write("z.qdm", bytes);
    EXPECT_EQ(RunQdm({"number", "-i", in}).exitCode, 2);
    EXPECT_EQ(RunQdm({"insert", "section", "--sel", "0:0", "-o", in, in}).exitCode, 2);
    EXPECT_EQ(Slurp(in), bytes);
    QdmRun run = RunQdm({"number", "-o", "-", in});
    EXPECT_EQ(run.out, "<vsection=1>\r\n");
    EXPECT_NE(run.err.find("零字节"), std::string::npos);
}

TEST(QdmInsert, WrapsTheRangeOrReportsTheRefusalAndWritesNothing) {
    TempDir dir;
    const std::string text = "<vsection=1>abc</vsection>";
    const std::string in = dir.Write("a.qdm", text);
    QdmRun run =
        RunQdm({"insert", "读者注", "--sel", "12:15", "--json", "-o", dir.File("b.qdm"), in});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "{\"ok\":true,\"selection\":[50,50]}\n");
    EXPECT_EQ(Slurp(dir.File("b.qdm")),
              "<vsection=1>\r\n<vreadernote>\r\nabc\r\n</vreadernote>\r\n</vsection>");

    run = RunQdm({"insert", "section", "--sel=13:-1", "--json", "-i", in});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out,
              "{\"ok\":false,\"message\":\"section之间不能嵌套;\",\"selection\":[0,10]}\n");
    EXPECT_EQ(Slurp(in), text);

    // A bare number is a kind number for InsertTag, even where no kind has it.
    for (const char* number : {"0", "7", "-1"}) {
        run = RunQdm({"insert", number, "--sel", "13:13", "-i", in});
        EXPECT_EQ(run.exitCode, 1) << number;
        EXPECT_EQ(run.out, in + ": 未知格式 (选择 13:13)\n") << number;
    }
    EXPECT_EQ(Slurp(in), text);
}

TEST(QdmInsert, EachKindIsNamedInEnglishOrByItsDisplayName) {
    TempDir dir;
    const std::string in = dir.Write("a.qdm", "<vsection=1>abc</vsection>");
    struct Case {
        const char* english;
        const char* display;
        const char* opened;  // the tag string the selection now follows
    };
    for (const Case& c :
         {Case{"readernote", "读者注", "\r\n<vreadernote>\r\nabc"},
          Case{"authornote", "作者注", "\r\n<vauthornote>\r\nabc"},
          Case{"trans", "译文", "\r\n<vtrans>\r\nabc"}, Case{"emph", "重点", "\r\n<vemph>\r\nabc"},
          Case{"reverse", "反向section", "\r\n</vsection>\r\nabc"}}) {
        const QdmRun english = RunQdm({"insert", c.english, "--sel", "12:15", "-o", "-", in});
        const QdmRun display = RunQdm({"insert", c.display, "--sel", "12:15", "-o", "-", in});
        EXPECT_EQ(english.exitCode, 0) << c.english;
        EXPECT_NE(english.out.find(c.opened), std::string::npos) << english.out;
        EXPECT_EQ(display.out, english.out) << c.display;
    }
}

TEST(QdmInsert, RefusesWordsItCannotUse) {
    TempDir dir;
    const std::string in = dir.Write("a.qdm", "x");
    const std::vector<std::vector<std::string>> bad = {
        {"insert", "emph", "-i", in},                  // no selection
        {"insert", "emph", "--sel", "1-2", "-i", in},  // no colon
        {"insert", "emph", "--sel", "0:99999999999", "-i", in},
        {"insert", "bold", "--sel", "0:0", "-i", in},
        {"insert", "\xF0\x9F\x98\x80", "--sel", "0:0", "-i", in},  // GBK cannot hold it
        {"insert", "emph", "--sel", "0:0", in},                    // neither -o nor -i
        {"insert", "emph", "--sel", "0:0", "--bogus", "-i", in},
    };
    for (const auto& args : bad) EXPECT_EQ(RunQdm(args).exitCode, 2) << args[1] << args[2];
    EXPECT_EQ(Slurp(in), "x");
}

TEST(QdmEnclosing, ReportsTheRegionAroundAPosition) {
    TempDir dir;
    const std::string in = dir.Write("a.qdm", "<vsection=1>a<vemph>b</vemph>c</vsection>");
    EXPECT_EQ(RunQdm({"enclosing", "--json", in, "20"}).out,
              "{\"kind\":\"emph\",\"content_start\":20,\"end\":21}\n");
    EXPECT_EQ(RunQdm({"enclosing", "--json", in, "0"}).out, "{\"kind\":null}\n");
    EXPECT_EQ(RunQdm({"enclosing", in, "999"}).exitCode, 2);
}

TEST(QdmHelp, ExplainsEveryCommandWithAnExample) {
    const QdmRun all = RunQdm({"--help"});
    EXPECT_EQ(all.exitCode, 0);
    // The command list is read from the overview itself, so a command added there without a
    // help page of its own fails here; every page heads its examples with the same word.
    std::istringstream lines(all.out.substr(all.out.find("命令:\n")));
    std::vector<std::string> names;
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("  ", 0) == 0) names.push_back(line.substr(2, line.find(' ', 2) - 2));
    EXPECT_EQ(names.size(), 10u);
    for (const std::string& name : names) {
        const QdmRun one = RunQdm({"help", name});
        EXPECT_EQ(one.exitCode, 0) << name;
        EXPECT_NE(one.out.find("\n例子:\n"), std::string::npos) << name;
    }
}

}  // namespace
