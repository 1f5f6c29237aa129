#pragma once
// The settings dialog's rows behind a list view: the dialog owns the rows (GBK lines, in file
// order); the model shows those a search lets through, so 50 000 rows cost one pass per
// keystroke and no widget per row.
#include <QAbstractListModel>
#include <string>
#include <vector>

namespace qdm::ui {

class PolyRowsModel : public QAbstractListModel {
    Q_OBJECT

  public:
    explicit PolyRowsModel(const std::vector<std::string>& rows, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }

    // Shows the rows whose word or replacement contains `text`; all rows when it is empty.
    void SetFilter(const QString& text);
    // The rows changed underneath: shows them again through the same filter.
    void Refresh();

    int Shown() const { return static_cast<int>(m_shown.size()); }
    // The row of the dictionary shown at `viewRow`; -1 when none.
    int SourceRow(int viewRow) const;
    // Where row `sourceRow` is shown; -1 when the filter hides it.
    int ViewRow(int sourceRow) const;

  private:
    const std::vector<std::string>& m_rows;
    std::vector<int> m_shown;
    QString m_filter;
};

}  // namespace qdm::ui
