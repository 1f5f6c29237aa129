#include <gtest/gtest.h>

#include "tests/cli/run_qdm.h"

namespace {

using namespace qdmtest;

// 银行 yin2hang2, 行长 hang2zhang3, in GBK.
const std::string kDict =
    "\xD2\xF8\xD0\xD0======>>yin2hang2\n\xD0\xD0\xB3\xA4======>>hang2zhang3\n";
const std::string kBook = "\xD2\xF8\xD0\xD0\xA3\xAC\xD0\xD0\xB3\xA4\r\n";  // 银行，行长

TEST(QdmPolyphone, ProcessesADirectoryInPlaceWithALinePerFileAndASummary) {
    qdmtest::TempDir dir;
    const std::string dict = dir.Write("dict.ini", kDict);
    std::filesystem::create_directories(dir.Path() / "books");
    dir.Write("books/a.txt", kBook);
    dir.Write("books/b.dat", std::string("x\0y", 3));
    const auto run = RunQdm({"polyphone", "--dict", dict, dir.File("books")});
    EXPECT_EQ(run.exitCode, 1);  // a file was refused
    EXPECT_EQ(run.out, dir.File("books") + "/a.txt: 处理多音字2个!\n" + dir.File("books") +
                           "/b.dat: 跳过，含有 NUL 字节，不是文本文件，未改动\n"
                           "共 2 个文件: 处理 1 个，跳过 1 个，替换多音字 2 个\n");
    EXPECT_EQ(run.err, "");  // no progress bar: standard error is no terminal
    EXPECT_EQ(Slurp(dir.File("books/a.txt")), "yin2hang2\xA3\xAChang2zhang3\r\n");
    EXPECT_EQ(Slurp(dir.File("books/b.dat")), std::string("x\0y", 3));
}

TEST(QdmPolyphone, JsonGivesAnObjectPerFileAndATotal) {
    qdmtest::TempDir dir;
    const std::string dict = dir.Write("dict.ini", kDict);
    const std::string book = dir.Write("book.txt", kBook);
    const std::string empty = dir.Write("empty.txt", "");
    const auto run = RunQdm({"polyphone", "--json", "--dict", dict, book, empty});
    EXPECT_EQ(run.exitCode, 0);  // an empty file is nothing to complain about
    EXPECT_EQ(run.out, "{\"file\":\"" + book +
                           "\",\"replacements\":2,\"status\":\"done\",\"reason\":null}\n"
                           "{\"file\":\"" +
                           empty +
                           "\",\"replacements\":0,\"status\":\"skipped\",\"reason\":\"空文件\"}\n"
                           "{\"files\":2,\"done\":1,\"skipped\":1,\"replacements\":2}\n");
}

TEST(QdmPolyphone, DryRunWritesNothingAndOutputGoesElsewhere) {
    qdmtest::TempDir dir;
    const std::string dict = dir.Write("dict.ini", kDict);
    const std::string book = dir.Write("book.txt", kBook);
    auto run = RunQdm({"polyphone", "--dry-run", "--dict", dict, book});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(
        run.out,
        book +
            ": 处理多音字2个! (试运行，未写入)\n"
            "共 1 个文件: 处理 1 个，跳过 0 个，替换多音字 2 个 (试运行，没有写入任何文件)\n");
    EXPECT_EQ(Slurp(book), kBook);

    EXPECT_EQ(RunQdm({"polyphone", "-n", "--dict=" + dict, book}).out, run.out);

    run = RunQdm({"polyphone", "--dict", dict, "--output", dir.File("out.txt"), book});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Slurp(dir.File("out.txt")), "yin2hang2\xA3\xAChang2zhang3\r\n");
    EXPECT_EQ(Slurp(book), kBook);

    run = RunQdm({"polyphone", "--dict", dict, "-o", "-", book});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "yin2hang2\xA3\xAChang2zhang3\r\n");
    EXPECT_EQ(run.err,
              book + ": 处理多音字2个!\n共 1 个文件: 处理 1 个，跳过 0 个，替换多音字 2 个\n");
}

