#pragma once
// Whole-file reading and atomic replacement. Paths are the platform's own byte strings.
#include <cstdint>
#include <string>
#include <string_view>

namespace qdm {

// The outcome of a file operation: on failure, the path and the system's reason (UTF-8).
struct IoStatus {
    bool ok = true;
    std::string path;
    std::string reason;

    explicit operator bool() const { return ok; }
    // "PATH: REASON", for messages.
    std::string Describe() const { return path + ": " + reason; }
    static IoStatus Fail(std::string path, std::string reason) {
        return {false, std::move(path), std::move(reason)};
    }
};

// Files this size or larger are refused: every position is a signed 32-bit byte offset.
constexpr int64_t kMaxFileSize = int64_t{1} << 31;

struct FileText {
    std::string text;      // the bytes up to, not including, the first NUL
    bool hadNul = false;   // a NUL byte was found, and what followed it is not in `text`
    int64_t fileSize = 0;  // the size of the whole file
};

// Reads the whole file in one piece; the text ends before the first NUL byte.
IoStatus ReadTextFile(const std::string& path, FileText& out);

// Every byte of the file, NUL bytes included: the input of encoding detection and conversion,
// since a UTF-16 text is full of them.
IoStatus ReadWholeFile(const std::string& path, std::string& out);

// The text of a file's bytes as ReadTextFile gives it: up to the first NUL.
FileText TextUpToNul(std::string bytes);

// Replaces the file's contents: a temporary file beside it is written, flushed and renamed
// over the target, so a failure at any step leaves the old file as it was. Permissions of an
// existing target are kept; a symbolic link is followed and its target replaced.
IoStatus WriteFileAtomic(const std::string& path, std::string_view data);

}  // namespace qdm
