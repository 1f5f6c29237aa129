// The whole-text check. Regions are taken left to right and each region's content before the
// regions after it; the first fault in that order is reported. Nesting is shallow (a section,
// a note, an emphasis), but a level may hold millions of regions one after another, so the
// walk keeps its levels on an explicit stack and moves along a level in a loop.
#include <array>
#include <deque>
#include <vector>

#include "editor/gbk.h"
#include "markup/check.h"
#include "markup/scan.h"

namespace qdm {
namespace {

// Tag strings in text order, read once. Every query position of the check is at or after the
// previous one, so tags before it can be dropped; tags read ahead while looking for an end
// string wait in queues until the content walk reaches them.
class TagStream {
  public:
    explicit TagStream(std::string_view text) : m_text(text) {}

    struct Begin {
        size_t pos;
        int32_t kind;
    };

    // The first begin string of any kind starting at or after q.
    bool NextBegin(size_t q, Begin& out) {
        while (!m_begins.empty() && m_begins.front().pos < q) m_begins.pop_front();
        while (m_begins.empty())
            if (!Advance(q)) return false;
        out = m_begins.front();
        return true;
    }

    // The first end string of `kind` starting at or after q, or npos.
    size_t NextEnd(int32_t kind, size_t q) {
        std::deque<size_t>& ends = m_ends[kind - 1];
        while (!ends.empty() && ends.front() < q) ends.pop_front();
        while (ends.empty())
            if (!Advance(q)) return scan::npos;
        return ends.front();
    }

  private:
    // Reads the next tag string into its queue; tags before q are of no further interest.
    bool Advance(size_t q) {
        if (m_cursor == scan::npos) return false;
        scan::TagString tag;
        const size_t p = scan::FindTagString(m_text, m_cursor, tag);
        if (p == scan::npos) {
            m_cursor = scan::npos;
            return false;
        }
        m_cursor = p + tag.Length();
        if (p >= q) {
            if (tag.isEnd)
                m_ends[tag.kind - 1].push_back(p);
            else
                m_begins.push_back({p, tag.kind});
        }
        return true;
    }

    std::string_view m_text;
    size_t m_cursor = 0;
    std::deque<Begin> m_begins;
    std::array<std::deque<size_t>, 5> m_ends;
};

struct Level {
    const TagKind* outer;  // nullptr: the top level
    size_t s, t;           // the range still to examine
};

}  // namespace

int32_t CheckMarkup(std::string_view text, std::string& message) {
    TagStream tags(text);
    std::vector<Level> levels{{nullptr, 0, text.size()}};
    while (!levels.empty()) {
        Level& level = levels.back();
        TagStream::Begin begin;
        const TagKind* kind = nullptr;
        if (tags.NextBegin(level.s, begin)) kind = KindByNumber(begin.kind);
        if (!kind || begin.pos + kind->begin.size() > level.t) {
            levels.pop_back();  // this level is sound; its parent goes on after the region
            continue;
        }
        const size_t b = begin.pos;
        const size_t d = tags.NextEnd(kind->number, b);
        if (d == scan::npos || d + kind->end.size() > level.t) {
            message += gbk::Format(gbk::Lit("%s 没有结束标志"), kind->name);
            return static_cast<int32_t>(b);
        }
        if (!CanNest(level.outer, *kind)) {
            message += gbk::Format(gbk::Lit("%s 中不能嵌套 %s"), level.outer->name, kind->name);
            return static_cast<int32_t>(b);
        }
        level.s = d + kind->end.size();
        levels.push_back({kind, b + kind->begin.size(), d});
    }
    return -1;
}

}  // namespace qdm
