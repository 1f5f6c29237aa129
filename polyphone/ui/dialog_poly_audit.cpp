#include "polyphone/ui/dialog_poly_audit.h"

#include <QBrush>
#include <QColor>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "uikit/qt_text.h"

namespace qdm::ui {
namespace {

constexpr int kContextRole = Qt::UserRole + 1;

QString Count(int64_t n) {
    return QString::fromStdString(GroupDigits(n));
}

QString Latin(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// The two reading columns of a context row; a context the model read nowhere has none.
void ShowReading(QTreeWidgetItem& item, const PolyContextReading& r) {
    if (r.occurrences == 0) return;
    item.setText(3, Latin(r.reading));
    item.setText(4, QString::number(r.confidence, 'f', 2));
    if (r.confidence >= kPolyReviewConfidence) return;
    const QBrush review(QColor(255, 236, 179));
    for (int column = 0; column < item.columnCount(); ++column) item.setBackground(column, review);
}

}  // namespace

CDialogPolyAudit::CDialogPolyAudit(std::vector<PolyAuditChar> result, Hooks hooks, QWidget* parent)
    : QDialog(parent), m_hooks(std::move(hooks)) {
    setWindowTitle(QLit("多音字检查"));
    auto* layout = new QVBoxLayout(this);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("chars"));
    m_tree->setColumnCount(5);
    m_tree->setHeaderLabels(
        {QLit("多音字 / 上下文"), QLit("读音"), QLit("次数"), QLit("预测读音"), QLit("置信度")});
    m_tree->setUniformRowHeights(true);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    layout->addWidget(m_tree, 1);
    auto* buttons = new QDialogButtonBox(this);
    m_add = buttons->addButton(QLit("添加到词典"), QDialogButtonBox::ActionRole);
    m_add->setObjectName(QStringLiteral("addToDict"));
    m_add->setEnabled(false);
    m_fixAll = buttons->addButton(QLit("全部修正"), QDialogButtonBox::ActionRole);
    m_fixAll->setObjectName(QStringLiteral("fixAll"));
    m_fixAll->setEnabled(false);
    QPushButton* close = buttons->addButton(QLit("关闭"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("close"));
    layout->addWidget(buttons);
    connect(m_add, &QPushButton::clicked, this, &CDialogPolyAudit::OnAdd);
    connect(m_fixAll, &QPushButton::clicked, this, &CDialogPolyAudit::OnFixAll);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &CDialogPolyAudit::OnSelection);
    resize(640, 460);
    SetResult(std::move(result));
}

void CDialogPolyAudit::SetResult(std::vector<PolyAuditChar> result) {
    m_result = std::move(result);
    Fill(nullptr);
}

void CDialogPolyAudit::SetResult(std::vector<PolyAuditChar> result,
                                 std::vector<std::vector<PolyContextReading>> readings) {
    OrderMisreadFirst(result, readings);
    m_result = std::move(result);
    Fill(readings.size() == m_result.size() ? &readings : nullptr);
}

void CDialogPolyAudit::SetFixable(int64_t count) {
    m_fixAll->setEnabled(count > 0);
}

void CDialogPolyAudit::Fill(const std::vector<std::vector<PolyContextReading>>* readings) {
    m_tree->clear();
    int64_t total = 0;
    for (size_t i = 0; i < m_result.size(); ++i) {
        const PolyAuditChar& c = m_result[i];
        total += c.count;
        auto* top = new QTreeWidgetItem(
            m_tree, {QFromGbk(c.ch), QString::fromStdString(c.readings), Count(c.count)});
        const bool read = readings && (*readings)[i].size() == c.contexts.size();
        for (size_t j = 0; j < c.contexts.size(); ++j) {
            const PolyAuditContext& k = c.contexts[j];
            auto* item = new QTreeWidgetItem(top, {QFromGbk(k.text), QString(), Count(k.count)});
            item->setData(0, kContextRole, QByteArray::fromStdString(k.text));
            if (read) ShowReading(*item, (*readings)[i][j]);
        }
        top->setExpanded(true);
    }
    m_summary->setText(
        m_result.empty() ? QLit("词典已照顾到本文中所有的多音字。")
                         : QLit("词典没有照顾到的多音字 %1 个，共 %2 处。选择上下文可在文中找到它，"
                                "“添加到词典”把它填入多音字设置。")
                               .arg(m_result.size())
                               .arg(Count(total)));
    OnSelection();
}

std::string CDialogPolyAudit::SelectedContext() const {
    const QList<QTreeWidgetItem*> items = m_tree->selectedItems();
    if (items.isEmpty()) return {};
    return items.first()->data(0, kContextRole).toByteArray().toStdString();
}

void CDialogPolyAudit::OnSelection() {
    const std::string context = SelectedContext();
    m_add->setEnabled(!context.empty());
    if (!context.empty() && m_hooks.jump) m_hooks.jump(context);
}

void CDialogPolyAudit::OnAdd() {
    const std::string context = SelectedContext();
    if (!context.empty() && m_hooks.add) m_hooks.add(context);
}

void CDialogPolyAudit::OnFixAll() {
    if (m_fixAll->isEnabled() && m_hooks.fixAll) m_hooks.fixAll();
}

}  // namespace qdm::ui
