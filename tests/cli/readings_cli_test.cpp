// qdm readings and qdm polyphone --smart as a script sees them.
#include <gtest/gtest.h>

#include "tests/cli/run_qdm.h"

namespace {

using namespace qdmtest;

// 他是银行的行长。 in GBK, and in UTF-8.
const std::string kBook = "\xCB\xFB\xCA\xC7\xD2\xF8\xD0\xD0\xB5\xC4\xD0\xD0\xB3\xA4\xA1\xA3\r\n";
const std::string kBookUtf8 = "他是银行的行长。\r\n";
// 银行 yin2hang2, in GBK.
const std::string kDict = "\xD2\xF8\xD0\xD0======>>yin2hang2\n";

TEST(QdmReadings, PrintsALinePerPolyphonicCharacterAndAnObjectPerCharacterInJson) {
    TempDir dir;
    const std::string book = dir.Write("book.txt", kBook);
    auto run = RunQdm({"readings", book});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, book + ":1:4: 行 hang2 (default xing2) 1.00\n" + book +
                           ":1:5: 的 de (default de) 1.00\n" + book +
                           ":1:6: 行 hang2 (default xing2) 0.98\n" + book +
                           ":1:7: 长 zhang3 (default chang2) 1.00\n");
    run = RunQdm({"readings", "--json", "--changed", book});
    EXPECT_EQ(run.exitCode, 0);
    const std::string head = "{\"file\":\"" + book + "\",";
    EXPECT_EQ(run.out,
              head +
                  "\"offset\":6,\"line\":1,\"column\":4,\"char\":\"行\",\"reading\":\"hang2\","
                  "\"default\":\"xing2\",\"confidence\":1.00}\n" +
                  head +
                  "\"offset\":10,\"line\":1,\"column\":6,\"char\":\"行\",\"reading\":\"hang2\","
                  "\"default\":\"xing2\",\"confidence\":0.98}\n" +
                  head +
                  "\"offset\":12,\"line\":1,\"column\":7,\"char\":\"长\",\"reading\":\"zhang3\","
                  "\"default\":\"chang2\",\"confidence\":1.00}\n");
}

TEST(QdmReadings, ConvertsAnotherEncodingFirstAndOffsetsCountItsGbkBytes) {
    TempDir dir;
    const std::string gbk = dir.Write("gbk.txt", kBook);
    const std::string utf8 = dir.Write("utf8.txt", kBookUtf8);
    const auto a = RunQdm({"readings", "--json", gbk});
    const auto b = RunQdm({"readings", "--json", utf8});
    EXPECT_EQ(b.exitCode, 0);
    std::string expected = a.out;
    for (size_t at; (at = expected.find(gbk)) != std::string::npos;)
        expected.replace(at, gbk.size(), utf8);
    EXPECT_EQ(b.out, expected);
    EXPECT_EQ(b.err, utf8 + ": 已从 utf-8 转换为 GBK，替换 0 个字符\n");
}

TEST(QdmReadings, UsageAndFileErrorsExitWithTwo) {
    TempDir dir;
    const std::string book = dir.Write("book.txt", kBook);
    EXPECT_EQ(RunQdm({"readings"}).exitCode, 2);
    EXPECT_EQ(RunQdm({"readings", "--bogus", book}).exitCode, 2);
    const auto run = RunQdm({"readings", dir.File("missing.txt"), book});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("missing.txt: No such file or directory"), std::string::npos);
    EXPECT_NE(run.out.find(book + ":1:7: "), std::string::npos);  // the others still read
}

TEST(QdmPolyphoneSmart, FixesWhatTheDictionaryLeftAndSumsItUpInJson) {
    TempDir dir;
    const std::string dict = dir.Write("dict.ini", kDict);
    const std::string book = dir.Write("book.txt", kBook);
    auto run = RunQdm({"polyphone", "--smart", "--json", "--dict", dict, book});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "{\"file\":\"" + book +
                           "\",\"replacements\":1,\"status\":\"done\",\"reason\":null}\n"
                           "{\"files\":1,\"done\":1,\"skipped\":0,\"replacements\":1,"
                           "\"predicted\":3,\"fixed\":2,\"unfixable\":0}\n");
    // 他是yin2hang2的航掌。: the dictionary's pinyin stays, 行长 is respelled.
    EXPECT_EQ(Slurp(book), "\xCB\xFB\xCA\xC7yin2hang2\xB5\xC4\xBA\xBD\xD5\xC6\xA1\xA3\r\n");

    dir.Write("book.txt", kBook);
    run = RunQdm({"polyphone", "--smart", "--style", "pinyin", "--dict", dict, "-o", "-", book});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "\xCB\xFB\xCA\xC7yin2hang2\xB5\xC4hang2zhang3\xA1\xA3\r\n");
    EXPECT_EQ(run.err, book +
                           ": 处理多音字1个!\n共 1 个文件: 处理 1 个，跳过 0 个，替换多音字 1 "
                           "个，按上下文修正 2 个 (预测 3 个多音字，0 个没有同音字)\n");
}

TEST(QdmPolyphoneSmart, WorksOverATreeAndLeavesThePlainRunAsItWas) {
    TempDir dir;
    const std::string dict = dir.Write("dict.ini", kDict);
    std::filesystem::create_directories(dir.Path() / "books");
    dir.Write("books/a.txt", kBook);
    auto run = RunQdm({"polyphone", "--smart", "--json", "--dict", dict, dir.File("books")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("\"predicted\":3,\"fixed\":2,\"unfixable\":0}"), std::string::npos);
    EXPECT_EQ(Slurp(dir.File("books/a.txt")),
              "\xCB\xFB\xCA\xC7yin2hang2\xB5\xC4\xBA\xBD\xD5\xC6\xA1\xA3\r\n");

    dir.Write("books/a.txt", kBook);
    run = RunQdm({"polyphone", "--json", "--dict", dict, dir.File("books")});
    EXPECT_EQ(run.out.substr(run.out.rfind("{\"files\"")),
              "{\"files\":1,\"done\":1,\"skipped\":0,\"replacements\":1}\n");
    EXPECT_EQ(Slurp(dir.File("books/a.txt")),
              "\xCB\xFB\xCA\xC7yin2hang2\xB5\xC4\xD0\xD0\xB3\xA4\xA1\xA3\r\n");
}

TEST(QdmPolyphoneSmart, StyleNeedsSmartAndAKnownName) {
    TempDir dir;
    const std::string dict = dir.Write("dict.ini", kDict);
    const std::string book = dir.Write("book.txt", kBook);
    EXPECT_EQ(RunQdm({"polyphone", "--style", "pinyin", "--dict", dict, book}).exitCode, 2);
    EXPECT_EQ(
        RunQdm({"polyphone", "--smart", "--style", "ipa", "--dict", dict, book}).err,
        "qdm: --style 只能是 homophone (同音字) 或 pinyin (拼音)\n用法见: qdm help polyphone\n");
    EXPECT_EQ(Slurp(book), kBook);
}

}  // namespace
