#include "editor/error_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "editor/file_io.h"

namespace {

// Sets a language for one test and puts the command line's back afterwards.
class ErrorTexts : public ::testing::Test {
  protected:
    void TearDown() override { qdm::SetErrorLanguage(qdm::ErrorLanguage::System); }
};

TEST_F(ErrorTexts, TheEditorNamesCommonFailuresInChineseAndOthersInTheSystemsWords) {
    qdm::SetErrorLanguage(qdm::ErrorLanguage::Chinese);
    const struct {
        int error;
        const char* text;
    } cases[] = {
        {ENOENT, "没有那个文件或目录"}, {EACCES, "权限不够"},    {EISDIR, "是一个目录"},
        {ENOSPC, "设备上没有空间"},     {EROFS, "只读文件系统"}, {ENAMETOOLONG, "文件名过长"},
    };
    for (const auto& c : cases) EXPECT_EQ(qdm::ErrorText(c.error), c.text) << c.error;
    EXPECT_EQ(qdm::ErrorText(EHWPOISON), std::strerror(EHWPOISON));
    EXPECT_EQ(qdm::ChineseErrorText(EHWPOISON), nullptr);
}

TEST_F(ErrorTexts, TheCommandLineKeepsTheSystemsOwnText) {
    EXPECT_EQ(qdm::CurrentErrorLanguage(), qdm::ErrorLanguage::System);
    EXPECT_EQ(qdm::ErrorText(ENOENT), std::strerror(ENOENT));
}

TEST_F(ErrorTexts, AFailedReadCarriesTheReasonInTheChosenLanguage) {
    qdm::FileText file;
    EXPECT_EQ(qdm::ReadTextFile("/nonexistent/book.txt", file).reason, std::strerror(ENOENT));
    qdm::SetErrorLanguage(qdm::ErrorLanguage::Chinese);
    const qdm::IoStatus status = qdm::ReadTextFile("/nonexistent/book.txt", file);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.Describe(), "/nonexistent/book.txt: 没有那个文件或目录");
    EXPECT_EQ(qdm::WriteFileAtomic("/", "x").reason, "是一个目录");
}

}  // namespace
