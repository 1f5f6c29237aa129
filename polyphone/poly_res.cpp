#include "polyphone/poly_res.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace qdm {

std::string_view StarterFileName(PolyStyle style) {
    return style == PolyStyle::Pinyin ? "polyphone-starter-pinyin.ini" : "polyphone-starter.ini";
}

std::string FindPolyResource(std::string_view name) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<fs::path> dirs;
#ifdef MKED_RES_DIR
    dirs.emplace_back(MKED_RES_DIR);
#endif
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        dirs.push_back(exe.parent_path() / "res");
        dirs.push_back(exe.parent_path().parent_path() / "share" / "mked");
    }
    for (const fs::path& dir : dirs)
        if (fs::is_regular_file(dir / name, ec)) return (dir / name).string();
    return {};
}

}  // namespace qdm
