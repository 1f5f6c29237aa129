#include "bench/common/book_gen.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace qdmbench {
namespace {

// GB2312 level-1 characters (lead 0xB0-0xD7, trail 0xA1-0xFE) and a few punctuation marks.
void PutHan(std::string& out, std::mt19937_64& rng) {
    out += static_cast<char>(0xB0 + rng() % 40);
    out += static_cast<char>(0xA1 + rng() % 94);
}

const char* const kPunct[] = {"\xA3\xAC", "\xA1\xA3", "\xA3\xBF",
                              "\xA3\xA1", "\xA1\xB0", "\xA1\xB1"};  // ， 。 ？ ！ “ ”

// A line's length before its CR LF: mostly around 100 bytes, a few short ones (titles, "嗯。",
// blank lines) and a few very long paragraphs.
size_t LineLength(std::mt19937_64& rng) {
    const unsigned roll = rng() % 1000;
    if (roll < 60) return rng() % 9;            // 6%: under 9 bytes
    if (roll < 75) return 2000 + rng() % 6000;  // 1.5%: several KB
    std::lognormal_distribution<double> len(std::log(100.0), 0.45);
    return static_cast<size_t>(std::min(1500.0, len(rng)));
}

}  // namespace

std::string GenerateBook(size_t bytes, uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::string book;
    book.reserve(bytes + 8192);
    while (book.size() < bytes) {
        const size_t target = book.size() + LineLength(rng);
        if (target - book.size() >= 8) book += "\xA1\xA1\xA1\xA1";  // paragraph indent
        while (book.size() + 1 < target) {
            if (rng() % 12 == 0)
                book += kPunct[rng() % 6];
            else
                PutHan(book, rng);
        }
        book += "\r\n";
    }
    return book;
}

std::string BookFile(size_t bytes) {
    namespace fs = std::filesystem;
    const fs::path path =
        fs::temp_directory_path() / ("mked-bench-book-" + std::to_string(bytes) + ".txt");
    std::error_code ec;
    if (fs::exists(path, ec) && fs::file_size(path, ec) >= bytes) return path.string();
    const fs::path tmp = path.string() + "." + std::to_string(::getpid());
    {
        std::ofstream out(tmp, std::ios::binary);
        const std::string book = GenerateBook(bytes);
        out.write(book.data(), static_cast<std::streamsize>(book.size()));
    }
    fs::rename(tmp, path);
    return path.string();
}

size_t BookMegabytes() {
    const char* mb = std::getenv("MKED_BENCH_MB");
    const long n = mb ? std::atol(mb) : 100;
    return n > 0 ? static_cast<size_t>(n) : 100;
}

}  // namespace qdmbench
