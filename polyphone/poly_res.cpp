#include "polyphone/poly_res.h"

namespace qdm {

std::string_view StarterFileName(PolyStyle style) {
    return style == PolyStyle::Pinyin ? "polyphone-starter-pinyin.ini" : "polyphone-starter.ini";
}

}  // namespace qdm
