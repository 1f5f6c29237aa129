#pragma once
// The tag vocabulary: six kinds, their strings, and which kind may stand directly in which.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qdm {

enum TagNumber : int32_t {
    TAG_SECTION = 1,
    TAG_READERNOTE = 2,
    TAG_AUTHORNOTE = 3,
    TAG_TRANS = 4,
    TAG_EMPH = 5,
    TAG_REVERSE_SECTION = 6,
};

constexpr std::string_view kSectionBegin = "<vsection=";
constexpr std::string_view kSectionEnd = "</vsection>";

// One row per kind, in number order: every string, name and colour of a kind comes from here.
struct TagSpelling {
    int32_t number;
    std::string_view ascii;     // qdm's word for the kind: "section", "readernote"...
    std::string_view utf8Name;  // the display name (TagKind::name holds it in GBK)
    std::string_view begin;     // the bytes that open a region
    std::string_view end;       // the bytes that close it
    uint32_t rgb;               // the editor's colour for the kind's tags, 0xRRGGBB
};

// The reverse section has no strings of its own: it closes the enclosing section and opens a
// new one.
inline constexpr std::array<TagSpelling, 6> kTagSpellings = {{
    {TAG_SECTION, "section", "section", kSectionBegin, kSectionEnd, 0x1F4EB4},
    {TAG_READERNOTE, "readernote", "读者注", "<vreadernote>", "</vreadernote>", 0x0A7F3F},
    {TAG_AUTHORNOTE, "authornote", "作者注", "<vauthornote>", "</vauthornote>", 0x8E24AA},
    {TAG_TRANS, "trans", "译文", "<vtrans>", "</vtrans>", 0x007C91},
    {TAG_EMPH, "emph", "重点", "<vemph>", "</vemph>", 0xC62828},
    {TAG_REVERSE_SECTION, "reverse", "反向section", kSectionEnd, kSectionBegin, 0x1F4EB4},
}};

struct TagKind {
    int32_t number;
    std::string name;        // display name in messages, GBK
    std::string_view begin;  // the bytes that open a region
    std::string_view end;    // the bytes that close it
    std::string_view ascii;  // as in TagSpelling
    uint32_t rgb;
};

// Kind 1 to 6, or nullptr.
const TagKind* KindByNumber(int32_t number);
// Kinds 1 to 5 in table order: the kinds every scan of the text looks for.
std::span<const TagKind> ScannedKinds();
// Whether `inner` may stand directly inside `outer` (nullptr: the top level).
bool CanNest(const TagKind* outer, const TagKind& inner);

}  // namespace qdm
