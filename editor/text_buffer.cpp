#include "editor/text_buffer.h"

#include <sys/mman.h>

#include <cstdint>

namespace qdm {
namespace {

constexpr size_t kHugePage = size_t{2} << 20;
// What the allocator keeps before a large block's bytes, and the string's closing NUL.
constexpr size_t kAllocatorSlack = 64;
#ifdef MADV_COLLAPSE
constexpr int kCollapse = MADV_COLLAPSE;
#else
constexpr int kCollapse = 25;  // older headers; an older kernel refuses it, and that is all
#endif

}  // namespace

std::string NewTextBuffer(size_t size) {
    // Room to grow, so the first insertions into a new book do not copy it: pages that are
    // never written cost address space only.
    size_t capacity = size + size / 4 + 4096;
    const bool huge = capacity >= 4 * kHugePage;
    // A block of whole huge pages is mapped on a huge-page boundary, so that none of it
    // (not even its first and last 2 MB) is touched one small page at a time.
    if (huge)
        capacity =
            (capacity + kAllocatorSlack + kHugePage - 1) / kHugePage * kHugePage - kAllocatorSlack;
    std::string buffer;
    buffer.reserve(capacity);
    if (huge) {
        const uintptr_t begin = reinterpret_cast<uintptr_t>(buffer.data());
        uintptr_t first = begin & ~(kHugePage - 1);
        // Only the allocator's own header may lie between the boundary and the bytes.
        if (begin - first > kAllocatorSlack) first += kHugePage;
        // A block that starts on the boundary ends on one, just past the string's room.
        const uintptr_t end = begin + capacity + (first < begin ? kAllocatorSlack : 0);
        const uintptr_t last = end & ~(kHugePage - 1);
        // Only advice: where it is not followed, the pages are ordinary ones.
        if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
        // The allocator has written its header into the first page already, which took a
        // small page; the first 2 MB become one huge page only on request.
        if (first < begin && last > first)
            madvise(reinterpret_cast<void*>(first), kHugePage, kCollapse);
    }
    return buffer;
}

std::string CopyOfText(std::string_view bytes) {
    if (bytes.size() < 4 * kHugePage) return std::string(bytes);
    std::string copy = NewTextBuffer(bytes.size());
    copy.append(bytes);
    return copy;
}

}  // namespace qdm
