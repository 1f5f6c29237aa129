#include "markup/tags.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "editor/gbk.h"

namespace qdm {
namespace {

static_assert([] {
    for (size_t i = 0; i < kTagSpellings.size(); ++i)
        if (kTagSpellings[i].number != static_cast<int32_t>(i + 1)) return false;
    return true;
}());

const std::array<TagKind, 6>& Table() {
    static const std::array<TagKind, 6> table = [] {
        std::array<TagKind, 6> kinds;
        for (size_t i = 0; i < kinds.size(); ++i) {
            const TagSpelling& s = kTagSpellings[i];
            kinds[i] = {s.number, gbk::Lit(s.utf8Name), s.begin, s.end, s.ascii, s.rgb};
        }
        return kinds;
    }();
    return table;
}

struct NestRule {
    int32_t kind;
    std::array<int32_t, 6> enclosedBy;  // 0 ends a list
    std::array<int32_t, 6> encloses;
};

constexpr std::array<NestRule, 6> kNesting = {{
    {TAG_SECTION, {}, {TAG_READERNOTE, TAG_AUTHORNOTE, TAG_TRANS, TAG_EMPH, TAG_REVERSE_SECTION}},
    {TAG_REVERSE_SECTION, {TAG_SECTION}, {}},
    {TAG_READERNOTE, {TAG_SECTION}, {TAG_EMPH}},
    {TAG_AUTHORNOTE, {TAG_SECTION}, {TAG_EMPH}},
    {TAG_TRANS, {TAG_SECTION}, {TAG_EMPH}},
    {TAG_EMPH, {TAG_SECTION, TAG_READERNOTE, TAG_AUTHORNOTE, TAG_TRANS}, {}},
}};

bool InList(const std::array<int32_t, 6>& list, int32_t kind) {
    for (int32_t k : list) {
        if (k == 0) return false;
        if (k == kind) return true;
    }
    return false;
}

}  // namespace

const TagKind* KindByNumber(int32_t number) {
    if (number < 1 || number > 6) return nullptr;
    return &Table()[number - 1];
}

std::span<const TagKind> ScannedKinds() {
    return std::span<const TagKind>(Table().data(), 5);
}

bool CanNest(const TagKind* outer, const TagKind& inner) {
    if (!outer) return true;
    for (const NestRule& rule : kNesting)
        if (rule.kind == outer->number) return InList(rule.encloses, inner.number);
    for (const NestRule& rule : kNesting)
        if (rule.kind == inner.number) return InList(rule.enclosedBy, outer->number);
    return true;
}

}  // namespace qdm
