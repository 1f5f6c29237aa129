#pragma once
// The data files the polyphone tools ship in res/: the reading table and the starter
// dictionary in its two styles. Found beside the sources for a build tree, in res/ next to
// the executable, or in ../share/mked for an installed program.
#include <string>
#include <string_view>

namespace qdm {

inline constexpr std::string_view kPolyReadingsFile = "polyphone-readings.txt";

// How the starter dictionary spells a word.
enum class PolyStyle {
    Homophone,  // 同音字: each polyphonic character by a one-reading character read the same
    Pinyin,     // 拼音: tone-number pinyin of the whole word
};

std::string_view StarterFileName(PolyStyle style);

// Full path of a file of res/, or an empty string when it is nowhere to be found.
std::string FindPolyResource(std::string_view name);

}  // namespace qdm