TEST(QdmPolyphone, UsageAndMissingFilesAreErrors) {
    qdmtest::TempDir dir;
    const std::string dict = dir.Write("dict.ini", kDict);
    EXPECT_EQ(RunQdm({"polyphone", "--dict", dict}).exitCode, 2);
    EXPECT_EQ(RunQdm({"polyphone", "--dict", dict, "--bogus", dir.File("x")}).exitCode, 2);
    EXPECT_EQ(RunQdm({"polyphone", "--dict", dict, "-o", "o", "a", "b"}).exitCode, 2);
    EXPECT_EQ(RunQdm({"polyphone", dir.File("x"), "-o"}).err,
              "qdm: -o 后面要有输出文件 (或 - 表示标准输出)\n用法见: qdm help polyphone\n");
    EXPECT_EQ(RunQdm({"dict", "list", "--dict"}).err,
              "qdm: --dict 后面要有词典文件的路径\n用法见: qdm help dict\n");
    auto run = RunQdm({"polyphone", "--dict", dict, dir.File("missing.txt")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("missing.txt: No such file or directory"), std::string::npos);
    run = RunQdm({"polyphone", "--dict", dir.File("nodict.ini"), dir.File("dict.ini")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("无法读取多音字词典"), std::string::npos);
    EXPECT_EQ(Slurp(dict), kDict);
}

TEST(QdmDict, AddListCountAndRemoveFollowTheSettingsDialog) {
    qdmtest::TempDir dir;
    const std::string dict = dir.File("kolb_polyphone.ini");
    auto run = RunQdm({"dict", "--dict", dict, "add", "银行", "yin2hang2"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "已添加第 1 行: 银行======>>yin2hang2\n");
    EXPECT_EQ(RunQdm({"dict", "--dict", dict, "add", "行长", "hang2zhang3"}).exitCode, 0);
    EXPECT_EQ(Slurp(dict), kDict);

    struct Refusal {
        std::string word, rep, message;
    };
    const std::vector<Refusal> refusals = {
        {"银行", "yin2hang2", "qdm: 项目已存在\n"},
        {"", "x", "qdm: 请输入要设置的多音字内容\n"},
        {"x", "", "qdm: 请输入要设置的拼音\n"},
        {"一二三四五六七八", "x", "qdm: 多音字词组最多15个字节(7个汉字)\n"},
    };
    for (const Refusal& r : refusals) {
        run = RunQdm({"dict", "--dict", dict, "add", r.word, r.rep});
        EXPECT_EQ(run.exitCode, 1) << r.message;
        EXPECT_EQ(run.err, r.message);
    }
    EXPECT_EQ(Slurp(dict), kDict);

    run = RunQdm({"dict", "--dict", dict, "list"});
    EXPECT_EQ(run.out, "1\t银行======>>yin2hang2\n2\t行长======>>hang2zhang3\n");
    EXPECT_EQ(RunQdm({"dict", "--dict", dict, "count"}).out, "2\n");
    run = RunQdm({"dict", "--dict", dict, "remove", "1"});
    EXPECT_EQ(run.out, "已删除第 1 行: 银行======>>yin2hang2\n");
    EXPECT_EQ(RunQdm({"dict", "--dict", dict, "remove", "5"}).exitCode, 2);
    EXPECT_EQ(Slurp(dict), "\xD0\xD0\xB3\xA4======>>hang2zhang3\n");
}

TEST(QdmDict, ReadingProblemsAreReportedNotHidden) {
    qdmtest::TempDir dir;
    auto run = RunQdm({"dict", "--dict", dir.File("none.ini"), "list"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("No such file or directory"), std::string::npos);
    run = RunQdm({"dict", "--dict", dir.File("no/such/dir.ini"), "add", "a", "b"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("无法写入多音字词典"), std::string::npos);
    dir.Write("crlf.ini", "a======>>b\r\nbad\nc======>>d\n");
    run = RunQdm({"dict", "--dict", dir.File("crlf.ini"), "list"});
    EXPECT_EQ(run.out, "1\ta======>>b\\r\n2\tbad\n3\tc======>>d\n");
    EXPECT_EQ(RunQdm({"dict", "--dict", dir.File("crlf.ini"), "count"}).out, "1\n");
}

}  // namespace
