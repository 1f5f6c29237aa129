#include "editor/t2s.h"

#ifdef MKED_HAVE_OPENCC
#include <opencc/opencc.h>
#endif

#include <mutex>

namespace qdm {

#ifdef MKED_HAVE_OPENCC
namespace {

// Loading the profile reads several dictionaries; it is done once and kept.
opencc_t Converter() {
    static opencc_t od = opencc_open("t2s.json");
    return od;
}

bool Usable(opencc_t od) {
    return od != reinterpret_cast<opencc_t>(-1);
}

}  // namespace

bool T2sAvailable() {
    return Usable(Converter());
}

bool TraditionalToSimplified(std::string_view utf8, std::string& out, std::string& error) {
    static std::mutex lock;  // one converter, shared
    std::lock_guard<std::mutex> guard(lock);
    const opencc_t od = Converter();
    if (!Usable(od)) {
        error = std::string("繁体转简体不可用: ") + opencc_error();
        return false;
    }
    char* result = opencc_convert_utf8(od, utf8.data(), utf8.size());
    if (!result) {
        error = std::string("繁体转简体失败: ") + opencc_error();
        return false;
    }
    out.assign(result);
    opencc_convert_utf8_free(result);
    return true;
}

#else

bool T2sAvailable() {
    return false;
}

bool TraditionalToSimplified(std::string_view, std::string&, std::string& error) {
    error = "繁体转简体不可用: 构建时没有 OpenCC";
    return false;
}

#endif

}  // namespace qdm
