#include "editor/text_buffer.h"

#include <sys/mman.h>

#include <cstdint>

namespace qdm {

std::string NewTextBuffer(size_t size) {
    constexpr size_t kHugePage = size_t{2} << 20;
    // Room to grow, so the first insertions into a new book do not copy it: pages that are
    // never written cost address space only.
    const size_t capacity = size + size / 4 + 4096;
    std::string buffer;
    buffer.reserve(capacity);
    if (capacity >= 4 * kHugePage) {
        const uintptr_t begin = reinterpret_cast<uintptr_t>(buffer.data());
        const uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
        const uintptr_t last = (begin + capacity) & ~(kHugePage - 1);
        // Only advice: where it is not followed, the pages are ordinary ones.
        if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
    return buffer;
}

}  // namespace qdm
