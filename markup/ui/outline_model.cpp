#include "markup/ui/outline_model.h"

#include <algorithm>
#include <array>

#include "markup/tags.h"
#include "uikit/qt_text.h"

namespace qdm::ui {
namespace {
constexpr int kPreviewChars = 30;
}

void OutlineModel::Rebuild() {
    beginResetModel();
    m_index.Build(m_text());
    CollectNameCandidates();
    endResetModel();
}

// Section numbers are digits, so the longest is the widest; the other rows bear kind names.
// Parents come before their children in the index, so one pass finds every depth.
void OutlineModel::CollectNameCandidates() {
    m_candidates.clear();
    std::vector<int> depth(m_index.Size());
    std::vector<int32_t> longestNumber;
    std::vector<std::array<bool, 2 + TAG_EMPH>> seen;  // per depth: kinds, and "未编号"
    for (int32_t i = 0; i < m_index.Size(); ++i) {
        const OutlineRegion& r = m_index.Region(i);
        const int d = r.parent < 0 ? 0 : depth[r.parent] + 1;
        depth[i] = d;
        if (static_cast<size_t>(d) >= seen.size()) {
            seen.resize(d + 1);
            longestNumber.resize(d + 1);
        }
        if (r.kind == TAG_SECTION && r.numberLen > 0)
            longestNumber[d] = std::max<int32_t>(longestNumber[d], r.numberLen);
        else if (r.kind >= TAG_SECTION && r.kind <= TAG_EMPH)
            seen[d][r.kind == TAG_SECTION ? 0 : r.kind] = true;
    }
    for (size_t d = 0; d < seen.size(); ++d) {
        QStringList names;
        if (longestNumber[d] > 0) names << QString(longestNumber[d], u'0');
        if (seen[d][0]) names << QStringLiteral("未编号");
        for (int32_t kind = TAG_SECTION + 1; kind <= TAG_EMPH; ++kind)
            if (seen[d][kind]) names << QFromGbk(KindByNumber(kind)->name);
        m_candidates.push_back(names);
    }
}

bool OutlineModel::Update(int32_t pos, int32_t removed, int32_t inserted) {
    if (!m_index.TryMove(m_text(), pos, removed, inserted)) {
        Rebuild();
        return false;
    }
    // The rows stay; only the previews of the regions around the edit can read differently.
    for (int32_t r = m_index.Innermost(pos); r >= 0; r = m_index.Region(r).parent) {
        const QModelIndex i = IndexOf(r);
        emit dataChanged(i, i.siblingAtColumn(1));
    }
    return true;
}

int32_t OutlineModel::RegionOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<int32_t>(index.internalId()) : -1;
}

QModelIndex OutlineModel::IndexOf(int32_t region) const {
    if (region < 0 || region >= m_index.Size()) return {};
    return createIndex(m_index.Region(region).row, 0, static_cast<quintptr>(region));
}

QModelIndex OutlineModel::index(int row, int column, const QModelIndex& parent) const {
    const int32_t p = RegionOf(parent);
    if (row < 0 || row >= m_index.ChildCount(p) || column < 0 || column > 1) return {};
    return createIndex(row, column, static_cast<quintptr>(m_index.Child(p, row)));
}

QModelIndex OutlineModel::parent(const QModelIndex& child) const {
    const int32_t r = RegionOf(child);
    return r < 0 ? QModelIndex() : IndexOf(m_index.Region(r).parent);
}

int OutlineModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    return m_index.ChildCount(RegionOf(parent));
}

int OutlineModel::columnCount(const QModelIndex&) const {
    return 2;
}

QString OutlineModel::Name(std::string_view text, const OutlineRegion& r) const {
    if (r.kind != TAG_SECTION) return QFromGbk(KindByNumber(r.kind)->name);
    if (r.numberLen == 0) return QStringLiteral("未编号");
    return QFromGbk(text.substr(r.contentStart - 1 - r.numberLen, r.numberLen));
}

QVariant OutlineModel::data(const QModelIndex& index, int role) const {
    const int32_t i = RegionOf(index);
    if (i < 0 || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    const OutlineRegion& r = m_index.Region(i);
    const std::string_view text = m_text();
    if (r.SpanEnd() > static_cast<int32_t>(text.size())) return {};  // not refreshed yet
    if (index.column() == 0) return Name(text, r);
    return QFromGbk(ContentPreview(text, r, kPreviewChars));
}

}  // namespace qdm::ui
