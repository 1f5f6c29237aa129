#include "editor/text_buffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr size_t kMB = size_t{1} << 20;

// The room promised is a quarter more than the text and a page; a book-sized buffer is
// rounded up to whole 2 MB pages, and by no more than one of them.
TEST(TextBuffer, LeavesRoomForAQuarterMoreAtEverySizeAndRoundsUpByLessThanAHugePage) {
    const std::vector<size_t> sizes = {
        0, 1, 4095, 6 * kMB, 6 * kMB + 1, 8 * kMB, 10 * kMB, 20 * kMB + 12, 100 * kMB + 146};
    for (size_t size : sizes) {
        const std::string buffer = qdm::NewTextBuffer(size);
        const size_t promised = size + size / 4 + 4096;
        EXPECT_TRUE(buffer.empty()) << size;
        EXPECT_GE(buffer.capacity(), promised) << size;
        EXPECT_LT(buffer.capacity(), promised + 2 * kMB) << size;
    }
}

TEST(TextBuffer, TakesATextOfItsSizeWithoutMovingIt) {
    std::string buffer = qdm::NewTextBuffer(12 * kMB);
    const char* before = buffer.data();
    buffer.append(12 * kMB + 12 * kMB / 4, 'x');
    EXPECT_EQ(buffer.data(), before);
    EXPECT_EQ(buffer[12 * kMB], 'x');
}

// Below and above the size where a copy takes huge pages: every byte, none more.
TEST(TextBuffer, ACopyForTheHistoryHoldsExactlyTheBytesAtEverySize) {
    for (const size_t size : {size_t{0}, size_t{3}, 8 * kMB - 1, 8 * kMB, 9 * kMB + 7}) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 131 % 251);
        EXPECT_EQ(qdm::CopyOfText(bytes), bytes) << size;
    }
}

}  // namespace
