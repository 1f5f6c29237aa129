#include "cli/args.h"

#include <charconv>

namespace qdm::cli {

bool ParseInt32(const std::string& word, int32_t& value) {
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return !word.empty() && ec == std::errc() && ptr == end;
}

bool ParseArgs(const Args& args, const std::set<std::string>& flagNames,
               const std::set<std::string>& valueNames, ParsedArgs& out, std::string& error) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        int32_t number = 0;
        // "-" names standard output, and "-5" is a number, not an option.
        if (optionsEnded || word.size() < 2 || word[0] != '-' || ParseInt32(word, number)) {
            out.operands.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t eq = word.find('=');
        const std::string name = word.substr(0, eq);
        if (flagNames.count(name) && eq == std::string::npos) {
            out.flags.insert(name);
        } else if (valueNames.count(name)) {
            if (out.values.count(name)) {
                error = "选项 " + name + " 只能给一次";
                return false;
            }
            if (eq != std::string::npos) {
                out.values[name] = word.substr(eq + 1);
            } else if (i + 1 < args.size()) {
                out.values[name] = args[++i];
            } else {
                error = "选项 " + name + " 缺少参数";
                return false;
            }
        } else {
            error = "不认识的选项: " + word;
            return false;
        }
    }
    return true;
}

}  // namespace qdm::cli
