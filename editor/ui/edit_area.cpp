#include "editor/ui/edit_area.h"

#include "editor/ui/text_view.h"

namespace qdm::ui {

std::unique_ptr<IEditArea> CreateEditArea(CEditBox& model, QWidget* parent) {
    return std::make_unique<TextView>(model, parent);
}

}  // namespace qdm::ui
