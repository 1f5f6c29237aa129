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
    // Puts `row` in as line `index`, before the line that was there (before the tail when
    // `index` is the number of lines); false when `index` is past that.
    bool Insert(size_t index, std::string_view row);

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

// The changes made in the settings dialog, replayed on the file as it is when they are saved
// (under the lock), so that entries added meanwhile by another program stay, and every byte
// the dialog did not touch is kept.
class PolyDictEdits {
  public:
    void Add(std::string row) { m_ops.push_back({Kind::Add, 0, std::move(row), 0, {}}); }
    // Line `index` of the list as it stood, holding `row`.
    void Remove(size_t index, std::string row) {
        m_ops.push_back({Kind::Remove, index, std::move(row), 0, {}});
    }
    // Line `index`, holding `row`, now holds `now`.
    void Replace(size_t index, std::string row, std::string now) {
        m_ops.push_back({Kind::Replace, index, std::move(row), 0, std::move(now)});
    }
    // Line `from`, holding `row`, moves to place `to` of the list.
    void Move(size_t from, size_t to, std::string row) {
        m_ops.push_back({Kind::Move, from, std::move(row), to, {}});
    }
    bool Empty() const { return m_ops.empty(); }
    void Clear() { m_ops.clear(); }
    // An operation on a line takes the line at its index when it still holds the row, else
    // the first line that does; a row no longer there is left alone (not removed twice).
    void ApplyTo(PolyDictText& text) const;

  private:
    enum class Kind { Add, Remove, Replace, Move };
    struct Op {
        Kind kind;
        size_t index;
        std::string row;
        size_t to;
        std::string now;
    };
    std::vector<Op> m_ops;
};

// What the settings list cannot show about a dictionary file, as UTF-8 sentences for the
// user: a NUL byte (the file will not be rewritten), a last line without LF (kept as it is),
// entries ending in CR ("N 个条目以回车符结尾"). Empty when there is nothing to say.
std::vector<std::string> PolyDictNotes(const std::string& path);

// Whether a file name is a dictionary's lock file (walks pass over them).
bool IsPolyLockName(std::string_view fileName);

// Which step of an edit failed.
enum class PolyDictEditFailure { None, Read, HasNul, Write };

// Under the lock: reads the file (a missing one is empty when `missingIsEmpty`), lets `edit`
// change it and writes it back atomically when `edit` returns true. A file holding a NUL byte
// is refused before `edit` runs: writing back only the text before it would lose the rest.
// `failure` tells which step failed.
IoStatus EditPolyDict(const std::string& path, bool missingIsEmpty,
                      const std::function<bool(PolyDictText&)>& edit,
                      PolyDictEditFailure* failure = nullptr);

}  // namespace qdm
