// qdm: the editor's rules for batch and scripted work.
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <thread>

#include "cli/command.h"
#include "editor/file_io.h"

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

// Ctrl-C, kill and a closed terminal end qdm through one thread that removes the temporaries
// being written first, so a book is left old or new and nothing half-written lies beside it.
// The signals are blocked before any other thread starts, so none of them is interrupted.
void HandleStopSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, sig);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
        int sig = 0;
        while (sigwait(&set, &sig) != 0) {
        }
        RemoveTemporariesAndExit(128 + sig);
    }).detach();
}

// A result or report that did not reach standard output (a full disk, a closed pipe) is a
// failure, whatever the command thought of its work.
int FinishOutput(int status) {
    std::cout.flush();
    bool failed = !std::cout;
    int err = failed ? errno : 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        failed = true;
        err = errno;
    }
    if (failed) {
        std::cerr << "qdm: 无法写到标准输出: " << std::strerror(err ? err : EIO) << "\n";
        status = kExitUsage;
    }
    std::cerr.flush();
    if (!std::cerr || std::fflush(stderr) != 0 || std::ferror(stderr)) status = kExitUsage;
    return status;
}

}  // namespace
}  // namespace qdm::cli

namespace {

int Dispatch(int argc, char** argv) {
    using namespace qdm::cli;
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

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    qdm::cli::HandleStopSignals();
    qdm::MaxFileSizeFromEnvironment();
    return qdm::cli::FinishOutput(Dispatch(argc, argv));
}
