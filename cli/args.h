#pragma once
// Splitting a command's words into options and operands.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/target.h"

namespace qdm::cli {

struct ParsedArgs {
    std::set<std::string> flags;                // e.g. "--json", "-i"
    std::map<std::string, std::string> values;  // e.g. "-o" -> "out.qdm"
    std::vector<std::string> operands;

    bool Has(const std::string& name) const { return flags.count(name) || values.count(name); }
    // The value of a valued option, or `otherwise` when it was not given.
    std::string Value(const std::string& name, const std::string& otherwise = {}) const {
        const auto it = values.find(name);
        return it == values.end() ? otherwise : it->second;
    }
};

struct ArgSpec {
    std::set<std::string> flags;
    std::set<std::string> values;
    std::map<std::string, std::string> aliases;  // another spelling -> the name recorded
    // What to say when a valued option ends the words; "选项 NAME 缺少参数" otherwise.
    std::map<std::string, std::string> missingValue;
};

// Options may come anywhere; "--" ends them. A valued option takes the next word or
// "--opt=value", and may be given once. On failure `error` says why (UTF-8).
bool ParseArgs(const Args& args, const ArgSpec& spec, ParsedArgs& out, std::string& error);
bool ParseArgs(const Args& args, const std::set<std::string>& flagNames,
               const std::set<std::string>& valueNames, ParsedArgs& out, std::string& error);

// A whole decimal number that fits in 32 bits.
bool ParseInt32(const std::string& word, int32_t& value);

// The words of a command that reads one text and writes one result: some leading operands
// (insert's kind), then the input; -o OUT, and -i for the commands that rewrite in place.
struct OneInput {
    ParsedArgs args;
    std::vector<std::string> leading;
    std::string in;
    Target target;
};

struct OneInputSpec {
    ArgSpec options;  // "-o" is always accepted
    size_t leading = 0;
    std::string countError = "需要正好一个输入文件";
};

// ParseArgs plus the operand count; the target is left to ResolveTarget, since what a
// command falls back to depends on the input.
bool ParseOneInput(const Args& words, OneInputSpec spec, OneInput& out, std::string& error);
// From -o or -i (exactly one of them). `fallback` is used when neither is given and it is
// not empty. On failure `error` says why (UTF-8).
bool ResolveTarget(OneInput& cmd, const std::string& fallback, std::string& error);

}  // namespace qdm::cli
