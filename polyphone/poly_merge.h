#pragma once
// Bringing entries from another dictionary (the starter dictionary, a file of the user's)
// into the user's own, and writing the valid entries out. The user's bytes are never
// rewritten: new lines are appended as `dict add` appends one, under the same lock.
#include <string>
#include <string_view>
#include <vector>

#include "editor/file_io.h"

namespace qdm {

struct PolyMergeCount {
    int added = 0;
    int skipped = 0;  // entries whose word the dictionary already had
};

// The valid entries of `incoming` whose word is in no entry of the dictionary yet (nor in an
// earlier incoming entry), as lines without LF; a CR ending an incoming entry is dropped, as
// processing would insert it into texts. `have` lists the words already there.
std::vector<std::string> NewPolyRows(const std::vector<std::string_view>& have,
                                     std::string_view incoming, PolyMergeCount& count);

// The rows of `added` (as NewPolyRows makes them) that can never take effect after `have`:
// entries are applied in order, and a word of `have` found inside a row's word (a shorter
// "行" before "银行") has changed the text before the row's turn comes. Indices, ascending;
// the first shadowing word of each goes to `by` when given.
std::vector<size_t> ShadowedPolyRows(const std::vector<std::string_view>& have,
                                     const std::vector<std::string>& added,
                                     std::vector<std::string>* by = nullptr);

// The words of the valid entries among `lines`.
std::vector<std::string_view> PolyWords(const std::vector<std::string_view>& lines);

// Merges `incoming` into the dictionary file at `path` (created when missing) and replaces it
// atomically when something was added (poly_dict_edit.h: a file holding a NUL byte is
// refused, a last line without LF is ended first).
IoStatus MergeIntoPolyFile(const std::string& path, std::string_view incoming,
                           PolyMergeCount& count);

// The valid entries of a dictionary, one "WORD======>>REPLACEMENT" line each, LF-terminated.
std::string ExportPolyEntries(std::string_view content);

}  // namespace qdm
