// The fix of misread polyphones, and the bytes a dictionary run wrote, which it leaves alone.
#include <algorithm>

#include "editor/gbk.h"
#include "polyphone/context_fixer.h"

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

// Where `after` (from j) takes up the characters of `before` at one of the starts `a` again,
// further than the window: a long replacement, or a run of replacements with nothing kept
// between them. The first start whose next characters occur within kFar bytes wins.
constexpr size_t kFar = 64 * 1024;

bool FarResync(std::string_view before, std::string_view after, const std::vector<size_t>& a,
               size_t j, size_t& ni, size_t& nj) {
    const std::string_view near = after.substr(0, std::min(after.size(), j + kFar));
    for (size_t x = 0; x + 1 < a.size(); ++x) {
        const size_t end = a[std::min(x + kAgreeFirst, a.size() - 1)];
        const size_t at = gbk::Find(near, before.substr(a[x], end - a[x]), j, true);
        if (at != gbk::npos) {
            ni = a[x];
            nj = at;
            return true;
        }
    }
    return false;
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
        if (!found) FarResync(before, after, a, j, ni, nj);
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

PolySmartFixer::PolySmartFixer(const PolyReadingTable& table, std::string_view text,
                               const std::vector<PolyByteRange>& kept, PolyStyle style)
    : m_table(table), m_text(text), m_range(kept.begin()), m_end(kept.end()), m_style(style) {
    m_result.text.reserve(text.size() + text.size() / 16);
}

void PolySmartFixer::Take(const PolyPrediction& p) {
    while (m_range != m_end && m_range->end <= p.offset) ++m_range;
    if (m_range != m_end && m_range->begin < p.offset + 2) return;
    ++m_result.predicted;
    if (!p.Changed()) return;
    std::string after =
        m_style == PolyStyle::Pinyin ? std::string(p.reading) : m_table.Homophone(p.reading);
    if (after.empty()) {
        ++m_result.unfixable;
        return;
    }
    ++m_result.fixed;
    m_result.text.append(m_text, m_copied, p.offset - m_copied);
    m_result.text.append(after);
    m_copied = p.offset + 2;
    m_result.edits.push_back({p.offset, std::string(m_text.substr(p.offset, 2)), std::move(after)});
}

PolySmartResult PolySmartFixer::Finish() {
    m_result.text.append(m_text, m_copied);
    return std::move(m_result);
}

PolySmartResult SmartFix(const PolyContextModel& model, std::string_view text,
                         const std::vector<PolyByteRange>& kept, PolyStyle style,
                         PassMeter* meter) {
    PolySmartFixer fixer(model.Table(), text, kept, style);
    model.PredictEach(
        text, [&](const PolyPrediction& p) { fixer.Take(p); }, meter);
    if (meter && meter->Stopped()) return {};
    return fixer.Finish();
}

PolySmartResult SmartFix(const PolyReadingTable& table, std::string_view text,
                         const std::vector<PolyPrediction>& predictions,
                         const std::vector<PolyByteRange>& kept, PolyStyle style) {
    PolySmartFixer fixer(table, text, kept, style);
    for (const PolyPrediction& p : predictions) fixer.Take(p);
    return fixer.Finish();
}

}  // namespace qdm
