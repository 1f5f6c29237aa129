// The tag region around a position: the first end string after it whose begin string lies at
// or before it. Regions that lie wholly after the position are passed over one by one, so the
// search for each kind's last begin string goes on where the previous one stopped instead of
// starting again from the beginning of the text.
#include <array>

#include "markup/check.h"
#include "markup/scan.h"

namespace qdm {
namespace {

// The last begin string of each kind that starts before a limit; limits only grow.
class LastBegins {
  public:
    explicit LastBegins(std::string_view text) : m_text(text) {}

    size_t Before(const TagKind& kind, size_t limit) {
        Memo& m = m_memo[kind.number - 1];
        const size_t found = scan::FindLast(m_text, kind.begin, m.searchedTo, limit);
        if (found != scan::npos) m.last = found;
        m.searchedTo = limit;
        return m.last;
    }

  private:
    struct Memo {
        size_t searchedTo = 0;     // begin strings starting before this are known
        size_t last = scan::npos;  // the last of them
    };
    std::string_view m_text;
    std::array<Memo, 5> m_memo;
};

}  // namespace

EnclosingTag FindEnclosingTag(std::string_view text, int32_t pos) {
    if (pos < 0) return {};
    const size_t at = static_cast<size_t>(pos);
    LastBegins begins(text);
    size_t from = at;
    for (;;) {
        scan::TagString tag;
        size_t ce = scan::FindTagString(text, from, tag);
        while (ce != scan::npos && !tag.isEnd) ce = scan::FindTagString(text, ce + 1, tag);
        if (ce == scan::npos) return {};
        const TagKind& kind = *KindByNumber(tag.kind);
        const size_t b = begins.Before(kind, ce);
        if (b == scan::npos) return {};
        const size_t cs = b + kind.begin.size();
        if (cs <= at) return {&kind, static_cast<int32_t>(cs), static_cast<int32_t>(ce)};
        from = ce + kind.end.size();
    }
}

}  // namespace qdm
