#include "app/view.h"

#include <QFile>
#include <QVBoxLayout>

#include "app/intro_text.h"
#include "editor/gbk.h"
#include "editor/ui/edit_area.h"
#include "editor/ui/find_dialog.h"
#include "editor/ui/find_session.h"
#include "editor/ui/goto_dialog.h"
#include "uikit/dialog_units.h"
#include "uikit/prompter.h"
#include "uikit/qt_text.h"

namespace qdm::ui {

CmkedView::CmkedView(const Services& services, QWidget* parent)
    : QWidget(parent), m_services(services) {
    m_edit.SetClipboard(&m_clipboard);
    m_area = qdm::ui::CreateEditArea(m_edit, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(&m_area->Widget());
    setFocusProxy(&m_area->Widget());

    const qdm::ui::EditAreaEvents* events = &m_area->Events();
    connect(events, &qdm::ui::EditAreaEvents::textChanged, this, &CmkedView::commandStateChanged);
    connect(events, &qdm::ui::EditAreaEvents::textChanged, this, &CmkedView::RefreshModified);
    connect(events, &qdm::ui::EditAreaEvents::refused, this, &CmkedView::statusMessage);
    RegisterCommands();
}

// The edit area goes first: it is the model's observer, and the model is a member.
CmkedView::~CmkedView() {
    delete m_findDialog;
    delete m_goTo;
    m_area.reset();
}

QString CmkedView::Caption() const {
    const QString name = m_strFileName.empty()
                             ? QFromGbk(gbk::Lit("QDM文件编辑器---Norvane科技有限公司"))
                             : QFromPath(m_strFileName);
    return m_edit.IsModified() ? name + u'*' : name;
}

void CmkedView::RefreshModified() {
    const bool modified = m_edit.IsModified();
    if (modified == m_shownModified) return;
    m_shownModified = modified;
    emit captionChanged(Caption());
    emit modifiedChanged(modified);
}

QSize CmkedView::TemplateSize() const {
    return DialogUnits(FormFont(), 0, 0, 371, 274).size();
}

void CmkedView::OnInitialUpdate() {
    emit fitFrameRequested(TemplateSize());
    {
        qdm::ui::EditBatch batch(*m_area);
        m_edit.SetText(IntroText());
        m_edit.ClearModified();  // a new document: nothing of it is unsaved yet
    }
    RefreshModified();
}

void CmkedView::StartUnnamedText() {
    OnInitialUpdate();
    m_edit.ForgetFilePath();
    m_strFileName.clear();
    emit captionChanged(Caption());
    emit commandStateChanged();
}

void CmkedView::Box(std::string_view gbkText, const char* captionUtf8) {
    Box(QFromGbk(gbkText), QFromGbk(gbk::Lit(captionUtf8)));
}

void CmkedView::Box(const QString& text, const QString& caption) {
    m_services.prompter->Message(text, caption);
}

}  // namespace qdm::ui
