#include "polyphone/ui/dialog_poly_audit.h"

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
    m_tree->setColumnCount(3);
    m_tree->setHeaderLabels({QLit("多音字 / 上下文"), QLit("读音"), QLit("次数")});
    m_tree->setUniformRowHeights(true);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    layout->addWidget(m_tree, 1);
    auto* buttons = new QDialogButtonBox(this);
    m_add = buttons->addButton(QLit("添加到词典"), QDialogButtonBox::ActionRole);
    m_add->setObjectName(QStringLiteral("addToDict"));
    m_add->setEnabled(false);
    QPushButton* close = buttons->addButton(QLit("关闭"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("close"));
    layout->addWidget(buttons);
    connect(m_add, &QPushButton::clicked, this, &CDialogPolyAudit::OnAdd);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &CDialogPolyAudit::OnSelection);
    resize(520, 460);
    SetResult(std::move(result));
}

void CDialogPolyAudit::SetResult(std::vector<PolyAuditChar> result) {
    m_result = std::move(result);
    m_tree->clear();
    int64_t total = 0;
    for (const PolyAuditChar& c : m_result) {
        total += c.count;
        auto* top = new QTreeWidgetItem(
            m_tree, {QFromGbk(c.ch), QString::fromStdString(c.readings), Count(c.count)});
        for (const PolyAuditContext& k : c.contexts) {
            auto* item = new QTreeWidgetItem(top, {QFromGbk(k.text), QString(), Count(k.count)});
            item->setData(0, kContextRole, QByteArray::fromStdString(k.text));
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

}  // namespace qdm::ui
