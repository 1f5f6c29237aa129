#pragma once
// What `qdm polyphone` and `qdm dict` share: the dictionary named by --dict (or the one beside
// the executable) and the reason it cannot be read.
#include <string>

#include "cli/command.h"
#include "polyphone/poly_dict.h"

namespace qdm::cli {

// Removes "--dict PATH" (or "--dict=PATH") from `args`; false with `error` set when the option
// has no value.
bool TakeDictOption(Args& args, std::string& dictPath, std::string& error);

// The dictionary file at `dictPath`, or beside the executable when it is empty.
std::string DictPathOrDefault(const std::string& dictPath);

// Empty when the dictionary file can be read, else "PATH: REASON".
std::string DictReadProblem(const CPolyDict& dict);

}  // namespace qdm::cli
