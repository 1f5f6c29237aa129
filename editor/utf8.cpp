#include "editor/utf8.h"

#include <cstdio>

namespace qdm {

std::string CodepointName(char32_t cp) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
    return buf;
}

}  // namespace qdm
