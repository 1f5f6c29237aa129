#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace qdm {

// An empty string with room for a text of `size` bytes and some more: for reading a file and
// for a whole-text pass that builds a new text. The headroom lets the first insertions into a
// book go without copying it (pages never written cost address space only), and a book-sized
// buffer asks the kernel for huge pages, since touching fresh memory one small page at a time
// costs more than the pass itself.
std::string NewTextBuffer(size_t size);

// A copy of `bytes` for a record of the edit history: a big one in a buffer that takes huge
// pages, since faulting in fresh memory costs more than the copy itself.
std::string CopyOfText(std::string_view bytes);

}  // namespace qdm
