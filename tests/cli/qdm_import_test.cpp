#include <gtest/gtest.h>

#include "run_qdm.h"

namespace {

using namespace qdmtest;

const std::string kCorpus = std::string(MKED_TEST_DATA) + "/encoding/";

// 床前明月光 in GBK and UTF-8; 😀 outside GBK.
const std::string kGbk = "\xB4\xB2\xC7\xB0\xC3\xF7\xD4\xC2\xB9\xE2";
const std::string kUtf8 = "\xE5\xBA\x8A\xE5\x89\x8D\xE6\x98\x8E\xE6\x9C\x88\xE5\x85\x89";
const std::string kSmile = "\xF0\x9F\x98\x80";

TEST(QdmImport, WritesGbkAndReportsEveryCharacterItReplaced) {
    TempDir dir;
    const std::string in = dir.Write("book.txt", kUtf8 + kSmile + "\n" + kSmile + "x\n");
    const std::string out = dir.File("out.txt");
    QdmRun run = RunQdm({"import", "-o", out, in});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, in + ": 已从 utf-8 转换为 GBK，替换 2 个字符\n" + in +
                           ":1:6: U+1F600 无法用 GBK 表示\n" + in +
                           ":2:1: U+1F600 无法用 GBK 表示\n");
    EXPECT_EQ(Slurp(out), kGbk + "?\r\n?x\r\n");
    EXPECT_EQ(Slurp(in), kUtf8 + kSmile + "\n" + kSmile + "x\n");  // the source is untouched

    run = RunQdm({"import", "--json", "--substitute=", "--keep-newlines", "-o", out, in});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
              "{\"ok\":true,\"input\":\"" + in + "\",\"output\":\"" + out +
                  "\",\"encoding\":\"utf-8\",\"unmappable\":2,\"newlines\":0,\"examples\":["
                  "{\"char\":\"" +
                  kSmile +
                  "\",\"codepoint\":\"U+1F600\",\"line\":1,"
                  "\"column\":6},{\"char\":\"" +
                  kSmile + "\",\"codepoint\":\"U+1F600\",\"line\":2,\"column\":1}]}\n");
    EXPECT_EQ(Slurp(out), kGbk + "\nx\n");
}

TEST(QdmImport, DetectsEachEncodingOrTakesTheOneGiven) {
    TempDir dir;
    const std::string out = dir.File("out.txt");
    struct Case {
        std::vector<std::string> options;
        std::string file, encoding;
    } cases[] = {
        {{}, "jingyesi.utf16be.txt", "utf-16be"},
        {{}, "jingyesi.big5.txt", "big5"},
        {{}, "rare.gb18030.txt", "gb18030"},
        {{}, "jingyesi.gbk.txt", "gbk"},
        {{"--from", "utf-16"}, "jingyesi.utf16le.txt", "utf-16le"},
        {{"--from", "gbk"}, "jingyesi.utf8.txt", "gbk"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"import", "--json", "-o", out};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(kCorpus + c.file);
        const QdmRun run = RunQdm(args);
        EXPECT_EQ(run.exitCode, 0) << c.file;
        EXPECT_NE(run.out.find("\"encoding\":\"" + c.encoding + "\""), std::string::npos)
            << c.file << run.out;
    }
    // A GBK input, and one read as GBK on request, are written byte for byte.
    EXPECT_EQ(Slurp(out), Slurp(kCorpus + "jingyesi.utf8.txt"));
}

TEST(QdmImport, RefusesBadUsageAndMissingFilesWithStatusTwo) {
    TempDir dir;
    const std::string in = dir.Write("a.txt", kUtf8);
    const std::vector<std::vector<std::string>> calls = {
        {"import", in},                                     // no -o or -i
        {"import", "--from", "ebcdic", "-o", "x", in},      // unknown encoding
        {"import", "--substitute", kSmile, "-o", "x", in},  // a substitute GBK cannot hold
        {"import", "-o", dir.File("x"), dir.File("missing.txt")},
    };
    for (const auto& call : calls) EXPECT_EQ(RunQdm(call).exitCode, 2) << call[1];
    EXPECT_FALSE(std::filesystem::exists(dir.File("x")));
}

TEST(QdmImport, ReportsMalformedInputWithItsPlace) {
    TempDir dir;
    const std::string in = dir.Write("cut.txt", "ab\n" + kUtf8 + "\xE5\xBA");
    const QdmRun run = RunQdm({"import", "-o", dir.File("out.txt"), in});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, in + ": 已从 utf-8 转换为 GBK，替换 1 个字符\n" + in +
                           ":2:6: 无效的 utf-8 字节序列 (byte 18)\n");
    EXPECT_EQ(Slurp(dir.File("out.txt")), "ab\r\n" + kGbk + "?");
}

TEST(QdmAuto, AUtf8BookGivesTheSameQdmAsTheGbkBook) {
    TempDir dir;
    const std::string gbk = dir.Write("gbk.txt", kGbk + "\r\n" + kGbk + kGbk + "\r\n");
    const std::string utf8 = dir.Write("utf8.txt", kUtf8 + "\n" + kUtf8 + kUtf8 + "\n");
    QdmRun run = RunQdm({"auto", "--json", gbk});
    EXPECT_EQ(run.exitCode, 0);
    run = RunQdm({"auto", "--json", utf8});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "{\"ok\":true,\"output\":\"" + dir.File("utf8.qdm") +
                           "\",\"sections\":2,\"converted_from\":\"utf-8\",\"unmappable\":0}\n");
    EXPECT_EQ(run.err, utf8 + ": 已从 utf-8 转换为 GBK，替换 0 个字符\n");
    EXPECT_EQ(Slurp(dir.File("utf8.qdm")), Slurp(dir.File("gbk.qdm")));

    // Read raw on request: the UTF-8 bytes are sectioned as they are.
    run = RunQdm({"auto", "--from", "gbk", "-o", dir.File("raw.qdm"), utf8});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_NE(Slurp(dir.File("raw.qdm")).find(kUtf8), std::string::npos);
}

TEST(QdmCheck, WarnsAboutAnotherEncodingAndChecksTheBytesAsGiven) {
    TempDir dir;
    const std::string utf8 = dir.Write("u.qdm", "<vsection=1>" + kUtf8 + "</vsection>");
    const std::string gbk = dir.Write("g.qdm", "<vsection=1>" + kGbk + "</vsection>");
    const QdmRun run = RunQdm({"check", utf8, gbk});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, utf8 + ": QDM文件检查正确\n" + gbk + ": QDM文件检查正确\n");
    EXPECT_EQ(run.err, utf8 + ": 警告: 文件看起来是 UTF-8 编码\n");
}

}  // namespace
