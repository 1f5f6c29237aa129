#pragma once
// The data files the programs ship (res/ of the sources, share/mked once installed): the
// polyphone tables and starter dictionaries, the icon, the fontconfig alias.
#include <string>
#include <string_view>

namespace qdm {

// Full path of a shipped file, or an empty string when it is nowhere to be found. An installed
// program reads its own ../share/mked first, even where the sources it was built from are still
// at hand; the sources' res/ serves only a program run from the folder it was built in.
std::string FindResource(std::string_view name);

// The same search with the places given: the directory of the executable, the build folder
// (empty when unknown) and the sources' res/.
std::string FindResourceIn(std::string_view name, const std::string& exeDir,
                           const std::string& buildDir, const std::string& sourceRes);

}  // namespace qdm
