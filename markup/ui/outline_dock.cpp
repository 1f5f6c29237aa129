#include "markup/ui/outline_dock.h"

#include <QAbstractScrollArea>
#include <QHeaderView>
#include <QStyle>
#include <QTimer>
#include <QTreeView>

#include "editor/ui/edit_area.h"
#include "markup/ui/outline_model.h"

namespace qdm::ui {
namespace {
// Long enough to let a word be typed, short enough to feel immediate.
constexpr int kRefreshDelayMs = 300;
}  // namespace

OutlineDock::OutlineDock(IEditArea& area, QWidget* parent)
    : QDockWidget(QStringLiteral("目录"), parent), m_area(area) {
    setObjectName(QStringLiteral("outline"));
    m_model = new OutlineModel([&model = area.Model()] { return model.Text(); }, this);
    m_tree = new QTreeView(this);
    m_tree->setModel(m_model);
    m_tree->setUniformRowHeights(true);  // rows are laid out without asking each one
    m_tree->setHeaderHidden(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->header()->setStretchLastSection(true);
    setWidget(m_tree);

    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setSingleShot(true);
    connect(m_refreshTimer, &QTimer::timeout, this, &OutlineDock::Refresh);
    m_caretTimer = new QTimer(this);
    m_caretTimer->setSingleShot(true);
    connect(m_caretTimer, &QTimer::timeout, this, &OutlineDock::SelectCaretRow);

    const EditAreaEvents& events = area.Events();
    connect(&events, &EditAreaEvents::bytesReplaced, this, &OutlineDock::OnBytesReplaced);
    connect(&events, &EditAreaEvents::textReset, this, &OutlineDock::OnTextReset);
    connect(&events, &EditAreaEvents::caretMoved, this, [this] { m_caretTimer->start(0); });
    connect(m_tree, &QTreeView::clicked, this, &OutlineDock::GoTo);
    connect(m_tree, &QTreeView::activated, this, &OutlineDock::GoTo);
}

void OutlineDock::OnBytesReplaced(int32_t pos, int32_t removed, int32_t inserted) {
    if (m_stale) return;
    m_pending.Add(pos, removed, inserted);
    if (isVisible()) m_refreshTimer->start(kRefreshDelayMs);
}

void OutlineDock::OnTextReset() {
    m_stale = true;
    m_pending = {};
    if (isVisible()) m_refreshTimer->start(0);
}

void OutlineDock::showEvent(QShowEvent* event) {
    QDockWidget::showEvent(event);
    if (m_stale || m_pending.any) m_refreshTimer->start(0);
}

void OutlineDock::closeEvent(QCloseEvent* event) {
    QDockWidget::closeEvent(event);
    emit closedByUser();
}

bool OutlineDock::Refresh() {
    m_refreshTimer->stop();
    bool kept = true;
    if (m_stale) {
        m_model->Rebuild();
        kept = false;
    } else if (m_pending.any) {
        kept = m_model->Update(m_pending.pos, m_pending.removed, m_pending.inserted);
    }
    m_stale = false;
    m_pending = {};
    if (!kept) FitNameColumn();
    SelectCaretRow();
    return kept;
}

// Wide enough for every name at its depth, indentation included, so that none is cut.
void OutlineDock::FitNameColumn() {
    const QFontMetrics fm = m_tree->fontMetrics();
    const int pad =
        2 * m_tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_tree) +
        fm.averageCharWidth();
    int width = fm.horizontalAdvance(QStringLiteral("0000"));
    const std::vector<QStringList>& names = m_model->NameCandidates();
    for (size_t depth = 0; depth < names.size(); ++depth) {
        const int indent = m_tree->indentation() * static_cast<int>(depth + 1);
        for (const QString& name : names[depth])
            width = std::max(width, indent + fm.horizontalAdvance(name) + pad);
    }
    m_tree->setColumnWidth(0, width);
}

void OutlineDock::GoTo(const QModelIndex& index) {
    const int32_t r = m_model->RegionOf(index);
    // A row clicked before a late refresh still names its region when only offsets move.
    if (r < 0 || ((m_stale || m_pending.any) && !Refresh())) return;
    const int32_t at = m_model->Index().Region(r).contentStart;
    CEditBox& model = m_area.Model();
    {
        EditBatch batch(m_area);
        model.SetSelection(at, at);
        model.ScrollToCaret();
    }
    m_area.ShowCaretNearTop();
    m_area.Widget().setFocus(Qt::OtherFocusReason);
}

void OutlineDock::SelectCaretRow() {
    if (!isVisible() || m_stale || m_pending.any) return;
    const int32_t byte = m_area.CaretByte();
    const QModelIndex index = m_model->IndexOf(m_model->Index().Innermost(byte));
    if (!index.isValid()) {
        m_tree->selectionModel()->clearSelection();
        return;
    }
    if (index == m_tree->currentIndex()) return;
    m_tree->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_tree->scrollTo(index);
}

}  // namespace qdm::ui
