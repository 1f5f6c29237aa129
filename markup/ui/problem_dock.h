#pragma once
// The dock "问题": the faults of the last whole-book check, one row each (line, column,
// message). A click selects the fault's tag in the text. Edits made since the check move the
// listed offsets with the text, so a row still points at the same tag.
#include <QDockWidget>
#include <vector>

#include "markup/check.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace qdm::ui {

class IEditArea;

class ProblemDock : public QDockWidget {
    Q_OBJECT
  public:
    explicit ProblemDock(IEditArea& area, QWidget* parent = nullptr);

    // Lists `faults` (offsets into the editor's current text) and shows the dock.
    void ShowFaults(std::vector<MarkupFault> faults);
    QTreeWidget& List() { return *m_list; }
    const std::vector<MarkupFault>& Faults() const { return m_faults; }

  private:
    void OnBytesReplaced(int32_t pos, int32_t removed, int32_t inserted);
    void Select(QTreeWidgetItem* item);

    IEditArea& m_area;
    QTreeWidget* m_list = nullptr;
    std::vector<MarkupFault> m_faults;
};

}  // namespace qdm::ui
