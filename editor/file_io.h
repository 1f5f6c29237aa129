#pragma once
// Whole-file reading and atomic replacement. Paths are the platform's own byte strings.
#include <cstdint>
#include <functional>
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
// The limit in force: kMaxFileSize unless lowered, so that the refusal can be exercised with
// megabytes rather than gigabytes. The messages name 2 GiB either way.
int64_t MaxFileSize();
// Lowers the limit; a value outside 1..kMaxFileSize restores kMaxFileSize.
void SetMaxFileSize(int64_t limit);
// Lowers the limit to QDM_TEST_MAX_FILE_SIZE when that is set to a smaller positive number.
void MaxFileSizeFromEnvironment();
// The reason given for an input that reaches kMaxFileSize.
inline constexpr const char* kTooLargeReason = "file is 2 GiB or larger; positions would not fit";
// kTooLargeReason in the language failures are reported in.
std::string TooLargeReason();

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
// Every byte, NUL bytes included: the input of encoding detection and conversion, since a
// UTF-16 text is full of them. The same limits and kinds of file as ReadTextFile.
IoStatus ReadWholeFile(const std::string& path, std::string& out);
IoStatus ReadAllFd(int fd, const std::string& name, std::string& out);
// The text of a file's bytes as ReadTextFile gives it: up to the first NUL.
FileText TextUpToNul(std::string bytes);

// A file's bytes for a pass that only reads them. A regular file is mapped read-only: nothing
// is copied and no fresh memory is touched, and replacing the file (a rename over it) leaves
// the mapped bytes as they were. Anything else (a pipe, a device) is read into memory.
class MappedFile {
  public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();
    IoStatus Open(const std::string& path);
    // Open for a program that must not wait: only a regular file. A FIFO would block the
    // opening until a writer comes, a device might never end; either is refused, unopened.
    IoStatus OpenRegular(const std::string& path);
    // Bytes read elsewhere (standard input) held in place of a file.
    IoStatus Adopt(std::string bytes);
    std::string_view Bytes() const { return {m_data, m_size}; }

  private:
    IoStatus OpenAs(const std::string& path, bool regularOnly);

    const char* m_data = nullptr;
    size_t m_size = 0;
    bool m_mapped = false;
    std::string m_copy;
};

// Replaces the file's contents. A regular file (also through links) is replaced atomically:
// a temporary file beside it is written, flushed and renamed over the target, so a failure
// at any step leaves the old file as it was; its owner, group and mode bits are kept where the
// caller may set them. Any other existing target (a device, a FIFO) is opened and written
// directly. A link that leads nowhere is refused, never replaced.
IoStatus WriteFileAtomic(const std::string& path, std::string_view data);

// Where a text produced piece by piece goes: Write appends (false once writing has failed),
// Rewind empties what was written, where the target allows it (a regular file's temporary).
class FileSink {
  public:
    virtual ~FileSink() = default;
    virtual bool Write(std::string_view piece) = 0;
    virtual bool CanRewind() const = 0;
    virtual bool Rewind() = 0;
    // Gives the write up: the target stays as it was (a regular file), and the write fails.
    virtual void Abort() = 0;
};
using FileProducer = std::function<void(FileSink&)>;
// WriteFileAtomic with the bytes handed over by `produce`, so a large result need not be held
// in memory first. The same rules for every kind of target.
IoStatus WriteFileAtomic(const std::string& path, const FileProducer& produce);

// Temporaries are named ".NAME.qdmtmp-XXXXXX" beside their target; walks pass over them.
bool IsTemporaryName(std::string_view fileName);

// For a signal handling thread: removes every temporary being written and ends the process
// with `code`, while no rename can start or finish, so every target is old or new.
[[noreturn]] void RemoveTemporariesAndExit(int code);

}  // namespace qdm
