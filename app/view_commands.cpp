// The commands the view serves, and the markup and undo commands themselves.
#include "app/command_ids.h"
#include "app/polyphone_commands.h"
#include "app/view.h"
#include "editor/gbk.h"
#include "editor/ui/edit_area.h"
#include "markup/auto_section.h"
#include "markup/check.h"
#include "markup/insert.h"
#include "markup/tags.h"
#include "uikit/prompter.h"
#include "uikit/qt_text.h"

namespace qdm::ui {

void CmkedView::RegisterCommands() {
    auto on = [this](int id, void (CmkedView::*handler)()) {
        return &m_commands.On(id, [this, handler] { (this->*handler)(); });
    };
    on(ID_FILE_OPEN, &CmkedView::OnFileOpen);
    on(ID_FILE_SAVE, &CmkedView::OnFileSave);
    on(ID_FILE_SAVE_AS, &CmkedView::OnFileSaveAs);
    on(ID_FILE_REOPEN_ENCODING, &CmkedView::OnFileReopenWithEncoding)->enabled = [this] {
        return !m_edit.GetFilePath().empty();
    };
    on(ID_INSERT_SECTION, &CmkedView::OnInsertSection);
    on(ID_REVERSE_SECTION, &CmkedView::OnReverseSection);
    on(ID_INSERT_READERNOTE, &CmkedView::OnInsertReaderNote);
    on(ID_INSERT_AUTHORNOTE, &CmkedView::OnInsertAuthorNote);
    on(ID_INSERT_TRANS, &CmkedView::OnInsertTrans);
    on(ID_INSERT_EMPH, &CmkedView::OnInsertEmph);
    on(ID_CHECK_MARKUP, &CmkedView::OnCheckMarkup);
    on(ID_AUTO_PROCESS, &CmkedView::OnAutoProcess);
    on(ID_FONT, &CmkedView::OnFont);
    on(ID_COLOR, &CmkedView::OnColor);

    CommandHandler* undo = on(ID_EDIT_UNDO, &CmkedView::OnEditUndo);
    undo->enabled = [this] { return m_edit.CanUndo(); };
    undo->explain = [this] {
        std::string why;
        m_edit.CanUndo(&why);
        emit statusMessage(QFromGbk(why));
    };

    RegisterFindCommands();
    RegisterPolyphoneCommands(m_commands, *this, m_services.prompter, m_services.files);
}

void CmkedView::InsertMarkup(qdm::TagNumber kind) {
    std::string message;
    const bool ok = m_area->RunCommand([&] {
        return kind == qdm::TAG_SECTION ? qdm::InsertSection(m_edit, message)
                                        : qdm::InsertTag(kind, m_edit, message);
    });
    // A reverse section cuts a section in two: its refusals are the section command's.
    const int32_t named = kind == qdm::TAG_REVERSE_SECTION ? qdm::TAG_SECTION : kind;
    if (!ok) Box(QFromGbk(message), QFromGbk(qdm::KindByNumber(named)->name) + QLit("插入错误"));
}

void CmkedView::OnInsertSection() {
    InsertMarkup(qdm::TAG_SECTION);
}
void CmkedView::OnReverseSection() {
    InsertMarkup(qdm::TAG_REVERSE_SECTION);
}
void CmkedView::OnInsertReaderNote() {
    InsertMarkup(qdm::TAG_READERNOTE);
}
void CmkedView::OnInsertAuthorNote() {
    InsertMarkup(qdm::TAG_AUTHORNOTE);
}
void CmkedView::OnInsertTrans() {
    InsertMarkup(qdm::TAG_TRANS);
}
void CmkedView::OnInsertEmph() {
    InsertMarkup(qdm::TAG_EMPH);
}

void CmkedView::OnCheckMarkup() {
    std::string message;
    const bool ok = m_area->RunCommand([&] { return qdm::CheckDocument(m_edit, message); });
    if (ok)
        Box(gbk::Lit("QDM文件检查正确"), "QDM检查");
    else
        Box(message, "QDM检查出错");
}

void CmkedView::OnAutoProcess() {
    m_area->RunCommand([&] { qdm::AutoSection(m_edit); });
}

void CmkedView::OnEditUndo() {
    const qdm::UndoResult result = m_area->RunCommand([&] { return m_edit.Undo(); });
    if (!result.ok) emit statusMessage(QFromGbk(result.message));
}

}  // namespace qdm::ui
