#include "cli/args.h"

#include <charconv>

namespace qdm::cli {

bool ParseInt32(const std::string& word, int32_t& value) {
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return !word.empty() && ec == std::errc() && ptr == end;
}

bool ParseArgs(const Args& args, const ArgSpec& spec, ParsedArgs& out, std::string& error) {
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
        std::string name = word.substr(0, eq);
        if (const auto alias = spec.aliases.find(name); alias != spec.aliases.end())
            name = alias->second;
        if (spec.flags.count(name) && eq == std::string::npos) {
            out.flags.insert(name);
        } else if (spec.values.count(name)) {
            if (out.values.count(name)) {
                error = "选项 " + name + " 只能给一次";
                return false;
            }
            if (eq != std::string::npos) {
                out.values[name] = word.substr(eq + 1);
            } else if (i + 1 < args.size()) {
                out.values[name] = args[++i];
            } else {
                const auto said = spec.missingValue.find(name);
                error =
                    said != spec.missingValue.end() ? said->second : "选项 " + name + " 缺少参数";
                return false;
            }
        } else {
            error = "不认识的选项: " + word;
            return false;
        }
    }
    return true;
}

bool ParseArgs(const Args& args, const std::set<std::string>& flagNames,
               const std::set<std::string>& valueNames, ParsedArgs& out, std::string& error) {
    return ParseArgs(args, ArgSpec{flagNames, valueNames, {}, {}}, out, error);
}

bool ParseOneInput(const Args& words, OneInputSpec spec, OneInput& out, std::string& error) {
    spec.options.values.insert("-o");
    if (!ParseArgs(words, spec.options, out.args, error)) return false;
    std::vector<std::string>& operands = out.args.operands;
    if (operands.size() != spec.leading + 1) {
        error = spec.countError;
        return false;
    }
    out.in = operands.back();
    out.leading.assign(operands.begin(), operands.end() - 1);
    return true;
}

bool ResolveTarget(OneInput& cmd, const std::string& fallback, std::string& error) {
    const bool inPlace = cmd.args.flags.count("-i") > 0;
    const auto o = cmd.args.values.find("-o");
    if (inPlace && o != cmd.args.values.end()) {
        error = "-o 和 -i 只能选一个";
        return false;
    }
    if (o != cmd.args.values.end()) {
        if (o->second.empty()) {
            error = "-o 需要一个文件名 (或 - 表示标准输出)";
            return false;
        }
        cmd.target.path = o->second;
    } else if (inPlace) {
        cmd.target.path = cmd.in;
    } else if (!fallback.empty()) {
        cmd.target.path = fallback;
    } else {
        error = "需要 -o 输出文件 或 -i 就地修改";
        return false;
    }
    return true;
}

}  // namespace qdm::cli
