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

enum class PolyFileStatus { Done, Skipped };

struct PolyFileResult {
    std::string path;      // as it was handed over (directory + "/" + relative for a batch)
    std::string relative;  // relative to the batch directory; the path itself otherwise
    PolyFileStatus status = PolyFileStatus::Skipped;
    int64_t replacements = 0;  // made (or, in a dry run, that would be made)
    std::string reason;        // why it was skipped (UTF-8); empty when done
};

// Reads `path` for processing. On success `text` holds the whole file. On refusal returns
// false and sets `reason` (UTF-8): not a regular file, unreadable, holds a NUL byte, empty.
bool LoadFileForPolyphone(const std::string& path, std::string& text, std::string& reason);

// Why a write of `path` would fail, without writing (for dry runs); empty when it would work.
std::string WriteProblem(const std::string& path);

// Whether `path` is the dictionary file itself (the same file, through any name or link):
// processing it would replace each entry's word in its own line and ruin the dictionary.
bool IsDictionaryFile(const CPolyDict& dict, const std::string& path);

// UTF-8 reason texts used in PolyFileResult::reason.
namespace poly_reason {
std::string NotRegular();
std::string HasNul();
std::string Empty();
std::string IsDictionary();
std::string SameFile(const std::string& firstPath);  // "与 FIRST 是同一文件"
std::string TooLarge();                              // "结果超过 2 GiB"
std::string StaleTemporary();
// Skips that say nothing is wrong with the file (empty, the dictionary, met before).
bool IsBenign(const std::string& reason);
std::string CannotRead(const IoStatus& status);
std::string CannotWrite(const IoStatus& status);
}  // namespace poly_reason

}  // namespace qdm
