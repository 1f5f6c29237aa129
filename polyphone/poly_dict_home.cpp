#include "polyphone/poly_dict_home.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "editor/error_text.h"
#include "polyphone/poly_dict.h"

namespace qdm {
namespace fs = std::filesystem;
namespace {

std::mutex g_placesMutex;
std::optional<PolyDictPlaces>& Override() {
    static std::optional<PolyDictPlaces> places;
    return places;
}

std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace

std::string UserDictPath() {
    fs::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const std::string home = HomeDirectory();
        if (home.empty()) return {};
        base = fs::path(home) / ".local" / "share";
    }
    return (base / "mked" / kPolyDictName).string();
}

PolyDictPlaces CurrentPolyDictPlaces() {
    {
        std::lock_guard<std::mutex> guard(g_placesMutex);
        if (Override()) return *Override();
    }
    PolyDictPlaces places;
    places.beside = CPolyDict::ExecutableDictPath();
    const std::string folder = fs::path(places.beside).parent_path().string();
    places.besideWritable = ::access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
    places.user = UserDictPath();
    return places;
}

void OverridePolyDictPlaces(std::optional<PolyDictPlaces> places) {
    std::lock_guard<std::mutex> guard(g_placesMutex);
    Override() = std::move(places);
}

std::string PolyDictReadPath(const std::string& path, const std::string& seed) {
    return seed.empty() || Exists(path) ? path : seed;
}

IoStatus MakePolyDictFolder(const std::string& path, const std::string& seed) {
    if (seed.empty()) return {};
    const fs::path folder = fs::path(path).parent_path();
    std::error_code ec;
    fs::create_directories(folder, ec);
    return ec ? IoStatus::Fail(folder.string(), ErrorText(ec.value())) : IoStatus{};
}

IoStatus SeedPolyDict(const std::string& path, const std::string& seed) {
    if (seed.empty() || Exists(path) || !Exists(seed)) return {};
    std::string bytes;
    if (IoStatus io = ReadWholeFile(seed, bytes); !io) return io;
    return WriteFileAtomic(path, bytes);
}

}  // namespace qdm
