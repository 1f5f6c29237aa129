#pragma once
// Findings about a dictionary that decide what processing does with it, line by line:
//   malformed  the first line that is not an entry: processing stops there, and the entries
//              after it are never applied; also a last line without its LF
//   duplicate  an entry whose word an earlier entry already has
//   shadowed   an entry that can never match: an earlier entry's word lies inside its word
//              and that entry always replaces it first
//   self       an entry whose replacement contains its own word
//   cr         an entry that ends in CR (a file written with CR LF line ends): processing
//              inserts the CR into the text
#include <string>
#include <string_view>
#include <vector>

#include "polyphone/poly_dict.h"

namespace qdm {

enum class PolyLintKind { Malformed, Duplicate, Shadowed, Self, Cr };

struct PolyLintFinding {
    size_t line = 0;  // from 1
    PolyLintKind kind = PolyLintKind::Malformed;
    std::string message;  // GBK
    bool operator==(const PolyLintFinding&) const = default;
};

// "malformed", "duplicate", "shadowed", "self", "cr"
std::string_view PolyLintKindName(PolyLintKind kind);

// Findings over the lines (without their LFs, in order), ordered by line. `tail` holds the
// bytes after the last LF, which form no line.
std::vector<PolyLintFinding> LintPolyLines(const std::vector<std::string_view>& lines,
                                           std::string_view tail = {});
std::vector<PolyLintFinding> LintPolyDictionary(const PolyDictSnapshot& dict);

}  // namespace qdm
