#include "bench/common/child_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

extern char** environ;

namespace qdmbench {
namespace {

constexpr const char* kChildFlag = "--measure-child";

ChildRun RunAndMeasure(char** argv) {
    ChildRun run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execv(argv[0], argv);
        _exit(127);
    }
    struct rusage usage {};
    wait4(pid, &run.status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakMB = static_cast<double>(usage.ru_maxrss) / 1024;  // ru_maxrss is in KB
    auto secs = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    run.cpu = secs(usage.ru_utime) + secs(usage.ru_stime);
    return run;
}

}  // namespace

ChildRun RunMeasured(const std::vector<std::string>& args) {
    const std::string result = (std::filesystem::temp_directory_path() /
                                ("mked-bench-child-" + std::to_string(::getpid())))
                                   .string();
    std::vector<std::string> words = {std::filesystem::read_symlink("/proc/self/exe").string(),
                                      kChildFlag, result};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ChildRun run;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return run;
    waitpid(pid, nullptr, 0);
    if (FILE* f = std::fopen(result.c_str(), "r")) {
        if (std::fscanf(f, "%lf %lf %lf %d", &run.seconds, &run.cpu, &run.peakMB, &run.status) != 4)
            run.status = -1;
        std::fclose(f);
    }
    std::remove(result.c_str());
    return run;
}

int MeasureChildMain(int argc, char** argv) {
    if (argc < 4 || std::string(argv[1]) != kChildFlag) return -1;
    const ChildRun run = RunAndMeasure(argv + 3);
    FILE* f = std::fopen(argv[2], "w");
    if (!f) return 1;
    std::fprintf(f, "%f %f %f %d\n", run.seconds, run.cpu, run.peakMB, run.status);
    return std::fclose(f) == 0 ? 0 : 1;
}

}  // namespace qdmbench
