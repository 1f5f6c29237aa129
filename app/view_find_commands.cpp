// Find, replace, go to and redo: the commands that move through and repeat edits on a whole
// book.
#include <QAbstractScrollArea>

#include "app/command_ids.h"
#include "app/view.h"
#include "editor/ui/edit_area.h"
#include "editor/ui/find_dialog.h"
#include "editor/ui/find_session.h"
#include "editor/ui/goto_dialog.h"
#include "markup/section_find.h"
#include "uikit/prompter.h"
#include "uikit/qt_text.h"

namespace qdm::ui {

void CmkedView::RegisterFindCommands() {
    m_find = std::make_unique<FindSession>(*m_area, *m_services.prompter);
    connect(m_find.get(), &FindSession::status, this, &CmkedView::statusMessage);

    CommandHandler& redo = m_commands.On(ID_EDIT_REDO, [this] { OnEditRedo(); });
    redo.enabled = [this] { return m_edit.CanRedo(); };
    redo.explain = [this] {
        std::string why;
        m_edit.CanRedo(&why);
        emit statusMessage(QFromGbk(why));
    };
    m_commands.On(ID_EDIT_FIND, [this] { OnEditFind(); });
    m_commands.On(ID_EDIT_REPLACE, [this] { OnEditFind(); });
    m_commands.On(ID_EDIT_REPEAT, [this] { OnFindAgain(false); });
    m_commands.On(ID_EDIT_FIND_PREVIOUS, [this] { OnFindAgain(true); });
    m_commands.On(ID_EDIT_GOTO, [this] { OnEditGoTo(); });
}

void CmkedView::OnEditRedo() {
    qdm::UndoResult result;
    {
        EditBatch batch(*m_area);
        m_area->SyncSelectionToModel();
        result = m_edit.Redo();
    }
    if (!result.ok) emit statusMessage(QFromGbk(result.message));
}

void CmkedView::OnEditFind() {
    if (!m_findDialog) m_findDialog = new FindReplaceDialog(*m_find, this);
    m_findDialog->Present(m_area->SelectedText());
}

void CmkedView::OnFindAgain(bool backward) {
    if (!m_find->Repeat(backward)) OnEditFind();
}

void CmkedView::OnEditGoTo() {
    if (!m_goTo) {
        m_goTo = new GoToDialog(this);
        connect(m_goTo, &QDialog::accepted, this,
                [this] { GoTo(m_goTo->ToSection(), m_goTo->Number()); });
    }
    m_goTo->open();
}

void CmkedView::GoTo(bool section, int number) {
    int32_t at = -1;
    if (section) {
        at = qdm::SectionContentStart(m_edit.Text(), number);
    } else {
        // Lines as the edit area shows them: every CR LF, lone CR and lone LF ends one.
        if (number >= 1) at = m_area->LineStartByte(number - 1);
    }
    if (at < 0) {
        Box(section ? QStringLiteral("没有第 %1 个段落").arg(number)
                    : QStringLiteral("没有第 %1 行").arg(number),
            QStringLiteral("转到"));
        return;
    }
    {
        EditBatch batch(*m_area);
        m_edit.SetSelection(at, at);
        m_edit.ScrollToCaret();
    }
    m_area->ShowCaretNearTop();
    m_area->Widget().setFocus(Qt::OtherFocusReason);
}

}  // namespace qdm::ui
