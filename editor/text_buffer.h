#pragma once
#include <cstddef>
#include <string>

namespace qdm {

// An empty string with room for a text of `size` bytes and some more: for reading a file and
// for a whole-text pass that builds a new text. The headroom lets the first insertions into a
// book go without copying it (pages never written cost address space only), and a book-sized
// buffer asks the kernel for huge pages, since touching fresh memory one small page at a time
// costs more than the pass itself.
std::string NewTextBuffer(size_t size);

}  // namespace qdm
