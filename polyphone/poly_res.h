#pragma once
// The data files the polyphone tools ship in res/: the reading table and the starter
// dictionary in its two styles, found with FindResource.
#include <string_view>

#include "editor/resource_path.h"

namespace qdm {

inline constexpr std::string_view kPolyReadingsFile = "polyphone-readings.txt";

// How the starter dictionary spells a word.
enum class PolyStyle {
    Homophone,  // 同音字: each polyphonic character by a one-reading character read the same
    Pinyin,     // 拼音: tone-number pinyin of the whole word
};

std::string_view StarterFileName(PolyStyle style);

}  // namespace qdm
