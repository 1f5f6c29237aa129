#include "markup/ui/problem_dock.h"

#include <QAbstractScrollArea>
#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>

#include "editor/gbk.h"
#include "editor/ui/edit_area.h"
#include "markup/scan.h"
#include "uikit/qt_text.h"

namespace qdm::ui {
namespace {

// Line and column as the edit area shows them, both from 1: its lines, its characters. The
// faults come in reading order, so the characters of a long line are counted once.
class Locator {
  public:
    explicit Locator(IEditArea& area) : m_area(area), m_text(area.Model().Text()) {}
    std::pair<int32_t, int32_t> At(int32_t byte) {
        byte = std::clamp(byte, 0, static_cast<int32_t>(m_text.size()));
        const int32_t line = m_area.LineOfByte(byte);
        if (line != m_line || byte < m_byte) {
            m_line = line;
            m_byte = std::max(0, m_area.LineStartByte(line));
            m_column = 1;
        }
        for (; m_byte < byte; ++m_column)
            m_byte += static_cast<int32_t>(gbk::CharLen(m_text, static_cast<size_t>(m_byte)));
        return {line + 1, m_column};
    }

  private:
    IEditArea& m_area;
    std::string_view m_text;
    int32_t m_line = -1, m_byte = 0, m_column = 1;
};

}  // namespace

ProblemDock::ProblemDock(IEditArea& area, QWidget* parent)
    : QDockWidget(QStringLiteral("问题"), parent), m_area(area) {
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
    connect(&area.Events(), &EditAreaEvents::bytesReplaced, this, &ProblemDock::OnBytesReplaced);
    connect(&area.Events(), &EditAreaEvents::textReset, this, [this] {
        m_faults.clear();
        m_list->clear();
    });
}

void ProblemDock::ShowFaults(std::vector<MarkupFault> faults) {
    m_faults = std::move(faults);
    m_list->clear();
    QList<QTreeWidgetItem*> rows;
    Locator locate(m_area);
    for (size_t i = 0; i < m_faults.size(); ++i) {
        const auto [line, column] = locate.At(m_faults[i].offset);
        auto* row = new QTreeWidgetItem(
            {QString::number(line), QString::number(column), QFromGbk(m_faults[i].message)});
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
    const std::string_view text = m_area.Model().Text();
    const int32_t at = std::min<int32_t>(m_faults[i].offset, static_cast<int32_t>(text.size()));
    const int32_t len = static_cast<int32_t>(scan::TokenLength(text, at));
    {
        EditBatch batch(m_area);
        m_area.Model().SetSelection(at, at + len);
        m_area.Model().ScrollToCaret();
    }
    m_area.ShowCaretNearTop();
    m_area.Widget().setFocus(Qt::OtherFocusReason);
}

}  // namespace qdm::ui
