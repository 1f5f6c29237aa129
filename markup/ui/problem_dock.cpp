#include "markup/ui/problem_dock.h"

#include <QHeaderView>
#include <QTextBlock>
#include <QTreeWidget>

#include "editor/ui/edit_widget.h"
#include "markup/scan.h"
#include "uikit/qt_text.h"

namespace qdm::ui {

ProblemDock::ProblemDock(EditWidget& editor, QWidget* parent)
    : QDockWidget(QStringLiteral("问题"), parent), m_editor(editor) {
    setObjectName(QStringLiteral("problems"));
    m_list = new QTreeWidget(this);
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({QStringLiteral("行"), QStringLiteral("列"), QStringLiteral("问题")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    const int digits = m_list->fontMetrics().horizontalAdvance(QStringLiteral("00000000"));
    m_list->setColumnWidth(0, digits);
    m_list->setColumnWidth(1, digits * 3 / 4);
    setWidget(m_list);
    connect(m_list, &QTreeWidget::itemClicked, this, &ProblemDock::Select);
    connect(m_list, &QTreeWidget::itemActivated, this, &ProblemDock::Select);
    connect(&editor.Mirror(), &ModelMirror::bytesReplaced, this, &ProblemDock::OnBytesReplaced);
    connect(&editor.Mirror(), &ModelMirror::textReset, this, [this] {
        m_faults.clear();
        m_list->clear();
    });
}

void ProblemDock::ShowFaults(std::vector<MarkupFault> faults) {
    m_faults = std::move(faults);
    m_list->clear();
    QList<QTreeWidgetItem*> rows;
    const QTextDocument* doc = m_editor.document();
    for (size_t i = 0; i < m_faults.size(); ++i) {
        // Line and column as the edit area shows them: its lines, its characters.
        const int unit = m_editor.Mirror().UnitOfByte(m_faults[i].offset);
        const QTextBlock block = doc->findBlock(unit);
        auto* row = new QTreeWidgetItem({QString::number(block.blockNumber() + 1),
                                         QString::number(unit - block.position() + 1),
                                         QFromGbk(m_faults[i].message)});
        row->setData(0, Qt::UserRole, static_cast<int>(i));
        rows << row;
    }
    m_list->addTopLevelItems(rows);
    show();
    raise();
}

void ProblemDock::OnBytesReplaced(int32_t pos, int32_t removed, int32_t inserted) {
    for (MarkupFault& f : m_faults) {
        if (f.offset >= pos + removed)
            f.offset += inserted - removed;
        else if (f.offset > pos)
            f.offset = pos;  // its tag was edited away; the place stays
    }
}

void ProblemDock::Select(QTreeWidgetItem* item) {
    const int i = item ? item->data(0, Qt::UserRole).toInt() : -1;
    if (i < 0 || static_cast<size_t>(i) >= m_faults.size()) return;
    const std::string_view text = m_editor.Model().Text();
    const int32_t at = std::min<int32_t>(m_faults[i].offset, static_cast<int32_t>(text.size()));
    const int32_t len = static_cast<int32_t>(scan::TokenLength(text, at));
    {
        MirrorBatch batch(m_editor.Mirror());
        m_editor.Model().SetSelection(at, at + len);
        m_editor.Model().ScrollToCaret();
    }
    m_editor.ShowCaretNearTop();
    m_editor.setFocus(Qt::OtherFocusReason);
}

}  // namespace qdm::ui
