#pragma once
// Where Save writes a text that came from a file: its path with the last ".txt" taken out
// and ".qdm" added at the end ("a.txt" -> "a.qdm"); a path without ".txt" (or with ".txt" at
// its very start) is used as it is. The comparison is exact: "A.TXT" stays "A.TXT".
#include <string>

namespace mked {

std::string QdmPathFor(const std::string& path);

}  // namespace mked
