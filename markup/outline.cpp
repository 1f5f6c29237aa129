#include "markup/outline.h"

#include <algorithm>

#include "editor/gbk.h"
#include "markup/scan.h"
#include "markup/tags.h"

namespace qdm {
namespace {

// A tag token is at most this long, so an edit can change only tokens that start this close
// before it (a section begin tag's number field is read up to 20 bytes from its "<").
constexpr int32_t kLongestToken = 20;

OutlineTag ReadTag(std::string_view text, size_t p, const scan::TagString& tag) {
    OutlineTag t{static_cast<int32_t>(p), static_cast<int16_t>(tag.Length()),
                 static_cast<int8_t>(tag.kind), tag.isEnd};
    if (tag.kind == TAG_SECTION && !tag.isEnd) {
        const size_t g = scan::NumberFieldEnd(text, p);
        if (g != scan::npos) t.len = static_cast<int16_t>(g + 1 - p);
    }
    return t;
}

// Tokens starting in [from, to), appended to `out`. The search looks no further than the
// last token that can start before `to` reaches: a tagless stretch after it costs nothing.
void ReadTags(std::string_view text, size_t from, size_t to, std::vector<OutlineTag>& out) {
    text = text.substr(0, std::min(text.size(), to + kLongestToken));
    scan::TagString tag;
    for (size_t p = scan::FindTagString(text, from, tag); p != scan::npos && p < to;
         p = scan::FindTagString(text, p + tag.Length(), tag))
        out.push_back(ReadTag(text, p, tag));
}

bool Blank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

void MergedEdit::Add(int32_t at, int32_t removedLen, int32_t insertedLen) {
    if (!any) {
        *this = {true, at, removedLen, insertedLen};
        return;
    }
    const int32_t lo = std::min(pos, at);
    const int32_t hi = std::max(pos + inserted, at + removedLen);  // in the text before `at`
    const int32_t oldHi = hi - (inserted - removed), newHi = hi + (insertedLen - removedLen);
    *this = {true, lo, oldHi - lo, newHi - lo};
}

int32_t OutlineLevel(int32_t kind) {
    return kind == TAG_SECTION ? 0 : kind == TAG_EMPH ? 2 : 1;
}

void OutlineIndex::Build(std::string_view text) {
    m_textSize = static_cast<int32_t>(text.size());
    m_tags.clear();
    m_regions.clear();
    // Room for every tag and region at once: grown by doubling, the arrays of a sectioned
    // 100 MB book left as much again in freed blocks that the allocator keeps (12 MB for
    // 360,000 sections). Every tag starts with "<", which is never a GBK trail byte.
    m_tags.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '<')));
    ReadTags(text, 0, text.size(), m_tags);
    m_regions.reserve(static_cast<size_t>(
        std::count_if(m_tags.begin(), m_tags.end(), [](const OutlineTag& t) { return !t.isEnd; })));

    std::vector<int32_t> open;  // levels strictly rise from the bottom up
    auto close = [&](int32_t at, int32_t endLen) {
        OutlineRegion& r = m_regions[open.back()];
        r.end = at;
        r.endLen = endLen;
        open.pop_back();
    };
    for (const OutlineTag& t : m_tags) {
        if (t.isEnd) {
            auto it = std::find_if(open.begin(), open.end(),
                                   [&](int32_t i) { return m_regions[i].kind == t.kind; });
            if (it == open.end()) continue;  // closes nothing
            while (open.back() != *it) close(t.pos, 0);
            close(t.pos, t.len);
            continue;
        }
        const int32_t level = OutlineLevel(t.kind);
        while (!open.empty() && OutlineLevel(m_regions[open.back()].kind) >= level) close(t.pos, 0);
        const int32_t numberLen =
            t.kind == TAG_SECTION ? t.len - static_cast<int32_t>(kSectionBegin.size()) - 1 : 0;
        m_regions.push_back({t.kind, t.pos, t.pos + t.len, m_textSize, 0,
                             static_cast<int16_t>(std::max(numberLen, 0)),
                             open.empty() ? -1 : open.back(), 0});
        open.push_back(Size() - 1);
    }
    while (!open.empty()) close(m_textSize, 0);
    Link();
}

