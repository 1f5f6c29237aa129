#include "app/resources.h"

#include <cstdlib>
#include <string>

#include "editor/resource_path.h"

namespace qdm::ui {

QString ResourcePath(const QString& name) {
    return QString::fromStdString(FindResource(name.toStdString()));
}

void UseBundledFontConfig() {
    if (std::getenv("FONTCONFIG_FILE")) return;
    const std::string conf = FindResource("fonts.conf");
    if (!conf.empty()) setenv("FONTCONFIG_FILE", conf.c_str(), 1);
}

}  // namespace qdm::ui
