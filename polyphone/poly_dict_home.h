#pragma once
// Where the dictionary is kept. Beside the executable while that folder can be written (a
// build tree, a program unpacked into a folder of the user's). An installed program's folder
// belongs to root, so there each user has a copy under $XDG_DATA_HOME/mked: it is read while
// it exists, the file beside the program until then, and the first write copies that file
// across so that none of its entries is lost.
#include <optional>
#include <string>

#include "editor/file_io.h"

namespace qdm {

struct PolyDictPlaces {
    std::string beside;          // the file beside the executable
    bool besideWritable = true;  // the executable's folder can be written
    std::string user;            // the user's copy; empty when there is no home to put it in

    // The dictionary a program uses when it is not given one.
    const std::string& Default() const { return besideWritable || user.empty() ? beside : user; }
    // The file read in place of `path` while `path` does not exist: the one beside the program
    // for the user's copy, nothing for any other file.
    std::string SeedFor(const std::string& path) const {
        return !user.empty() && path == user && path != beside ? beside : std::string();
    }
};

// $XDG_DATA_HOME/mked/kolb_polyphone.ini; ~/.local/share stands in for an unset or relative
// XDG_DATA_HOME (the base directory rules ignore a relative one), the password entry's home
// for an unset HOME. Empty when no home is known.
std::string UserDictPath();

// The places of this process (/proc/self/exe, the environment), or those set by
// OverridePolyDictPlaces.
PolyDictPlaces CurrentPolyDictPlaces();
// Makes CurrentPolyDictPlaces return `places` (tests); nullopt restores the real ones.
void OverridePolyDictPlaces(std::optional<PolyDictPlaces> places);

// The file to read for `path`: `path` itself, or its seed while `path` does not exist.
std::string PolyDictReadPath(const std::string& path, const std::string& seed);

// Before the first write of a seeded file: its folder is made and the seed copied in, so that
// an edit applies to the entries the user has been working with. Call under the dictionary's
// lock, with the folder made (MakePolyDictFolder) before taking it.
IoStatus SeedPolyDict(const std::string& path, const std::string& seed);
// The folder of a seeded file, made with its parents when missing.
IoStatus MakePolyDictFolder(const std::string& path, const std::string& seed);

}  // namespace qdm
