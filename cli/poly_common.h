#pragma once
// What `qdm polyphone` and `qdm dict` share: the dictionary named by --dict (or the default
// one, as the editor finds it) and the reason it cannot be read.
#include <string>

#include "cli/args.h"
#include "polyphone/poly_dict.h"

namespace qdm::cli {

// Adds "--dict PATH" to the options a command takes.
void AddDictOption(ArgSpec& spec);

// The dictionary file named by --dict, or the default one (poly_dict_home.h).
std::string DictPath(const ParsedArgs& args);

// "qdm: 注意: N 个条目以回车符结尾" on standard error when entries end in CR.
void NoteCrEntries(const PolyDictSnapshot& snap);

// Empty when the dictionary file can be read, else "PATH: REASON".
std::string DictReadProblem(const CPolyDict& dict);

}  // namespace qdm::cli
