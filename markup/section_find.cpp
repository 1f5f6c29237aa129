#include "markup/section_find.h"

#include "markup/scan.h"
#include "markup/tags.h"

namespace qdm {

int32_t SectionContentStart(std::string_view text, int32_t n) {
    if (n < 1) return -1;
    size_t at = scan::Find(text, kSectionBegin, 0);
    for (int32_t i = 1; i < n && at != scan::npos; ++i)
        at = scan::Find(text, kSectionBegin, at + kSectionBegin.size());
    return at == scan::npos ? -1 : static_cast<int32_t>(at + kSectionBegin.size());
}

}  // namespace qdm
