#pragma once
// The text the edit area shows after start-up and after New (GBK).
#include <string>

namespace mked {

std::string IntroText();

}  // namespace mked
