#pragma once
// Files of res/ for the Qt side, found by the core's FindResource (editor/resource_path.h).
#include <QString>

namespace qdm::ui {

// Full path of a file of res/, or an empty string when it is nowhere to be found.
QString ResourcePath(const QString& name);

// Points fontconfig at res/fonts.conf unless FONTCONFIG_FILE is already set: without its
// aliases "宋体" would fall back to a face without Chinese, and Han text to Japanese shapes.
// Call before the QApplication exists.
void UseBundledFontConfig();

}  // namespace qdm::ui
