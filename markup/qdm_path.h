#pragma once
#include <string>

namespace qdm {

// Where Save writes a text that came from `path`: the last ".txt" (exact case) of the file
// name (the last path component) removed and ".qdm" appended to the path, unless that ".txt"
// starts the file name; otherwise the path itself. The directories on the way are never
// renamed: "notes.txt.d/ch1" is saved to itself.
std::string QdmSavePath(const std::string& path);

}  // namespace qdm
