// Whether a new section may go around a selection. Sections are examined in text order up to
// the first one that does not end before the selection; each is checked for its end string and
// for a second begin string inside it before the selection is compared with it.
#include "editor/gbk.h"
#include "markup/check.h"
#include "markup/scan.h"

namespace qdm {

int32_t CheckSectionPlacement(std::string_view text, int32_t start, int32_t length,
                              std::string& message) {
    const int64_t a = start, selEnd = int64_t{start} + length;
    const size_t beginLen = kSectionBegin.size(), endLen = kSectionEnd.size();
    auto fail = [&](const char* utf8, size_t at) {
        message += gbk::Lit(utf8);
        return static_cast<int32_t>(at);
    };
    size_t b = scan::Find(text, kSectionBegin, 0);
    while (b != scan::npos) {
        const size_t d = scan::Find(text, kSectionEnd, b);
        if (d == scan::npos) return fail("此位置缺少section结束标志;", b);
        const size_t e = d + endLen;
        // The next begin string, which is also where the next section starts.
        const size_t b2 = scan::Find(text, kSectionBegin, b + beginLen);
        if (b2 != scan::npos && b2 < e) return fail("错误section开始标志;", b2);
        const int64_t sb = static_cast<int64_t>(b), sd = static_cast<int64_t>(d);
        if (static_cast<int64_t>(e) <= a) {
            b = b2;
            continue;
        }
        if (sb >= selEnd) return -1;
        if (sb < a && a < sb + static_cast<int64_t>(beginLen))
            return fail("不能在标志中插入section;", b);
        if (sd < a && a < sd + static_cast<int64_t>(endLen))
            return fail("不能在标志中插入section;", d);
        if (a < sb) return fail("section之间不能相交;", b);
        return fail("section之间不能嵌套;", b);
    }
    return -1;
}

}  // namespace qdm