void OutlineIndex::Link() {
    m_top.clear();
    m_top.reserve(m_regions.size());
    m_childStart.assign(m_regions.size() + 1, 0);
    for (OutlineRegion& r : m_regions) {
        if (r.parent < 0) {
            r.row = static_cast<int32_t>(m_top.size());
            m_top.push_back(static_cast<int32_t>(&r - m_regions.data()));
        } else {
            r.row = m_childStart[r.parent + 1]++;
        }
    }
    for (size_t i = 1; i < m_childStart.size(); ++i) m_childStart[i] += m_childStart[i - 1];
    m_children.assign(m_childStart.back(), 0);
    for (int32_t i = 0; i < Size(); ++i) {
        const OutlineRegion& r = m_regions[i];
        if (r.parent >= 0) m_children[m_childStart[r.parent] + r.row] = i;
    }
}

bool OutlineIndex::Update(std::string_view text, int32_t pos, int32_t removed, int32_t inserted) {
    if (TryMove(text, pos, removed, inserted)) return true;
    Build(text);
    return false;
}

bool OutlineIndex::TryMove(std::string_view text, int32_t pos, int32_t removed, int32_t inserted) {
    if (removed == 0 && inserted == 0) return true;
    const int32_t lo = pos, hiOld = pos + removed, hiNew = pos + inserted;
    const int32_t w0 = std::max(0, lo - kLongestToken + 1);
    auto first = std::lower_bound(m_tags.begin(), m_tags.end(), w0,
                                  [](const OutlineTag& t, int32_t p) { return t.pos < p; });
    auto last = first;
    while (last != m_tags.end() && last->pos < hiOld) ++last;
    std::vector<OutlineTag> now;
    ReadTags(text, w0, hiNew, now);
    // Local when no tag, old or new, touches the edited bytes and those just before are alike.
    auto touches = [lo](const OutlineTag& t, int32_t hi) {
        return t.pos < hi && t.pos + t.len > lo;
    };
    const bool local = std::equal(first, last, now.begin(), now.end()) &&
                       std::none_of(now.begin(), now.end(),
                                    [&](const OutlineTag& t) { return touches(t, hiNew); });
    if (!local ||
        std::any_of(first, last, [&](const OutlineTag& t) { return touches(t, hiOld); })) {
        return false;
    }
    const int32_t delta = inserted - removed;
    auto startShift = [&](int32_t& x) { x += x >= hiOld ? delta : 0; };
    for (auto it = last; it != m_tags.end(); ++it) it->pos += delta;
    for (OutlineRegion& r : m_regions) {
        startShift(r.begin);
        startShift(r.end);
        if (r.contentStart > lo) r.contentStart += delta;
    }
    m_textSize += delta;
    return true;
}

int32_t OutlineIndex::ChildCount(int32_t parent) const {
    if (parent < 0) return static_cast<int32_t>(m_top.size());
    return m_childStart[parent + 1] - m_childStart[parent];
}

int32_t OutlineIndex::Child(int32_t parent, int32_t row) const {
    return parent < 0 ? m_top[row] : m_children[m_childStart[parent] + row];
}

int32_t OutlineIndex::Innermost(int32_t pos) const {
    auto it = std::upper_bound(m_regions.begin(), m_regions.end(), pos,
                               [](int32_t p, const OutlineRegion& r) { return p < r.begin; });
    if (it == m_regions.begin()) return -1;
    int32_t i = static_cast<int32_t>(it - m_regions.begin()) - 1;
    // A region that ends before pos may still sit inside one that holds it.
    while (i >= 0 && pos >= m_regions[i].SpanEnd()) i = m_regions[i].parent;
    return i;
}

std::string ContentPreview(std::string_view text, const OutlineRegion& region, int chars) {
    const size_t end = std::min<size_t>(region.end, text.size());
    size_t p = std::min<size_t>(region.contentStart, end);
    std::string out;
    bool space = false;
    for (int n = 0; p < end && n < chars;) {
        if (const size_t tag = text[p] == '<' ? scan::TokenLength(text, p) : 0) {
            p += tag;  // the tags of regions inside are shown by their own rows
            continue;
        }
        if (Blank(text[p])) {
            space = !out.empty();
            ++p;
            continue;
        }
        if (space) {
            out += ' ';
            space = false;
            if (++n == chars) break;
        }
        const size_t len = std::min(gbk::CharLen(text, p), end - p);
        out.append(text.substr(p, len));
        p += len;
        ++n;
    }
    return out;
}

}  // namespace qdm
