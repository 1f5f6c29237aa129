// qdm dict import/export/lint and qdm polyphone --audit, through the executable.
#include <gtest/gtest.h>

#include "tests/cli/run_qdm.h"

namespace {

using namespace qdmtest;

// GBK bytes of the few words used here.
const std::string kYinhang = "\xD2\xF8\xD0\xD0";    // 银行
const std::string kXingdong = "\xD0\xD0\xB6\xAF";   // 行动
const std::string kHangzhang = "\xD0\xD0\xB3\xA4";  // 行长
const std::string kStop = "\xA1\xA3";               // 。

TEST(QdmDictImport, StarterAddsOnlyNewWordsAndNothingTheSecondTime) {
    qdmtest::TempDir dir;
    const std::string mine = kYinhang + "======>>yin2hang2\n";
    const std::string dict = dir.Write("d.ini", mine);
    auto run = RunQdm({"dict", "--dict", dict, "import", "--starter"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "已添加 5999 条，跳过 1 条\n");
    const std::string once = Slurp(dict);
    EXPECT_EQ(once.substr(0, mine.size()), mine);
    run = RunQdm({"dict", "--dict", dict, "import", "--starter", "--style", "pinyin"});
    EXPECT_EQ(run.out, "已添加 0 条，跳过 6000 条\n");
    EXPECT_EQ(Slurp(dict), once);
    run = RunQdm({"dict", "--dict", dir.File("p.ini"), "import", "--starter", "--style=pinyin"});
    EXPECT_NE(Slurp(dir.File("p.ini")).find(kYinhang + "======>>yin2hang2\n"), std::string::npos);
    run = RunQdm({"dict", "--dict", dict, "import", "--starter", "--style", "ipa"});
    EXPECT_EQ(run.exitCode, 2);
}

TEST(QdmDictImport, AFileMergesItsValidEntriesAndWarnsOfALineThatStopsProcessing) {
    qdmtest::TempDir dir;
    const std::string dict = dir.Write("d.ini", kYinhang + "======>>a\nbroken\n");
    const std::string other =
        dir.Write("o.ini", kYinhang + "======>>b\n" + kHangzhang + "======>>c\r\nno entry\n");
    const auto run = RunQdm({"dict", "--dict", dict, "import", other});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "已添加 1 条，跳过 1 条\n");
    EXPECT_EQ(run.err, "qdm: 注意: 第 2 行格式错误，其后 1 条不会被处理\n");
    EXPECT_EQ(Slurp(dict), kYinhang + "======>>a\nbroken\n" + kHangzhang + "======>>c\n");
    EXPECT_EQ(RunQdm({"dict", "--dict", dict, "import", dir.File("missing")}).exitCode, 2);
}

TEST(QdmDictExport, WritesTheValidEntriesInGbkOrUtf8) {
    qdmtest::TempDir dir;
    const std::string dict = dir.Write("d.ini", kYinhang + "======>>x\nbad\n======>>y\n");
    auto run = RunQdm({"dict", "--dict", dict, "export"});
    EXPECT_EQ(run.out, kYinhang + "======>>x\n");
    run = RunQdm({"dict", "--dict", dict, "export", "--utf8", "-o", dir.File("out.txt")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Slurp(dir.File("out.txt")), "银行======>>x\n");
}

TEST(QdmDictLint, PrintsOneFindingPerLineOrJsonAndExitsOneWhenAnyIsFound) {
    qdmtest::TempDir dir;
    const std::string dict =
        dir.Write("d.ini", kYinhang + "======>>x\r\nbad\n" + kYinhang + "======>>z\n");
    auto run = RunQdm({"dict", "--dict", dict, "lint", "--json"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(
        run.out,
        "{\"line\":1,\"kind\":\"cr\",\"message\":\"第 1 行以回车符(CR)结尾\"}\n"
        "{\"line\":2,\"kind\":\"malformed\",\"message\":\"第 2 行格式错误，其后 1 条不会被处理\"}\n"
        "{\"line\":3,\"kind\":\"duplicate\",\"message\":\"第 3 行的词组“银行”与第 1 行重复\"}\n");
    run = RunQdm({"dict", "--dict", dict, "lint"});
    EXPECT_EQ(run.out,
              "第 1 行以回车符(CR)结尾\n第 2 行格式错误，其后 1 条不会被处理\n"
              "第 3 行的词组“银行”与第 1 行重复\n");
    const std::string clean = dir.Write("c.ini", kYinhang + "======>>x\n");
    run = RunQdm({"dict", "--dict", clean, "lint", "--json"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
}

TEST(QdmPolyphoneAudit, ListsUncoveredCharactersWithReadingsCountsAndContexts) {
    qdmtest::TempDir dir;
    const std::string dict = dir.Write("d.ini", kYinhang + "======>>y\n");
    std::string book;
    for (int i = 0; i < 3; ++i) book += kXingdong + kStop;
    book += kYinhang + kStop + kHangzhang + kStop;
    const std::string a = dir.Write("a.txt", book);
    const std::string b = dir.Write("b.txt", kXingdong + kStop);
    auto run = RunQdm({"polyphone", "--dict", dict, "--audit", a, b});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
              "行 xing2/hang2: 5 次 — 行动 4, 行长 1\n"
              "长 chang2/zhang3: 1 次 — 行长 1\n");
    run = RunQdm({"polyphone", "--audit", "--json", "--dict", dict, b});
    EXPECT_EQ(run.out,
              "{\"char\":\"行\",\"readings\":[\"xing2\",\"hang2\"],\"count\":1,"
              "\"contexts\":[{\"text\":\"行动\",\"count\":1}]}\n");
    EXPECT_EQ(RunQdm({"polyphone", "--audit", "--dict", dict, dir.File("none.txt")}).exitCode, 2);
}

}  // namespace
