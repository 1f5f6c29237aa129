#pragma once
// Runs the qdm executable under test and captures what it prints.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace qdmtest {

struct QdmRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs `qdm ARGS...` with standard input from /dev/null (or `stdinPath`).
inline QdmRun RunQdm(const std::vector<std::string>& args,
                     const std::string& stdinPath = "/dev/null") {
    namespace fs = std::filesystem;
    static int counter = 0;
    const std::string base = (fs::temp_directory_path() / ("qdm-run-" + std::to_string(::getpid()) +
                                                           "-" + std::to_string(counter++)))
                                 .string();
    std::string cmd = ShellQuote(QDM_EXE);
    // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) about "literal" + string.
    for (const std::string& a : args) cmd.append(" ").append(ShellQuote(a));
    cmd.append(" <").append(ShellQuote(stdinPath));
    cmd.append(" >").append(ShellQuote(base + ".out"));
    cmd.append(" 2>").append(ShellQuote(base + ".err"));
    QdmRun run;
    int status = std::system(cmd.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = Slurp(base + ".out");
    run.err = Slurp(base + ".err");
    fs::remove(base + ".out");
    fs::remove(base + ".err");
    return run;
}

// `qdm ARGS...` quoted for the shell.
inline std::string QdmCommand(const std::vector<std::string>& args) {
    std::string cmd = ShellQuote(QDM_EXE);
    for (const std::string& a : args) cmd.append(" ").append(ShellQuote(a));
    return cmd;
}

// Runs a shell command line; its standard output and error are captured.
inline QdmRun RunShell(const std::string& line) {
    namespace fs = std::filesystem;
    static int counter = 0;
    const std::string base = (fs::temp_directory_path() / ("qdm-sh-" + std::to_string(::getpid()) +
                                                           "-" + std::to_string(counter++)))
                                 .string();
    std::string cmd = "{ ";
    cmd.append(line).append("; } >").append(ShellQuote(base + ".out"));
    cmd.append(" 2>").append(ShellQuote(base + ".err"));
    QdmRun run;
    const int status = std::system(cmd.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = Slurp(base + ".out");
    run.err = Slurp(base + ".err");
    fs::remove(base + ".out");
    fs::remove(base + ".err");
    return run;
}

// The prefix that runs a command as an unprivileged user, for permission cases; empty when
// the tests do not run as root (the user is unprivileged already).
inline std::string Unprivileged() {
    return ::geteuid() == 0 ? "setpriv --reuid=nobody --regid=nogroup --clear-groups " : "";
}

// A fresh directory under the system's temporary directory, removed with the object.
class TempDir {
  public:
    // Under `base` (the system's temporary directory when empty).
    explicit TempDir(const std::filesystem::path& base = {}) {
        static int n = 0;
        m_path = (base.empty() ? std::filesystem::temp_directory_path() : base) /
                 ("qdm-cli-" + std::to_string(::getpid()) + "-" + std::to_string(n++));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(File(name), std::ios::binary) << bytes;
        return File(name);
    }
    const std::filesystem::path& Path() const { return m_path; }

  private:
    std::filesystem::path m_path;
};

}  // namespace qdmtest
