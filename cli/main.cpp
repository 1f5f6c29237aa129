// qdm: the editor's rules for batch and scripted work.
#include <cstdio>
#include <iostream>

#include "cli/command.h"

namespace qdm::cli {

std::map<std::string, Command>& Commands() {
    static std::map<std::string, Command> commands;
    return commands;
}

int UsageError(const std::string& command, const std::string& message) {
    std::cerr << "qdm: " << message << "\n";
    if (!command.empty()) std::cerr << "用法见: qdm help " << command << "\n";
    return kExitUsage;
}

namespace {

void PrintHelp() {
    std::cout << "qdm —— QDM 文件的命令行工具\n\n用法: qdm 命令 [参数...]\n\n命令:\n";
    for (const auto& [name, cmd] : Commands())
        std::cout << "  " << name << std::string(name.size() < 12 ? 12 - name.size() : 1, ' ')
                  << cmd.summary << "\n";
    std::cout << "\n每个命令的详细用法: qdm help 命令\n";
}

}  // namespace
}  // namespace qdm::cli

int main(int argc, char** argv) {
    using namespace qdm::cli;
    std::ios::sync_with_stdio(false);
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        PrintHelp();
        return argc < 2 ? kExitUsage : kExitOk;
    }
    std::string name = argv[1];
    Args args(argv + 2, argv + argc);
    if (name == "help") {
        if (args.empty()) {
            PrintHelp();
            return kExitOk;
        }
        auto it = Commands().find(args[0]);
        if (it == Commands().end()) return UsageError("", "没有这个命令: " + args[0]);
        std::cout << it->second.usage;
        return kExitOk;
    }
    if (name == "--version") {
        std::cout << "qdm " MKED_VERSION "\n";
        return kExitOk;
    }
    auto it = Commands().find(name);
    if (it == Commands().end()) return UsageError("", "没有这个命令: " + name + " (qdm --help)");
    return it->second.run(args);
}
