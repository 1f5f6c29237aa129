#pragma once
// Traditional to Simplified Chinese, with OpenCC's "t2s" profile when the build has OpenCC.
#include <string>
#include <string_view>

namespace qdm {

bool T2sAvailable();
// UTF-8 in, UTF-8 out. On failure `error` says why (UTF-8).
bool TraditionalToSimplified(std::string_view utf8, std::string& out, std::string& error);

}  // namespace qdm
