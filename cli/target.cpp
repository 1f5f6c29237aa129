#include "cli/target.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace qdm::cli {

bool ResolveTarget(const ParsedArgs& args, const std::string& in, const std::string& fallback,
                   Target& out, std::string& error) {
    const bool inPlace = args.flags.count("-i") > 0;
    const auto o = args.values.find("-o");
    if (inPlace && o != args.values.end()) {
        error = "-o 和 -i 只能选一个";
        return false;
    }
    if (o != args.values.end()) {
        if (o->second.empty()) {
            error = "-o 需要一个文件名 (或 - 表示标准输出)";
            return false;
        }
        out.path = o->second;
    } else if (inPlace) {
        out.path = in;
    } else if (!fallback.empty()) {
        out.path = fallback;
    } else {
        error = "需要 -o 输出文件 或 -i 就地修改";
        return false;
    }
    return true;
}

bool WriteTarget(const Target& target, std::string_view text) {
    if (target.ToStdout()) {
        std::cout.flush();
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
            std::fflush(stdout) != 0) {
            std::cerr << "qdm: 无法写到标准输出\n";
            return false;
        }
        return true;
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
