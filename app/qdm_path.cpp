#include "app/qdm_path.h"

namespace mked {

std::string QdmPathFor(const std::string& path) {
    const size_t at = path.rfind(".txt");
    if (at == std::string::npos || at == 0) return path;
    std::string out = path;
    out.erase(at, 4);
    return out + ".qdm";
}

}  // namespace mked
