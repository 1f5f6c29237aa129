// The View menu's font and colour commands: only the face, the size and the text colour are
// taken from the dialogs; nothing is stored.
#include "app/appearance_dialogs.h"
#include "app/view.h"
#include "editor/codec.h"
#include "editor/ui/edit_area.h"
#include "uikit/prompter.h"
#include "uikit/qt_text.h"

namespace qdm::ui {

void CmkedView::OnFont() {
    const FontRequest request{QFromGbk(m_edit.GetFontFace()),
                              qdm::FontDialogHeight(m_edit.m_fontSize), m_edit.m_fontSize};
    const std::optional<FontChoice> choice = m_services.appearance->ChooseFont(request);
    if (!choice) return;
    std::optional<std::string> face = gbk::FromUtf8(choice->face.toStdString());
    if (!face) {
        emit statusMessage(
            QStringLiteral("字体名“%1”无法用 GBK 表示，字体没有改变").arg(choice->face));
        return;
    }
    m_edit.SetEditFont(choice->sizeTenths, std::move(*face));
}

void CmkedView::OnColor() {
    const std::optional<uint32_t> colour = m_services.appearance->ChooseColor(m_edit.m_textColor);
    if (!colour) return;
    m_edit.m_textColor = *colour;
    m_area->ApplyAppearance();
}

}  // namespace qdm::ui
