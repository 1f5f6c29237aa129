#pragma once
// Changing the dictionary file one line at a time, keeping every other byte: lines the loader
// does not understand, CR LF line ends and a last line without LF stay as they are, so an
// edit never costs the user a line they wrote by hand. Every read-modify-write holds an
// exclusive lock, so edits from several processes at once all arrive.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/file_io.h"

namespace qdm {

// The file's bytes seen as LF-terminated lines (the settings list's rows) and what follows
// the last LF (the tail, which forms no line).
class PolyDictText {
  public:
    explicit PolyDictText(std::string bytes) : m_bytes(std::move(bytes)) {}

    const std::string& Bytes() const { return m_bytes; }
    std::vector<std::string> Lines() const;
    std::string_view Tail() const;
    // Appends `row` as a line; an unterminated last line is first ended with LF.
    void Add(std::string_view row);
    // Removes line `index` (from 0) with its LF; false when there is no such line.
    bool Remove(size_t index);

  private:
    std::string m_bytes;
};

// An exclusive flock held for the life of the object, on ".NAME.qdmlock" beside the
// dictionary (on the dictionary itself when that file cannot be created: the rename that
// follows would fail there anyway).
class PolyDictLock {
  public:
    explicit PolyDictLock(const std::string& dictPath);  // waits until the lock is held
    ~PolyDictLock();
    PolyDictLock(const PolyDictLock&) = delete;
    PolyDictLock& operator=(const PolyDictLock&) = delete;

  private:
    int m_fd = -1;
};

// Whether a file name is a dictionary's lock file (walks pass over them).
bool IsPolyLockName(std::string_view fileName);

// The reason a dictionary holding a NUL byte is never rewritten.
std::string PolyDictNulReason();

// Under the lock: reads the file (a missing one is empty when `missingIsEmpty`), lets `edit`
// change it and writes it back atomically when `edit` returns true. A file holding a NUL byte
// is refused before `edit` runs: writing back only the text before it would lose the rest.
// `writeFailed` tells a failed write from a failed read.
IoStatus EditPolyDict(const std::string& path, bool missingIsEmpty,
                      const std::function<bool(PolyDictText&)>& edit, bool* writeFailed = nullptr);

}  // namespace qdm
