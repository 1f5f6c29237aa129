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

// WriteFileAtomic in steps, for a text produced piece by piece: Open creates the temporary
// file, Write appends, Commit flushes it and renames it over the target. A writer dropped
// before Commit removes its temporary file and leaves the target as it was.
class AtomicFileWriter {
  public:
    AtomicFileWriter() = default;
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();
    IoStatus Open(const std::string& path);
    IoStatus Write(std::string_view data);
    IoStatus Restart();  // empties the temporary file
    IoStatus Commit();

  private:
    void Abandon();
    IoStatus Fail(int err);
    std::string m_requested, m_path, m_tmp;
    int m_fd = -1;
};

// A file's bytes mapped read-only, for a pass that only reads them: nothing is copied and no
// fresh memory is touched. Replacing the file (WriteFileAtomic renames a new one over it)
// leaves the mapped bytes as they were.
class MappedFile {
  public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();
    IoStatus Open(const std::string& path);
    std::string_view Bytes() const { return {m_data, m_size}; }

  private:
    const char* m_data = nullptr;
    size_t m_size = 0;
    bool m_mapped = false;
};

// The text of a file's bytes as ReadTextFile gives it: up to the first NUL.
FileText TextUpToNul(std::string bytes);

// Replaces the file's contents: a temporary file beside it is written, flushed and renamed
// over the target, so a failure at any step leaves the old file as it was. Permissions of an
// existing target are kept; a symbolic link is followed and its target replaced.
IoStatus WriteFileAtomic(const std::string& path, std::string_view data);

}  // namespace qdm
