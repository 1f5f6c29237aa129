#pragma once
// Wrapping the selection in tags. Messages are GBK; on failure the text is unchanged.
#include <cstdint>
#include <string>

#include "markup/tags.h"

namespace qdm {

class CEditBox;

bool InsertSection(CEditBox& edit, std::string& message);
// kind: 2 to 6 (6 = reverse section); 1 to 5 select the scanned kind of that number. Any
// other value (a number from a command line) is refused with "未知格式".
bool InsertTag(TagNumber kind, CEditBox& edit, std::string& message);

}  // namespace qdm
