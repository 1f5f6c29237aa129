#include "editor/resource_path.h"

#include <filesystem>
#include <system_error>

namespace qdm {
namespace fs = std::filesystem;

std::string FindResourceIn(std::string_view name, const std::string& exeDir,
                           const std::string& buildDir, const std::string& sourceRes) {
    std::error_code ec;
    if (exeDir.empty()) return {};
    const fs::path installed = fs::path(exeDir).parent_path() / "share" / "mked" / name;
    if (fs::is_regular_file(installed, ec)) return installed.string();
    // An executable copied or installed elsewhere must not pick up files of a checkout that
    // may since have changed, so the build folder has to be the executable's own.
    if (buildDir.empty() || sourceRes.empty() || !fs::equivalent(exeDir, buildDir, ec)) return {};
    const fs::path built = fs::path(sourceRes) / name;
    return fs::is_regular_file(built, ec) ? built.string() : std::string();
}

std::string FindResource(std::string_view name) {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
#if defined(MKED_BUILD_DIR) && defined(MKED_RES_DIR)
    return FindResourceIn(name, exe.parent_path().string(), MKED_BUILD_DIR, MKED_RES_DIR);
#else
    return FindResourceIn(name, exe.parent_path().string(), {}, {});
#endif
}

}  // namespace qdm
