#pragma once
#include <string>

namespace qdm {

// Where Save writes a text that came from `path`: the last ".txt" (exact case) removed and
// ".qdm" appended, unless that ".txt" starts the path; otherwise the path itself.
std::string QdmSavePath(const std::string& path);

}  // namespace qdm
