#include <gtest/gtest.h>

#include "run_qdm.h"

namespace {

using namespace qdmtest;

const std::string kSky = "\xCC\xEC\xC9\xAB";  // "天色" in GBK

TEST(QdmCheckAll, ReportsTheFirstFaultOfEachPartInTheNumberedText) {
    TempDir dir;
    const std::string good = dir.Write("good.qdm", "<vsection=\r\nabc</vsection>");
    // Sections are numbered first, so "<vsection=\r\n" becomes "<vsection=1>\r\n": the
    // emphasis stands at byte 19, on line 2 after two characters and a space.
    const std::string bad = dir.Write(
        "bad.qdm", "<vsection=\r\n" + kSky + " <vemph>x</vsection>\r\n<vsection=\r\nok</vsection>" +
                       "\r\n<vsection=\r\n<vreadernote><vauthornote>a</vauthornote></vreadernote>" +
                       "</vsection>");
    QdmRun run = RunQdm({"check", "--all", good, bad});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, good + ": QDM文件检查正确\n" + bad + ":2:4: 重点 没有结束标志 (byte 19)\n" +
                           bad + ":6:14: 读者注 中不能嵌套 作者注 (byte 96)\n");

    run = RunQdm({"check", "--json", "--all", bad, good});
    EXPECT_EQ(run.exitCode, 1);
    const std::string head = "{\"file\":\"" + bad + "\",\"ok\":false,";
    EXPECT_EQ(run.out, head +
                           "\"offset\":19,\"line\":2,\"column\":4,"
                           "\"message\":\"重点 没有结束标志\"}\n" +
                           head +
                           "\"offset\":96,\"line\":6,\"column\":14,"
                           "\"message\":\"读者注 中不能嵌套 作者注\"}\n" +
                           "{\"file\":\"" + good + "\",\"ok\":true}\n");

    // Without --all only the first fault, as before.
    run = RunQdm({"check", bad});
    EXPECT_EQ(run.out, bad + ":2:4: 重点 没有结束标志 (byte 19)\n");
}

TEST(QdmCheckAll, SoundFilesPassAndAFileErrorOutranksFaults) {
    TempDir dir;
    const std::string good = dir.Write("a.qdm", "<vsection=1>a</vsection>");
    QdmRun run = RunQdm({"check", "--all", "--json", good});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "{\"file\":\"" + good + "\",\"ok\":true}\n");

    const std::string bad = dir.Write("b.qdm", "<vsection=");
    run = RunQdm({"check", "--all", bad, dir.File("missing.qdm")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, bad + ":1:1: section 没有结束标志 (byte 0)\n");
    EXPECT_NE(run.err.find("missing.qdm"), std::string::npos);
}

}  // namespace
