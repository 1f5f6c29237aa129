// The whole-text check. Regions are taken left to right and each region's content before the
// regions after it; the first fault in that order is reported. Nesting is shallow (a section,
// a note, an emphasis), but a level may hold millions of regions one after another, so the
// walk keeps its levels on an explicit stack and moves along a level in a loop.
#include <vector>

#include "editor/gbk.h"
#include "markup/check.h"
#include "markup/tag_walk.h"
#include "markup/tags.h"

namespace qdm {
namespace walk {

bool TagStream::NextBegin(size_t q, Begin& out) {
    while (!m_begins.empty() && m_begins.front().pos < q) m_begins.pop_front();
    while (m_begins.empty())
        if (!Advance(q)) return false;
    out = m_begins.front();
    return true;
}

size_t TagStream::NextEnd(int32_t kind, size_t q) {
    std::deque<size_t>& ends = m_ends[kind - 1];
    while (!ends.empty() && ends.front() < q) ends.pop_front();
    while (ends.empty())
        if (!Advance(q)) return scan::npos;
    return ends.front();
}

// Reads the next tag string into its queue; tags before q are of no further interest.
bool TagStream::Advance(size_t q) {
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

namespace {

struct Level {
    const TagKind* outer;  // nullptr: the top level
    size_t s, t;           // the range still to examine
};

Fault At(const std::vector<Level>& levels, size_t b) {
    Fault fault{static_cast<int32_t>(b)};
    // levels[1] is the top-level region being examined, if any.
    if (levels.size() > 1 && levels[1].outer->number == TAG_SECTION)
        fault.sectionEnd = levels[1].t + kSectionEnd.size();
    return fault;
}

}  // namespace

Fault FirstFault(TagStream& tags, size_t from, size_t to, std::string& message) {
    std::vector<Level> levels{{nullptr, from, to}};
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
            return At(levels, b);
        }
        if (!CanNest(level.outer, *kind)) {
            message += gbk::Format(gbk::Lit("%s 中不能嵌套 %s"), level.outer->name, kind->name);
            return At(levels, b);
        }
        level.s = d + kind->end.size();
        levels.push_back({kind, b + kind->begin.size(), d});
    }
    return {};
}

}  // namespace walk

int32_t CheckMarkup(std::string_view text, std::string& message) {
    walk::TagStream tags(text);
    return walk::FirstFault(tags, 0, text.size(), message).pos;
}

}  // namespace qdm
