#pragma once
// The document view of the edit area: a QPlainTextEdit that mirrors a CEditBox (see
// ModelMirror) and feeds the keys the model records (Delete, Backspace, typed characters,
// input-method commits) through the model's key handlers, in the order the model documents.
// Its lines are the document's blocks, one per line break the mirror shows.
#include <QPlainTextEdit>
#include <memory>

#include "editor/edit_box.h"
#include "editor/ui/edit_area.h"
#include "editor/ui/model_mirror.h"

namespace qdm::ui {

class BlockFormats;

class EditWidget : public QPlainTextEdit, public IEditArea {
    Q_OBJECT
  public:
    explicit EditWidget(CEditBox& model, QWidget* parent = nullptr);
    ~EditWidget() override;

    ModelMirror& Mirror() { return *m_mirror; }

    // ---- IEditArea -----------------------------------------------------------------------
    QAbstractScrollArea& Widget() override { return *this; }
    CEditBox& Model() override { return m_model; }
    EditAreaEvents& Events() override { return m_events; }
    void BeginBatch() override;
    void EndBatch() override;
    void SyncSelectionToModel() override;
    void ApplyAppearance() override;
    void ShowCaretNearTop() override;
    QMenu* CreateContextMenu(const QPoint& pos) override;
    QString SelectedText() const override;
    int32_t CaretByte() const override;
    QRect CaretRect() const override;
    QRect SelectionRect() const override;
    QString ShownText() const override;
    int32_t LineCount() const override;
    int32_t LineOfByte(int32_t byte) const override;
    int32_t LineStartByte(int32_t line) const override;
    std::pair<int32_t, int32_t> VisibleBytes() const override;
    void SetLineFormatter(LineFormatter formatter) override;
    void RefreshFormats() override;
    QList<QTextLayout::FormatRange> LineFormats(int32_t line) const override;

  protected:
    void resizeEvent(QResizeEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void insertFromMimeData(const QMimeData* source) override;
    void dropEvent(QDropEvent* e) override;

  private:
    void PressDelete();
    void PressBackspace();
    void TypeLineBreak();
    void TypeKeyText(QKeyEvent* e);
    // Emits `refused` and returns true when GBK cannot hold a character of `text`.
    bool Refuses(QStringView text);

    void ForwardEvents();

    CEditBox& m_model;
    EditAreaEvents m_events;
    std::unique_ptr<ModelMirror> m_mirror;
    std::unique_ptr<BlockFormats> m_formats;
};

}  // namespace qdm::ui
