#include <gtest/gtest.h>

#include <vector>

#include "polyphone/poly_file.h"

namespace {

// The reports and the exit code of `qdm polyphone` read these two: a skip that is no fault
// (the dictionary itself, a file met before, an empty one) must not fail a run.
TEST(PolyOutcomes, EachSkipSaysWhyAndOnlyRealProblemsAreFaults) {
    using enum qdm::PolyOutcome;
    struct Case {
        qdm::PolyOutcome outcome;
        const char* detail;
        const char* reason;
        bool fault;
    };
    const std::vector<Case> cases = {
        {Written, "", "", false},
        {Dictionary, "", "是多音字词典文件本身，未处理", false},
        {SameFile, "a/b.txt", "与 a/b.txt 是同一文件", false},
        {Empty, "", "空文件", false},
        {NotRegular, "", "不是普通文件", true},
        {Unreadable, "Permission denied", "无法读取: Permission denied", true},
        {HasNul, "", "含有 NUL 字节，不是文本文件，未改动", true},
        {TooLarge, "", "结果超过 2 GiB", true},
        {WriteFailed, "No space left on device", "无法写入: No space left on device", true},
    };
    for (const Case& c : cases) {
        qdm::PolyFileResult r;
        r.Skip(c.outcome, c.detail);
        EXPECT_EQ(r.Reason(), c.reason);
        EXPECT_EQ(r.Done(), c.outcome == Written) << c.reason;
        EXPECT_EQ(qdm::IsFault(c.outcome), c.fault) << c.reason;
    }
}

TEST(PolyOutcomes, ALoadRefusalNamesTheSystemsReason) {
    qdm::PolyFileResult r;
    std::string text;
    EXPECT_FALSE(qdm::LoadFileForPolyphone("/nonexistent/book.txt", text, r));
    EXPECT_EQ(r.outcome, qdm::PolyOutcome::Unreadable);
    EXPECT_EQ(r.Reason(), "无法读取: No such file or directory");
}

}  // namespace
