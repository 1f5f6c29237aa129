#include "editor/ui/text_diff.h"

#include <algorithm>

#include "editor/ui/unit_text.h"
#include "editor/unit_index.h"

namespace qdm::ui {
namespace {

constexpr size_t kStepBytes = 64 * 1024;
constexpr int32_t kStepUnits = 32 * 1024;

}  // namespace

qsizetype CommonPrefix(QStringView was, std::string_view text) {
    qsizetype done = 0;
    for (size_t pos = 0; pos < text.size() && done < was.size();) {
        const QString chunk = DecodeUnitsFrom(text, pos, pos + kStepBytes);
        const qsizetype n = std::min(chunk.size(), was.size() - done);
        const QStringView a = QStringView(chunk).first(n), b = was.mid(done, n);
        const qsizetype same = std::mismatch(a.begin(), a.end(), b.begin()).first - a.begin();
        done += same;
        if (same < chunk.size()) break;
    }
    return done;
}

qsizetype CommonSuffix(QStringView was, std::string_view text, const UnitIndex& index,
                       qsizetype prefix) {
    const int32_t units = index.Units();
    const qsizetype limit = std::min<qsizetype>(was.size(), units) - prefix;
    qsizetype done = 0;
    while (done < limit) {
        const int32_t hi = static_cast<int32_t>(units - done);
        const int32_t lo =
            static_cast<int32_t>(std::max<qsizetype>(hi - kStepUnits, units - limit));
        const int32_t b0 = index.ByteOfUnit(text, lo), b1 = index.ByteOfUnit(text, hi);
        const QString chunk = DecodeUnits(text.substr(b0, b1 - b0));
        const QStringView b = was.first(was.size() - done).last(chunk.size());
        const auto same = std::mismatch(chunk.rbegin(), chunk.rend(), b.rbegin());
        done += same.first - chunk.rbegin();
        if (same.first != chunk.rend()) break;
    }
    return done;
}

}  // namespace qdm::ui
