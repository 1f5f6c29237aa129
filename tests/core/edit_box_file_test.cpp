#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "editor/edit_box.h"

namespace fs = std::filesystem;

namespace {

std::string TempPath(const char* name) {
    return (fs::temp_directory_path() / ("qdm-box-" + std::to_string(::getpid()) + name)).string();
}

TEST(EditBoxFiles, LoadAndSaveRoundTripBytesAndRememberThePath) {
    const std::string in = TempPath("in.txt"), out = TempPath("out.qdm");
    const std::string bytes = "line1\nline2\r\n\xB0\xA1\x80\xFF";
    std::ofstream(in, std::ios::binary) << bytes;
    qdm::CEditBox box;
    box.SetSelection(0, 0);
    ASSERT_TRUE(box.LoadFile(in));
    EXPECT_EQ(box.Text(), bytes);
    EXPECT_EQ(box.GetFilePath(), in);
    EXPECT_FALSE(box.IsModified());
    ASSERT_TRUE(box.SaveFile(out));
    EXPECT_EQ(box.GetFilePath(), out);
    std::ifstream f(out, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(f), {}), bytes);
    fs::remove(in);
    fs::remove(out);
}

TEST(EditBoxFiles, AFailedLoadOrSaveChangesNothing) {
    qdm::CEditBox box;
    box.SetText("keep");
    box.SetSelection(2, 2);
    qdm::IoStatus st = box.LoadFile(TempPath("does-not-exist"));
    EXPECT_FALSE(st);
    EXPECT_NE(st.Describe().find("does-not-exist"), std::string::npos);
    EXPECT_EQ(box.Text(), "keep");
    EXPECT_EQ(box.GetFilePath(), "");
    int32_t s, e;
    box.GetSelection(s, e);
    EXPECT_EQ(s, 2);
    EXPECT_FALSE(box.SaveFile("/nonexistent-dir/x.qdm"));
    EXPECT_EQ(box.GetFilePath(), "");
}

TEST(EditBoxFiles, LoadingAFileWithANulKeepsTheTextBeforeIt) {
    const std::string in = TempPath("nul.txt");
    std::ofstream(in, std::ios::binary) << std::string("\x41\x00\x42", 3);
    qdm::CEditBox box;
    bool hadNul = false;
    ASSERT_TRUE(box.LoadFile(in, &hadNul));
    EXPECT_EQ(box.Text(), "A");
    EXPECT_TRUE(hadNul);
    fs::remove(in);
}

}  // namespace
