#pragma once
// The outline as an item model: one row per region of an OutlineIndex, made when the view asks
// for it. Top-level rows are the sections (number, or "未编号"); a section's children are the
// reader notes, author notes, translations and emphasis inside it. Column 0 names the region,
// column 1 shows the start of its content.
#include <QAbstractItemModel>
#include <QStringList>
#include <functional>
#include <string_view>
#include <vector>

#include "markup/outline.h"

namespace qdm::ui {

class OutlineModel : public QAbstractItemModel {
    Q_OBJECT
  public:
    // `text` hands out the current text: rows are drawn from it, so they never read a text
    // that an edit has since freed, only (until the next refresh) offsets that have moved.
    explicit OutlineModel(std::function<std::string_view()> text, QObject* parent = nullptr)
        : QAbstractItemModel(parent), m_text(std::move(text)) {}

    void Rebuild();
    // After bytes [pos, pos + removed) of the indexed text became `inserted` bytes. False when
    // the rows were made again (the model was reset).
    bool Update(int32_t pos, int32_t removed, int32_t inserted);

    const OutlineIndex& Index() const { return m_index; }
    int32_t RegionOf(const QModelIndex& index) const;
    QModelIndex IndexOf(int32_t region) const;
    // For each depth of row (0: the sections), the names that may be the widest there; the
    // view sizes its name column from them without asking every row.
    const std::vector<QStringList>& NameCandidates() const { return m_candidates; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    QString Name(std::string_view text, const OutlineRegion& r) const;
    void CollectNameCandidates();

    std::function<std::string_view()> m_text;
    OutlineIndex m_index;
    std::vector<QStringList> m_candidates;
};

}  // namespace qdm::ui
