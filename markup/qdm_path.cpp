#include "markup/qdm_path.h"

namespace qdm {

std::string QdmSavePath(const std::string& path) {
    const size_t dot = path.rfind(".txt");
    if (dot == std::string::npos || dot == 0) return path;
    return path.substr(0, dot) + path.substr(dot + 4) + ".qdm";
}

}  // namespace qdm
