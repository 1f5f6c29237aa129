#include "markup/qdm_path.h"

namespace qdm {

std::string QdmSavePath(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind(".txt");
    if (dot == std::string::npos || dot <= nameStart) return path;
    return path.substr(0, dot) + path.substr(dot + 4) + ".qdm";
}

}  // namespace qdm
