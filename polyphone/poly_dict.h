#pragma once
// The polyphone dictionary file `kolb_polyphone.ini`: one entry per LF-terminated line,
// "WORD======>>REPLACEMENT", GBK bytes, no header.
//
// The file as last saved is the dictionary: every lookup sees the file in its state of that
// moment. To keep that promise without re-reading and re-parsing the file at every step, a
// CPolyDict holds a parsed snapshot and re-reads the file only when its identity (device,
// inode), size, modification or change time (nanoseconds) differ from the snapshot's, or when
// the snapshot was taken so soon after the last modification that a later write could carry
// the same time stamp. A re-read whose bytes equal the snapshot's keeps the snapshot (and the
// matcher built from it).
//
// A CPolyDict may be shared between threads; the snapshots it hands out are immutable.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "editor/file_io.h"
#include "polyphone/poly_dict_clock.h"

namespace qdm {

// The separator between a word and its replacement.
inline constexpr std::string_view kPolySeparator = "======>>";
// The file's name; it lives in the directory of the running executable, or for an installed
// program in the user's data folder (poly_dict_home.h).
inline constexpr std::string_view kPolyDictName = "kolb_polyphone.ini";

// One entry as processing applies it: a non-empty word and its replacement (maybe empty).
struct PolyEntry {
    std::string word;
    std::string replacement;
};

class PolyMatchIndex;  // built on demand from a snapshot's entries (poly_match.h)

// The file's content at one moment, parsed.
class PolyDictSnapshot {
  public:
    // Parses `content` (the file's bytes up to the first NUL).
    explicit PolyDictSnapshot(std::string content, bool readable = true);
    ~PolyDictSnapshot();

    bool Readable() const { return m_readable; }  // false: missing or unreadable file
    const std::string& Content() const { return m_content; }

    // Lines as the settings list shows them: every LF-terminated line, CRs kept; bytes after
    // the last LF form no line.
    size_t LineCount() const { return m_lines.size(); }
    std::string_view Line(size_t n) const;

    // Entry N (line N) when that line holds the separator after a non-empty word.
    bool EntryAt(size_t n, std::string_view& word, std::string_view& replacement) const;
    bool IsEntry(size_t n) const { return n < m_lines.size() && m_lines[n].sep != kNoSep; }
    // The entries processing applies: lines 0, 1, ... up to the first line that is not a
    // valid entry.
    int AppliedCount() const { return m_applied; }
    // Of those, the entries whose line ends in CR (a file written with CR LF line ends): the
    // CR is part of the replacement and would go into every book.
    int CrEndedCount() const { return m_crEnded; }
    // A run that has applied `from` entries goes on up to, not including, this entry.
    int RunEnd(int from) const;
    // For a valid entry n.
    std::string_view Word(size_t n) const {
        const LineInfo& l = m_lines[n];
        return std::string_view(m_content).substr(l.start, l.sep - l.start);
    }
    std::string_view Replacement(size_t n) const {
        const LineInfo& l = m_lines[n];
        const size_t from = l.sep + kPolySeparator.size();
        return std::string_view(m_content).substr(from, l.end - from);
    }

    // The matcher over every valid entry, built on first use (thread-safe).
    const PolyMatchIndex& MatchIndex() const;

  private:
    struct LineInfo {
        uint32_t start;
        uint32_t sep;  // offset of the separator in the content; kNoSep when not valid
        uint32_t end;  // offset of the LF
    };
    static constexpr uint32_t kNoSep = 0xFFFFFFFFu;

    std::string m_content;
    bool m_readable;
    std::vector<LineInfo> m_lines;
    int m_applied = 0;
    int m_crEnded = 0;
    mutable std::once_flag m_indexOnce;
    mutable std::unique_ptr<PolyMatchIndex> m_index;
};

using PolyDictRef = std::shared_ptr<const PolyDictSnapshot>;

class CPolyDict {
  public:
    // The default dictionary (CurrentPolyDictPlaces().Default()), or the path set by
    // SetDefaultPath.
    CPolyDict();
    // A dictionary file of the caller's choice (`qdm --dict`, tests); `clock` tells whether
    // the file changed (tests stage rewrites with their own) and must outlive the dictionary.
    explicit CPolyDict(std::string path, const IPolyDictClock& clock = SystemPolyDictClock());

    // The default location: the directory of /proc/self/exe plus kPolyDictName. Only the
    // directory of the executable counts, never the working directory.
    static std::string ExecutableDictPath();
    // Makes later default-constructed dictionaries use `path` (tests, `--dict`); an empty
    // path restores the default.
    static void SetDefaultPath(std::string path);

    // The file that is edited and written.
    const std::string& GetPath() const { return m_path; }
    // The file read in its place while it does not exist (the one beside an installed
    // program, for the user's copy); empty for any other dictionary.
    const std::string& Seed() const { return m_seed; }
    // The file a read takes now: GetPath(), or the seed while GetPath() does not exist.
    std::string ReadPath() const;

    // The file as it is now (re-read only when it changed). Never null.
    PolyDictRef Snapshot() const;

    // Entry N (from 0) when line N is a valid entry; on false, word and replacement keep what
    // they held. O(1) on an unchanged file.
    bool GetEntry(int n, std::string& word, std::string& replacement) const;
    // How many entries processing applies (the valid lines before the first invalid one).
    int CountEntries() const;
    // Every line in file order, valid or not; false when the file cannot be read (the list
    // is then left empty).
    bool LoadLines(std::vector<std::string>& lines) const;
    // Writes every line followed by LF, replacing the file atomically; on failure the file
    // keeps its old content and the status names the path and the reason.
    IoStatus SaveLines(const std::vector<std::string>& lines) const;

  private:
    std::string m_path;
    std::string m_seed;
    const IPolyDictClock* m_clock = &SystemPolyDictClock();
    mutable std::mutex m_mutex;
    mutable PolyDictRef m_snapshot;
    mutable PolyFileStamp m_stamp;
    mutable bool m_racy = true;  // the stamp alone cannot prove the file unchanged
};

// Empty when the dictionary file can be read, else "PATH: REASON" (UTF-8).
std::string PolyDictReadProblem(const CPolyDict& dict);

}  // namespace qdm
