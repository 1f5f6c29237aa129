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

// Texts this size or larger are refused: every position is a signed 32-bit byte offset.
constexpr int64_t kMaxFileSize = int64_t{1} << 31;
// The reason given for an input that reaches kMaxFileSize.
inline constexpr const char* kTooLargeReason = "file is 2 GiB or larger; positions would not fit";

struct FileText {
    std::string text;      // the bytes up to, not including, the first NUL
    bool hadNul = false;   // a NUL byte was found, and what followed it is not in `text`
    int64_t fileSize = 0;  // every byte read
};

// Reads the whole file until its end, whatever it is (a regular file, a pipe, a device); the
// text ends before the first NUL byte. An input that reaches kMaxFileSize is refused.
IoStatus ReadTextFile(const std::string& path, FileText& out);
// The same from an open descriptor (standard input); `name` is used in failures.
IoStatus ReadTextFd(int fd, const std::string& name, FileText& out);

// Replaces the file's contents. A regular file (also through links) is replaced atomically:
// a temporary file beside it is written, flushed and renamed over the target, so a failure
// at any step leaves the old file as it was; its owner, group and mode bits are kept where the
// caller may set them. Any other existing target (a device, a FIFO) is opened and written
// directly. A link that leads nowhere is refused, never replaced.
IoStatus WriteFileAtomic(const std::string& path, std::string_view data);

// Temporaries are named ".NAME.qdmtmp-XXXXXX" beside their target; walks pass over them.
bool IsTemporaryName(std::string_view fileName);

// For a signal handling thread: removes every temporary being written and ends the process
// with `code`, while no rename can start or finish, so every target is old or new.
[[noreturn]] void RemoveTemporariesAndExit(int code);

}  // namespace qdm
