#include "polyphone/poly_lint.h"

#include <algorithm>
#include <unordered_map>

#include "editor/gbk.h"

namespace qdm {

std::string_view PolyLintKindName(PolyLintKind kind) {
    switch (kind) {
        case PolyLintKind::Malformed:
            return "malformed";
        case PolyLintKind::Duplicate:
            return "duplicate";
        case PolyLintKind::Shadowed:
            return "shadowed";
        case PolyLintKind::Self:
            return "self";
        case PolyLintKind::Cr:
            return "cr";
    }
    return {};
}

namespace {

struct Entry {
    std::string_view word, replacement;
    bool valid = false;
};

Entry Split(std::string_view line) {
    const size_t sep = gbk::Find(line, kPolySeparator, 0, true);
    if (sep == gbk::npos || sep == 0) return {};
    return {line.substr(0, sep), line.substr(sep + kPolySeparator.size()), true};
}

std::string N(size_t n) {
    return std::to_string(n);
}

// An occurrence of `inner` at `at` in `outer`, replaced by `replacement`, is replaced in every
// text: the "already replaced" test could only pass it over when the text there began with
// the whole replacement, and the bytes `outer` fixes already rule that out.
bool AlwaysReplaced(std::string_view outer, size_t at, std::string_view replacement) {
    if (replacement.empty()) return true;
    const std::string_view rest = outer.substr(at);
    const size_t common = std::min(rest.size(), replacement.size());
    return rest.substr(0, common) != replacement.substr(0, common);
}

// The earliest entry before `self` whose word lies inside `word` and always replaces it;
// -1 when none.
long ShadowOf(std::string_view word, size_t self, const std::vector<Entry>& entries,
              const std::unordered_map<std::string_view, size_t>& first) {
    long best = -1;
    for (size_t from = 0; from < word.size(); from += gbk::CharLen(word, from)) {
        for (size_t to = from + gbk::CharLen(word, from); to <= word.size();
             to += to < word.size() ? gbk::CharLen(word, to) : 1) {
            if (from == 0 && to == word.size()) break;
            auto it = first.find(word.substr(from, to - from));
            if (it == first.end() || it->second >= self) continue;
            if (!AlwaysReplaced(word, from, entries[it->second].replacement)) continue;
            if (best < 0 || it->second < static_cast<size_t>(best))
                best = static_cast<long>(it->second);
        }
    }
    return best;
}

}  // namespace

std::vector<PolyLintFinding> LintPolyLines(const std::vector<std::string_view>& lines,
                                           std::string_view tail) {
    std::vector<PolyLintFinding> out;
    std::vector<Entry> entries(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) entries[i] = Split(lines[i]);

    const auto firstBad =
        std::find_if(entries.begin(), entries.end(), [](const Entry& e) { return !e.valid; });
    if (firstBad != entries.end()) {
        const size_t at = static_cast<size_t>(firstBad - entries.begin());
        const size_t lost = static_cast<size_t>(
            std::count_if(firstBad + 1, entries.end(), [](const Entry& e) { return e.valid; }));
        out.push_back({at + 1, PolyLintKind::Malformed,
                       gbk::Lit("第 ") + N(at + 1) + gbk::Lit(" 行格式错误，其后 ") + N(lost) +
                           gbk::Lit(" 条不会被处理")});
    }

    std::unordered_map<std::string_view, size_t> first;  // word -> its first entry
    first.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].valid) first.emplace(entries[i].word, i);

    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        if (!e.valid) continue;
        const std::string quoted = gbk::Lit("“") + std::string(e.word) + gbk::Lit("”");
        const size_t earlier = first.at(e.word);
        if (earlier < i) {
            out.push_back({i + 1, PolyLintKind::Duplicate,
                           gbk::Lit("第 ") + N(i + 1) + gbk::Lit(" 行的词组") + quoted +
                               gbk::Lit("与第 ") + N(earlier + 1) + gbk::Lit(" 行重复")});
        } else if (long s = ShadowOf(e.word, i, entries, first); s >= 0) {
            out.push_back({i + 1, PolyLintKind::Shadowed,
                           gbk::Lit("第 ") + N(i + 1) + gbk::Lit(" 行的词组") + quoted +
                               gbk::Lit("永远不会被替换：第 ") + N(static_cast<size_t>(s) + 1) +
                               gbk::Lit(" 行的“") + std::string(entries[s].word) +
                               gbk::Lit("”总是先替换了它")});
        }
        if (gbk::Find(e.replacement, e.word, 0, true) != gbk::npos)
            out.push_back({i + 1, PolyLintKind::Self,
                           gbk::Lit("第 ") + N(i + 1) + gbk::Lit(" 行的替换内容包含词组") + quoted +
                               gbk::Lit("本身")});
        if (!e.replacement.empty() && e.replacement.back() == '\r')
            out.push_back({i + 1, PolyLintKind::Cr,
                           gbk::Lit("第 ") + N(i + 1) + gbk::Lit(" 行以回车符(CR)结尾")});
    }
    if (!tail.empty() && firstBad == entries.end())
        out.push_back(
            {lines.size() + 1, PolyLintKind::Malformed,
             gbk::Lit("第 ") + N(lines.size() + 1) + gbk::Lit(" 行没有换行符，不会被处理")});
    std::stable_sort(
        out.begin(), out.end(),
        [](const PolyLintFinding& a, const PolyLintFinding& b) { return a.line < b.line; });
    return out;
}

std::vector<PolyLintFinding> LintPolyDictionary(const PolyDictSnapshot& dict) {
    std::vector<std::string_view> lines(dict.LineCount());
    for (size_t i = 0; i < lines.size(); ++i) lines[i] = dict.Line(i);
    const std::string_view content = dict.Content();
    const size_t lastLf = content.rfind('\n');
    const std::string_view tail = lastLf == content.npos ? content : content.substr(lastLf + 1);
    return LintPolyLines(lines, tail);
}

}  // namespace qdm
