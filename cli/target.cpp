#include "cli/target.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace qdm::cli {

IoStatus ReadInputText(const std::string& path, FileText& out) {
    return path == "-" ? ReadTextFd(0, "标准输入", out) : ReadTextFile(path, out);
}

IoStatus ReadInputBytes(const std::string& path, std::string& out) {
    return path == "-" ? ReadAllFd(0, "标准输入", out) : ReadWholeFile(path, out);
}

bool ResultFits(const std::string& in, int64_t size) {
    if (size < MaxFileSize()) return true;
    std::cerr << "qdm: " << (in == "-" ? "标准输入" : in) << ": 结果超过 2 GiB\n";
    return false;
}

bool WriteTarget(const Target& target, std::string_view text) {
    if (target.ToStdout()) {
        std::cout.flush();
        // A failure is reported once, with its reason, when qdm checks its output at the end.
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
               std::fflush(stdout) == 0;
    }
    IoStatus status = WriteFileAtomic(target.path, text);
    if (!status) PrintIoError(status);
    return status.ok;
}

std::ostream& ReportStream(const Target& target) {
    return target.ToStdout() ? std::cerr : std::cout;
}

void PrintIoError(const IoStatus& status) {
    std::cerr << "qdm: " << status.Describe() << "\n";
}

bool AcceptNulText(const std::string& in, const Target& target) {
    std::error_code ec;
    if (!target.ToStdout() && std::filesystem::equivalent(in, target.path, ec)) {
        std::cerr << "qdm: " << in << " 含有零字节, 写回原文件会丢掉它后面的内容; 请用 -o 另存\n";
        return false;
    }
    std::cerr << "qdm: 警告: " << in << " 含有零字节, 只处理它之前的文本\n";
    return true;
}

}  // namespace qdm::cli
