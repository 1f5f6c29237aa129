#pragma once
// Putting a whole book into the widget: the units are decoded on a worker thread, a chunk
// ahead of the insertion, so the user-interface thread only pays for the widget's own work
// and no decoded copy of the whole book is ever held.
#include <QTextCursor>
#include <string_view>

namespace qdm::ui {

// Replaces the cursor's selection by one character per unit of `bytes` (which start and end
// on unit boundaries), as one edit of the document.
void InsertUnitsStreamed(QTextCursor& cursor, std::string_view bytes);

}  // namespace qdm::ui
