#pragma once
// The qdm command table: each command file registers itself, so adding one touches no other
// file. Exit status: 0 success, 1 a markup fault or a refused operation, 2 usage or file error.
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qdm::cli {

constexpr int kExitOk = 0;
constexpr int kExitFault = 1;
constexpr int kExitUsage = 2;

using Args = std::vector<std::string>;  // the words after the command name, UTF-8

struct Command {
    std::string summary;  // one line for `qdm --help`
    std::string usage;    // `qdm help NAME`: usage and an example
    std::function<int(const Args&)> run;
};

std::map<std::string, Command>& Commands();

struct Registrar {
    Registrar(const std::string& name, Command command) {
        Commands().emplace(name, std::move(command));
    }
};

// Prints "qdm: MESSAGE" and the command's usage hint to standard error; returns kExitUsage.
int UsageError(const std::string& command, const std::string& message);

}  // namespace qdm::cli
