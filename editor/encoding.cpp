#include "editor/encoding.h"

#include <array>
#include <string>

namespace qdm {
namespace {

struct Names {
    Encoding encoding;
    std::string_view name, label;
};

constexpr std::array<Names, 6> kNames = {{
    {Encoding::Gbk, "gbk", "GBK"},
    {Encoding::Utf8, "utf-8", "UTF-8"},
    {Encoding::Utf16Le, "utf-16le", "UTF-16LE"},
    {Encoding::Utf16Be, "utf-16be", "UTF-16BE"},
    {Encoding::Gb18030, "gb18030", "GB18030"},
    {Encoding::Big5, "big5", "Big5"},
}};

std::string Folded(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c == '-' || c == '_') continue;
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

}  // namespace

std::string_view EncodingName(Encoding encoding) {
    return kNames[static_cast<size_t>(encoding)].name;
}

std::string_view EncodingLabel(Encoding encoding) {
    return kNames[static_cast<size_t>(encoding)].label;
}

std::optional<Encoding> ParseEncodingName(std::string_view name) {
    const std::string folded = Folded(name);
    for (const Names& n : kNames)
        if (Folded(n.name) == folded) return n.encoding;
    return std::nullopt;
}

}  // namespace qdm
