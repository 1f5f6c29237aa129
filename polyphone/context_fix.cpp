// The fix of misread polyphones, and the bytes a dictionary run wrote, which it leaves alone.
#include <algorithm>

#include "editor/gbk.h"
#include "polyphone/context_model.h"

namespace qdm {
namespace {

// How far (in characters of each text) the alignment looks for the point where the two texts
// agree again, and how many characters must agree there: a few, so that a character the
// replacement happens to share with what follows does not pass for the point; one when no
// such point is near, since a dictionary's replacements may stand a single comma apart.
constexpr size_t kWindow = 48;
constexpr size_t kAgreeFirst = 4;
constexpr size_t kAgreeThen = 1;

// Character starts of `text` from `pos`, at most `count` of them plus the end reached.
std::vector<size_t> Starts(std::string_view text, size_t pos, size_t count) {
    std::vector<size_t> out;
    for (size_t i = 0; i <= count && pos <= text.size(); ++i) {
        out.push_back(pos);
        if (pos == text.size()) break;
        pos += gbk::CharLen(text, pos);
    }
    return out;
}

// Whether the `count` characters (or what is left of both texts, when some is) from a and b
// are equal; the two ends agree only in the last resort (count 1).
bool Agree(std::string_view a, size_t i, std::string_view b, size_t j, size_t count) {
    for (size_t k = 0; k < count; ++k) {
        if (i == a.size() || j == b.size())
            return i == a.size() && j == b.size() && (k > 0 || count == 1);
        const size_t la = gbk::CharLen(a, i), lb = gbk::CharLen(b, j);
        if (a.substr(i, la) != b.substr(j, lb)) return false;
        i += la;
        j += lb;
    }
    return true;
}

}  // namespace

std::vector<PolyByteRange> DictionaryChangedRanges(std::string_view before,
                                                   std::string_view after) {
    std::vector<PolyByteRange> out;
    size_t i = 0, j = 0;
    while (i < before.size() || j < after.size()) {
        if (i < before.size() && j < after.size()) {
            const size_t la = gbk::CharLen(before, i), lb = gbk::CharLen(after, j);
            if (la == lb && before.compare(i, la, after.substr(j, lb)) == 0) {
                i += la;
                j += lb;
                continue;
            }
        }
        // The smallest step (in characters skipped on both sides) after which they agree.
        const std::vector<size_t> a = Starts(before, i, kWindow), b = Starts(after, j, kWindow);
        size_t ni = a.back(), nj = b.back();
        bool found = false;
        for (size_t agree : {kAgreeFirst, kAgreeThen}) {
            for (size_t d = 1; d < a.size() + b.size() && !found; ++d) {
                for (size_t x = 0; x <= d && !found; ++x) {
                    if (x >= a.size() || d - x >= b.size()) continue;
                    if (Agree(before, a[x], after, b[d - x], agree)) {
                        ni = a[x];
                        nj = b[d - x];
                        found = true;
                    }
                }
            }
        }
        if (nj > j) {
            if (!out.empty() && out.back().end == j)
                out.back().end = nj;
            else
                out.push_back({j, nj});
        }
        i = ni;
        j = nj;
    }
    return out;
}

PolySmartResult SmartFix(const PolyContextModel& model, std::string_view text,
                         const std::vector<PolyByteRange>& kept, PolyStyle style) {
    return SmartFix(model.Table(), text, model.Predict(text), kept, style);
}

PolySmartResult SmartFix(const PolyReadingTable& table, std::string_view text,
                         const std::vector<PolyPrediction>& predictions,
                         const std::vector<PolyByteRange>& kept, PolyStyle style) {
    PolySmartResult result;
    result.text.reserve(text.size() + text.size() / 16);
    size_t copied = 0;
    auto range = kept.begin();
    for (const PolyPrediction& p : predictions) {
        while (range != kept.end() && range->end <= p.offset) ++range;
        if (range != kept.end() && range->begin < p.offset + 2) continue;
        ++result.predicted;
        if (!p.Changed()) continue;
        const std::string after =
            style == PolyStyle::Pinyin ? std::string(p.reading) : table.Homophone(p.reading);
        if (after.empty()) {
            ++result.unfixable;
            continue;
        }
        ++result.fixed;
        result.text.append(text, copied, p.offset - copied);
        result.text.append(after);
        copied = p.offset + 2;
        result.edits.push_back({p.offset, std::string(text.substr(p.offset, 2)), after});
    }
    result.text.append(text, copied);
    return result;
}

}  // namespace qdm
