#include "polyphone/ui/poly_rows_model.h"

#include <algorithm>
#include <optional>

#include "editor/codec.h"
#include "polyphone/poly_list.h"
#include "uikit/qt_text.h"

namespace qdm::ui {
namespace {

// A row as the list shows it: a CR kept from a CR LF file is made visible.
QString RowText(const std::string& row) {
    QString text = QFromGbk(row);
    text.replace(QLatin1Char('\r'), QChar(0x21B5));
    return text;
}

}  // namespace

PolyRowsModel::PolyRowsModel(const std::vector<std::string>& rows, QObject* parent)
    : QAbstractListModel(parent), m_rows(rows) {
    Refresh();
}

int PolyRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Shown();
}

QVariant PolyRowsModel::data(const QModelIndex& index, int role) const {
    const int source = SourceRow(index.row());
    if (source < 0 || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    return RowText(m_rows[static_cast<size_t>(source)]);
}

Qt::ItemFlags PolyRowsModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

void PolyRowsModel::SetFilter(const QString& text) {
    m_filter = text;
    Refresh();
}

void PolyRowsModel::Refresh() {
    beginResetModel();
    // A search text GBK cannot hold is in no row.
    const QByteArray utf8 = m_filter.toUtf8();
    const std::optional<std::string> needle =
        gbk::FromUtf8(std::string_view(utf8.constData(), utf8.size()));
    m_shown = needle ? FilterPolyRows(m_rows, *needle) : std::vector<int>();
    endResetModel();
}

int PolyRowsModel::SourceRow(int viewRow) const {
    return viewRow >= 0 && viewRow < Shown() ? m_shown[static_cast<size_t>(viewRow)] : -1;
}

int PolyRowsModel::ViewRow(int sourceRow) const {
    auto it = std::lower_bound(m_shown.begin(), m_shown.end(), sourceRow);
    return it != m_shown.end() && *it == sourceRow ? static_cast<int>(it - m_shown.begin()) : -1;
}

}  // namespace qdm::ui
