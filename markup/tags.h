#pragma once
// The tag vocabulary: six kinds, their strings, and which kind may stand directly in which.
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

struct TagKind {
    int32_t number;
    std::string name;        // display name in messages, GBK
    std::string_view begin;  // the bytes that open a region
    std::string_view end;    // the bytes that close it
};

// Kind 1 to 6, or nullptr.
const TagKind* KindByNumber(int32_t number);
// Kinds 1 to 5 in table order: the kinds every scan of the text looks for.
std::span<const TagKind> ScannedKinds();
// Whether `inner` may stand directly inside `outer` (nullptr: the top level).
bool CanNest(const TagKind* outer, const TagKind& inner);

constexpr std::string_view kSectionBegin = "<vsection=";
constexpr std::string_view kSectionEnd = "</vsection>";

}  // namespace qdm
