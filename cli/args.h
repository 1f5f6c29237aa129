#pragma once
// Splitting a command's words into options and operands.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/command.h"

namespace qdm::cli {

struct ParsedArgs {
    std::set<std::string> flags;                // e.g. "--json", "-i"
    std::map<std::string, std::string> values;  // e.g. "-o" -> "out.qdm"
    std::vector<std::string> operands;

    bool Has(const std::string& name) const { return flags.count(name) || values.count(name); }
};

// Options may come anywhere; "--" ends them. A valued option takes the next word or
// "--opt=value". On failure `error` says why (UTF-8).
bool ParseArgs(const Args& args, const std::set<std::string>& flagNames,
               const std::set<std::string>& valueNames, ParsedArgs& out, std::string& error);

// A whole decimal number that fits in 32 bits.
bool ParseInt32(const std::string& word, int32_t& value);

}  // namespace qdm::cli
