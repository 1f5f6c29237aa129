#pragma once
// Generated GBK books for the benchmarks: Chinese prose in lines of realistic lengths (median
// about 100 bytes, some under 9 bytes, some of several KB), CR LF line breaks.
#include <cstddef>
#include <cstdint>
#include <string>

namespace qdmbench {

// A book of about `bytes` bytes; the same seed gives the same book.
std::string GenerateBook(size_t bytes, uint64_t seed = 1);

// The book written once to a file under the system's temporary directory and reused by later
// runs; returns its path.
std::string BookFile(size_t bytes);

// Size of the benchmark books in MB: MKED_BENCH_MB, 100 by default.
size_t BookMegabytes();

}  // namespace qdmbench
