// Every fault of a book at once: the first fault of each part, where a part begins at the
// section after the one that holds the previous fault. A fault inside a section says nothing
// about the next section, so the next part starts there; one outside every section resumes at
// the next section begin string after it.
#include "markup/check.h"
#include "markup/tag_walk.h"
#include "markup/tags.h"

namespace qdm {

std::vector<MarkupFault> CheckMarkupAll(std::string_view text, size_t limit) {
    std::vector<MarkupFault> faults;
    walk::TagStream tags(text);
    size_t from = 0;
    while (faults.size() < limit) {
        std::string message;
        const walk::Fault fault = walk::FirstFault(tags, from, text.size(), message);
        if (fault.pos < 0) break;
        faults.push_back({fault.pos, std::move(message)});
        const size_t after =
            fault.sectionEnd != scan::npos ? fault.sectionEnd : static_cast<size_t>(fault.pos) + 1;
        from = scan::Find(text, kSectionBegin, after);
        if (from == scan::npos) break;
    }
    return faults;
}

}  // namespace qdm
