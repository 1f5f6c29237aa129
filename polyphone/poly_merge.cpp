#include "polyphone/poly_merge.h"

#include <unordered_set>

#include "editor/gbk.h"
#include "polyphone/poly_dict.h"
#include "polyphone/poly_dict_edit.h"
#include "polyphone/poly_rows.h"

namespace qdm {
namespace {

// The dictionary's text ends at the first NUL byte; its lines end at LFs.
std::vector<std::string_view> Lines(std::string_view content) {
    content = content.substr(0, content.find('\0'));
    std::vector<std::string_view> lines;
    for (size_t start = 0, lf; (lf = content.find('\n', start)) != content.npos; start = lf + 1)
        lines.push_back(content.substr(start, lf - start));
    return lines;
}

bool SplitEntry(std::string_view line, std::string_view& word, std::string_view& replacement) {
    const size_t sep = gbk::Find(line, kPolySeparator, 0, true);
    if (sep == gbk::npos || sep == 0) return false;
    word = line.substr(0, sep);
    replacement = line.substr(sep + kPolySeparator.size());
    return true;
}

}  // namespace

std::vector<std::string_view> PolyWords(const std::vector<std::string_view>& lines) {
    std::vector<std::string_view> words;
    std::string_view word, replacement;
    for (std::string_view line : lines)
        if (SplitEntry(line, word, replacement)) words.push_back(word);
    return words;
}

std::vector<std::string> NewPolyRows(const std::vector<std::string_view>& have,
                                     std::string_view incoming, PolyMergeCount& count) {
    std::unordered_set<std::string_view> words(have.begin(), have.end());
    std::vector<std::string> rows;
    std::string_view word, replacement;
    for (std::string_view line : Lines(incoming)) {
        if (!SplitEntry(line, word, replacement)) continue;
        if (!replacement.empty() && replacement.back() == '\r') replacement.remove_suffix(1);
        if (!words.insert(word).second) {
            ++count.skipped;
            continue;
        }
        rows.push_back(BuildPolyRow(word, replacement));
        ++count.added;
    }
    return rows;
}

std::vector<size_t> ShadowedPolyRows(const std::vector<std::string_view>& have,
                                     const std::vector<std::string>& added,
                                     std::vector<std::string>* by) {
    const std::unordered_set<std::string_view> words(have.begin(), have.end());
    std::vector<size_t> shadowed;
    std::string_view word, replacement;
    for (size_t i = 0; i < added.size(); ++i) {
        if (!SplitEntry(added[i], word, replacement)) continue;
        // Words are a few characters long: every part of one that starts and ends on a
        // character boundary is looked up.
        std::vector<size_t> bounds;
        for (size_t at = 0; at < word.size(); at += gbk::CharLen(word, at)) bounds.push_back(at);
        bounds.push_back(word.size());
        std::string_view found;
        for (size_t a = 0; a + 1 < bounds.size() && found.empty(); ++a)
            for (size_t b = a + 1; b < bounds.size() && found.empty(); ++b) {
                const std::string_view part = word.substr(bounds[a], bounds[b] - bounds[a]);
                if (part.size() < word.size() && words.count(part)) found = part;
            }
        if (found.empty()) continue;
        shadowed.push_back(i);
        if (by) by->emplace_back(found);
    }
    return shadowed;
}

IoStatus MergeIntoPolyFile(const std::string& path, std::string_view incoming,
                           PolyMergeCount& count) {
    return EditPolyDict(path, true, [&](PolyDictText& text) {
        count = {};
        const std::vector<std::string> lines = text.Lines();
        const std::vector<std::string> rows = NewPolyRows(
            PolyWords(std::vector<std::string_view>(lines.begin(), lines.end())), incoming, count);
        for (const std::string& row : rows) text.Add(row);
        return !rows.empty();
    });
}

std::string ExportPolyEntries(std::string_view content) {
    std::string out;
    std::string_view word, replacement;
    for (std::string_view line : Lines(content))
        if (SplitEntry(line, word, replacement)) out.append(line).push_back('\n');
    return out;
}

}  // namespace qdm
