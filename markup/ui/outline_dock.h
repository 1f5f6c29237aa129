#pragma once
// The dock "目录": the outline of the text in the edit area. It reads the text only while it is
// shown: at once after the whole text was replaced, and a moment after the last keystroke
// otherwise, moving offsets only when the edit left the tags alone. A click puts the caret at
// the content start of the row's region; a caret move selects the row around it.
#include <QDockWidget>

#include "markup/outline.h"

class QTimer;
class QTreeView;

namespace qdm::ui {

class IEditArea;
class OutlineModel;

class OutlineDock : public QDockWidget {
    Q_OBJECT
  public:
    explicit OutlineDock(IEditArea& area, QWidget* parent = nullptr);

    OutlineModel& Model() { return *m_model; }
    QTreeView& Tree() { return *m_tree; }
    // Brings the outline up to date with the text now (the timers do it by themselves);
    // false when its rows were made again.
    bool Refresh();

  signals:
    // The user closed the dock with its close button.
    void closedByUser();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void OnBytesReplaced(int32_t pos, int32_t removed, int32_t inserted);
    void OnTextReset();
    void GoTo(const QModelIndex& index);
    void SelectCaretRow();
    void FitNameColumn();

    IEditArea& m_area;
    OutlineModel* m_model = nullptr;
    QTreeView* m_tree = nullptr;
    QTimer* m_refreshTimer = nullptr;
    QTimer* m_caretTimer = nullptr;
    MergedEdit m_pending;
    bool m_stale = true;  // the whole text must be read again
};

}  // namespace qdm::ui
