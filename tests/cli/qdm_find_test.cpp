#include <gtest/gtest.h>

#include "run_qdm.h"

namespace {

using namespace qdmtest;

// "\xB0\x41" is one character whose second byte reads as "A"; "\xCC\xEC" is 天 (UTF-8 below).
const std::string kBook =
    "ab\xB0\x41"
    "A cd\r\n\xCC\xEC"
    "A\rxA\r\n";

TEST(QdmFind, PrintsEachMatchWithLineCharacterColumnAndContext) {
    TempDir dir;
    const std::string book = dir.Write("book.txt", kBook);
    QdmRun run = RunQdm({"find", "A", book});
    EXPECT_EQ(run.exitCode, 0);
    // The lone CR ends the context on screen but not the line count.
    EXPECT_EQ(run.out, book +
                           ":1:4: ab\xE7\x99\x86"
                           "A cd\n" +
                           book + ":2:2: 天A\n" + book + ":2:5: xA\n");

    run = RunQdm({"find", "--json", "-i", "a", book});
    EXPECT_EQ(run.exitCode, 0);
    const std::string f = "{\"file\":\"" + book + "\",";
    EXPECT_EQ(
        run.out,
        f +
            "\"offset\":0,\"line\":1,\"column\":1,\"match\":\"a\",\"context\":\"ab\xE7\x99\x86"
            "A cd\"}\n" +
            f +
            "\"offset\":4,\"line\":1,\"column\":4,\"match\":\"A\",\"context\":\"ab\xE7\x99\x86"
            "A cd\"}\n" +
            f + "\"offset\":12,\"line\":2,\"column\":2,\"match\":\"A\",\"context\":\"天A\"}\n" + f +
            "\"offset\":15,\"line\":2,\"column\":5,\"match\":\"A\",\"context\":\"xA\"}\n");

    run = RunQdm({"find", "-w", "A", book});
    EXPECT_EQ(run.out, book +
                           ":1:4: ab\xE7\x99\x86"
                           "A cd\n" +
                           book + ":2:2: 天A\n");
}

TEST(QdmFind, CountsPerFileAndExitsOneWhenNothingIsFound) {
    TempDir dir;
    const std::string book = dir.Write("book.txt", kBook);
    const std::string other = dir.Write("other.txt", "none here");
    QdmRun run = RunQdm({"find", "--count", "A", book, other});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, book + ":3\n" + other + ":0\n");

    run = RunQdm({"find", "--count", "--json", "A", other});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "{\"file\":\"" + other + "\",\"count\":0}\n");

    run = RunQdm({"find", "A", other, dir.File("missing.txt")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("missing.txt"), std::string::npos);

    run = RunQdm({"find", "\xF0\x9F\x98\x80", book});  // an emoji: GBK cannot hold it
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("GBK"), std::string::npos);
}

TEST(QdmFind, CutsTheContextOfALongLineToThirtyCharactersEachSide) {
    TempDir dir;
    std::string han;
    for (int i = 0; i < 100; ++i) han += "\xCC\xEC";
    const std::string book = dir.Write("long.txt", han + "x" + han + "\r\n");
    const QdmRun run = RunQdm({"find", "x", book});
    std::string tian30;
    for (int i = 0; i < 30; ++i) tian30 += "天";
    EXPECT_EQ(run.out, book + ":1:101: " + tian30 + "x" + tian30 + "\n");
}

}  // namespace
