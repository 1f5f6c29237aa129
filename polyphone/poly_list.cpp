#include "polyphone/poly_list.h"

#include "editor/gbk.h"
#include "polyphone/poly_dict.h"

namespace qdm {

bool SplitPolyRow(std::string_view row, std::string_view& word, std::string_view& replacement) {
    const size_t sep = gbk::Find(row, kPolySeparator, 0, true);
    if (sep == gbk::npos || sep == 0) return false;
    word = row.substr(0, sep);
    replacement = row.substr(sep + kPolySeparator.size());
    return true;
}

std::vector<int> FilterPolyRows(const std::vector<std::string>& rows, std::string_view needle) {
    std::vector<int> shown;
    shown.reserve(rows.size());
    std::string_view word, replacement;
    for (size_t i = 0; i < rows.size(); ++i) {
        bool hit = needle.empty();
        if (!hit && SplitPolyRow(rows[i], word, replacement))
            hit = gbk::Find(word, needle, 0, true) != gbk::npos ||
                  gbk::Find(replacement, needle, 0, true) != gbk::npos;
        else if (!hit)
            hit = gbk::Find(rows[i], needle, 0, true) != gbk::npos;
        if (hit) shown.push_back(static_cast<int>(i));
    }
    return shown;
}

PolyRowCheck CheckEditedPolyRow(const std::vector<std::string>& rows, int index,
                                std::string_view word, std::string_view replacement) {
    PolyRowCheck check = CheckNewPolyRow({}, word, replacement);
    if (check != PolyRowCheck::Ok) return check;
    const std::string row = BuildPolyRow(word, replacement);
    for (size_t i = 0; i < rows.size(); ++i)
        if (static_cast<int>(i) != index && rows[i] == row) return PolyRowCheck::Exists;
    return PolyRowCheck::Ok;
}

std::string ProposePolyReplacement(std::string_view word, PolyStyle style,
                                   const PolyReadingTable& table, std::string_view starter) {
    std::string_view w, r;
    for (size_t start = 0, lf; (lf = starter.find('\n', start)) != starter.npos; start = lf + 1)
        if (SplitPolyRow(starter.substr(start, lf - start), w, r) && w == word)
            return std::string(r);
    return table.Propose(word, style);
}

}  // namespace qdm
