#pragma once
// The text the edit area shows after start-up and after New (GBK).
#include <string>

namespace qdm::ui {

std::string IntroText();

}  // namespace qdm::ui
