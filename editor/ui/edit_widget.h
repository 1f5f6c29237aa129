#pragma once
// The on-screen edit area: a QPlainTextEdit that mirrors a CEditBox (see ModelMirror) and
// feeds the keys the model records (Delete, Backspace, typed characters, input-method
// commits) through the model's key handlers, in the order the model documents.
#include <QPlainTextEdit>
#include <memory>

#include "editor/edit_box.h"
#include "editor/ui/model_mirror.h"

namespace qdm::ui {

class EditWidget : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit EditWidget(CEditBox& model, QWidget* parent = nullptr);
    ~EditWidget() override;

    CEditBox& Model() { return m_model; }
    ModelMirror& Mirror() { return *m_mirror; }
    // Draws with the model's font and colours again (after its text colour was set).
    void ApplyAppearance();
    // Scrolls so that the caret's line stands near the top of the area, with a little of
    // the text before it: where a jump lands, the reader goes on downwards.
    void ShowCaretNearTop();
    // The context menu a right click at `pos` opens; the caller owns it.
    QMenu* CreateContextMenu(const QPoint& pos);

    // Runs a command on the model: it starts from the selection the user sees, and the
    // widget is brought up to date once, when the command returns.
    template <class Work>
    auto RunCommand(Work&& work) {
        MirrorBatch batch(*m_mirror);
        m_mirror->SyncSelectionToModel();
        return work();
    }

  signals:
    // A character GBK cannot hold was refused; the message says which.
    void refused(const QString& message);

  protected:
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

    CEditBox& m_model;
    std::unique_ptr<ModelMirror> m_mirror;
};

}  // namespace qdm::ui
