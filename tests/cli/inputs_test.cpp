// What qdm reads: standard input, pipes and devices are read to their end; inputs past 2 GiB
// are refused; file names reach JSON as valid UTF-8; the .txt rule looks at the file name.
#include <gtest/gtest.h>

#include "tests/cli/run_qdm.h"

namespace {

using namespace qdmtest;

const std::string kDict = "\xD2\xF8\xD0\xD0======>>yin2hang2\n";  // 银行
const std::string kBook = "\xD2\xF8\xD0\xD0\r\nxxxxxxxxxxxx\r\n";

TEST(Inputs, StandardInputAndPipesAreReadToTheirEnd) {
    TempDir dir;
    const std::string book = dir.Write("book.txt", kBook);
    const std::string dict = dir.Write("d.ini", kDict);
    const std::vector<std::vector<std::string>> commands = {
        {"auto", "-o", "-"},
        {"number", "-o", "-"},
        {"polyphone", "--dict", dict, "-o", "-"},
        {"check"},
    };
    for (const auto& args : commands) {
        std::vector<std::string> fromFile = args, fromStdin = args, fromDevice = args;
        fromFile.push_back(book);
        fromStdin.push_back("-");
        fromDevice.push_back("/dev/stdin");
        const qdmtest::QdmRun expected = RunQdm(fromFile);
        const std::string pipe = "cat " + qdmtest::ShellQuote(book) + " | ";
        for (const auto& words : {fromStdin, fromDevice}) {
            const qdmtest::QdmRun run = RunShell(pipe + QdmCommand(words));
            EXPECT_EQ(run.exitCode, expected.exitCode) << args[0] << " " << words.back();
            if (args[0] != "check") {
                EXPECT_EQ(run.out, expected.out) << args[0];
            }
            EXPECT_NE(run.out, "") << args[0];
        }
    }
}

// A device that never ends is read until the input passes the limit (lowered to 4 MiB here),
// not taken for empty.
TEST(Inputs, AnInputThatPassesTwoGibibytesIsRefused) {
    for (const std::string in : {"/dev/zero", "-"}) {
        const qdmtest::QdmRun run = qdmtest::RunShell(
            "QDM_TEST_MAX_FILE_SIZE=4194304 " + qdmtest::QdmCommand({"check", in}) + " </dev/zero");
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "qdm: " + (in == "-" ? "标准输入" : in) +
                               ": file is 2 GiB or larger; positions would not fit\n");
    }
}

TEST(Inputs, JsonStaysValidUtf8WithTheExactNameInPathHex) {
    TempDir dir;
    const std::string dict = dir.Write("d.ini", kDict);
    const std::string name = dir.Write("\xD2\xF8\xD0\xD0.txt", kBook);  // a GBK file name
    std::string hex;
    for (unsigned char c : name) {
        const char* digits = "0123456789abcdef";
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    const std::string shown = dir.File("\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD.txt");
    qdmtest::QdmRun run = RunQdm({"polyphone", "--json", "--dict", dict, name});
    EXPECT_EQ(run.out, "{\"file\":\"" + shown + "\",\"path_hex\":\"" + hex +
                           "\",\"replacements\":1,\"status\":\"done\",\"reason\":null}\n"
                           "{\"files\":1,\"done\":1,\"skipped\":0,\"replacements\":1}\n");
    run = RunQdm({"check", "--json", name});
    EXPECT_EQ(run.out.substr(0, run.out.find(",\"ok\"")),
              "{\"file\":\"" + shown + "\",\"path_hex\":\"" + hex + "\"");
}

TEST(Inputs, TheTxtRuleLooksAtTheFileNameOnly) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "notes.txt.d");
    std::filesystem::create_directories(dir.Path() / "notes.d");
    const std::string in = dir.Write("notes.txt.d/ch1", kBook);
    const std::string unrelated = dir.Write("notes.d/ch1.qdm", "keep");
    const qdmtest::QdmRun run = RunQdm({"auto", in});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(Slurp(unrelated), "keep");
    EXPECT_EQ(run.err,
              "qdm: " + in + " 不以 .txt 结尾, 请用 -o 指定输出文件\n用法见: qdm help auto\n");
}

}  // namespace
