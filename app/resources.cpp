#include "app/resources.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qdm::ui {
namespace {

std::filesystem::path Find(const std::filesystem::path& name) {
    std::error_code ec;
    // An installed program uses its own data even where the source tree it came from is
    // still at hand; a program in its build tree finds res/ in the sources.
    std::vector<std::filesystem::path> dirs;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        dirs.push_back(exe.parent_path() / "res");
        dirs.push_back(exe.parent_path().parent_path() / "share" / "mked");
    }
    dirs.push_back(MKED_RES_DIR);
    for (const auto& dir : dirs)
        if (std::filesystem::is_regular_file(dir / name, ec)) return dir / name;
    return {};
}

}  // namespace

QString ResourcePath(const QString& name) {
    return QString::fromStdString(Find(name.toStdString()).string());
}

void UseBundledFontConfig() {
    if (std::getenv("FONTCONFIG_FILE")) return;
    const std::filesystem::path conf = Find("fonts.conf");
    if (!conf.empty()) setenv("FONTCONFIG_FILE", conf.c_str(), 1);
}

}  // namespace qdm::ui
