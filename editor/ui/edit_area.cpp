#include "editor/ui/edit_area.h"

#include "editor/ui/edit_widget.h"

namespace qdm::ui {

std::unique_ptr<IEditArea> CreateEditArea(CEditBox& model, QWidget* parent) {
    return std::make_unique<EditWidget>(model, parent);
}

}  // namespace qdm::ui
