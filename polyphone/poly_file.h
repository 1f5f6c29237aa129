#pragma once
// Processing one file: read it whole, run the dictionary over its text, write it back
// atomically. The pieces shared by the single-file command, the directory batch and
// `qdm polyphone`.
//
// A file is refused (skipped, left untouched, with a reason) when it is not a regular file,
// cannot be read, holds a NUL byte (it is not a text: writing back only the text before the
// NUL would destroy the rest, a cover image for instance), or cannot be written. A file is
// never half-written: the write-back replaces it atomically or not at all. An empty file is
// not written.
#include <cstdint>
#include <string>

#include "editor/file_io.h"
#include "polyphone/poly_dict.h"

namespace qdm {

// What became of one file. Both the report's text and the command line's exit code are
// derived from it.
enum class PolyOutcome {
    Written,      // processed and written back (in a dry run: would be)
    Dictionary,   // the dictionary file itself: processing it would ruin the dictionary
    SameFile,     // met before in this run under another name
    Empty,        // nothing to process
    NotRegular,   // a FIFO, a device...: opening it could block or never end
    Unreadable,   // a file or directory that cannot be read
    HasNul,       // not a text: writing back the text before the NUL would lose the rest
    TooLarge,     // the result would reach 2 GiB
    WriteFailed,  // the write-back (or, in a dry run, the check that it would work) failed
};

// A skip that says something is wrong with the file (not the dictionary, met before or empty).
bool IsFault(PolyOutcome outcome);

struct PolyFileResult {
    std::string path;      // as it was handed over (directory + "/" + relative for a batch)
    std::string relative;  // relative to the batch directory; the path itself otherwise
    PolyOutcome outcome = PolyOutcome::Written;
    int64_t replacements = 0;  // made (or, in a dry run, that would be made)
    // Unreadable, WriteFailed: the system's reason (UTF-8); SameFile: the path met first.
    std::string detail;

    bool Done() const { return outcome == PolyOutcome::Written; }
    // Why it was skipped (UTF-8), as the reports show it; empty when done.
    std::string Reason() const;
    void Skip(PolyOutcome why, std::string whyDetail = {}) {
        outcome = why;
        detail = std::move(whyDetail);
    }
};

// Reads `path` for processing. On success `text` holds the whole file. On refusal returns
// false and skips `result`: not a regular file, unreadable, holds a NUL byte, empty.
bool LoadFileForPolyphone(const std::string& path, std::string& text, PolyFileResult& result);

// Why a write of `path` would fail (the system's reason), without writing (for dry runs);
// empty when it would work.
std::string WriteProblem(const std::string& path);

// Whether `path` is the dictionary file itself (the same file, through any name or link):
// processing it would replace each entry's word in its own line and ruin the dictionary.
bool IsDictionaryFile(const CPolyDict& dict, const std::string& path);

// The note on a temporary older than the run, which is neither processed nor removed.
std::string PolyStaleTemporaryNote();

}  // namespace qdm
