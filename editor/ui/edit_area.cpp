#include "editor/ui/edit_area.h"

#include <QtGlobal>

#include "editor/ui/edit_widget.h"
#include "editor/ui/text_view.h"

namespace qdm::ui {

std::unique_ptr<IEditArea> CreateEditArea(CEditBox& model, QWidget* parent) {
    if (qgetenv("MKED_VIEW") == "bytes") return std::make_unique<TextView>(model, parent);
    return std::make_unique<EditWidget>(model, parent);
}

}  // namespace qdm::ui
