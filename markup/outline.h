#pragma once
// The structure of a text as the outline shows it: sections and the notes, translations and
// emphasis inside them, with their offsets, read in one pass over the tag strings.
//
// The reading is tolerant, because the outline is most useful while the markup is still
// wrong: a region is closed by its own end string, by the end string of a region around it,
// by a begin string of its own level or a higher one (section above note above emphasis), or
// by the end of the text. An end string that closes nothing open is passed over.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qdm {

// Eight bytes a tag and 28 a region: a sectioned 100 MB book has hundreds of thousands.
struct OutlineTag {
    int32_t pos;
    int16_t len;  // a numbered section begin tag includes its number and ">" (at most 20 bytes)
    int8_t kind;
    bool isEnd;
    bool operator==(const OutlineTag&) const = default;
};

struct OutlineRegion {
    int16_t kind;          // 1 to 5
    int32_t begin;         // offset of the begin string
    int32_t contentStart;  // just after the begin tag (after the ">" of a numbered section)
    int32_t end;           // offset of the end string, or where the region was cut off
    int16_t endLen;        // length of the end string; 0 when the region was cut off
    int16_t numberLen;     // bytes of a section's number field; 0: unnumbered
    int32_t parent;        // index of the enclosing region; -1: the top level
    int32_t row;           // position among the parent's children
    int32_t SpanEnd() const { return end + endLen; }
    bool operator==(const OutlineRegion&) const = default;
};

class OutlineIndex {
  public:
    void Build(std::string_view text);
    // `text` is the new text, in which bytes [pos, pos + removed) of the indexed text became
    // `inserted` bytes. An edit that leaves every tag as it was only moves offsets; any other
    // edit reads the text again. Returns true when the offsets were only moved.
    bool Update(std::string_view text, int32_t pos, int32_t removed, int32_t inserted);
    // Update's first half: moves the offsets when the edit leaves every tag as it was, and
    // otherwise changes nothing and returns false.
    bool TryMove(std::string_view text, int32_t pos, int32_t removed, int32_t inserted);

    int32_t Size() const { return static_cast<int32_t>(m_regions.size()); }
    const OutlineRegion& Region(int32_t i) const { return m_regions[i]; }
    const std::vector<OutlineRegion>& Regions() const { return m_regions; }
    const std::vector<OutlineTag>& Tags() const { return m_tags; }

    // Children of a region in text order; parent -1 is the top level.
    int32_t ChildCount(int32_t parent) const;
    int32_t Child(int32_t parent, int32_t row) const;
    // The innermost region whose tags and content hold `pos` (begin <= pos < SpanEnd); -1
    // when none does.
    int32_t Innermost(int32_t pos) const;

  private:
    void Link();

    std::vector<OutlineTag> m_tags;
    std::vector<OutlineRegion> m_regions;  // in the order of their begin strings
    std::vector<int32_t> m_top;            // top-level regions
    std::vector<int32_t> m_childStart;     // m_children[m_childStart[i] ...] are i's children
    std::vector<int32_t> m_children;
    int32_t m_textSize = 0;
};

// Edits made one after another, told as one: old bytes [pos, pos + removed) became the new
// bytes [pos, pos + inserted), so an index can catch up with many keystrokes at once.
struct MergedEdit {
    bool any = false;
    int32_t pos = 0, removed = 0, inserted = 0;
    void Add(int32_t at, int32_t removedLen, int32_t insertedLen);
};

// Nesting level of a kind: sections 0, notes and translations 1, emphasis 2.
int32_t OutlineLevel(int32_t kind);

// Up to `chars` GBK characters of a region's content from its first character that is not
// blank, with each run of line breaks, tabs and spaces shown as one space and the tags of the
// regions inside left out; stops at the region's end.
std::string ContentPreview(std::string_view text, const OutlineRegion& region, int chars);

}  // namespace qdm
