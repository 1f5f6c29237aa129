#include "polyphone/poly_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "editor/error_text.h"

namespace qdm {

bool IsFault(PolyOutcome outcome) {
    switch (outcome) {
        case PolyOutcome::Written:
        case PolyOutcome::Dictionary:
        case PolyOutcome::SameFile:
        case PolyOutcome::Empty:
            return false;
        case PolyOutcome::NotRegular:
        case PolyOutcome::Unreadable:
        case PolyOutcome::HasNul:
        case PolyOutcome::TooLarge:
        case PolyOutcome::WriteFailed:
            break;
    }
    return true;
}

std::string PolyFileResult::Reason() const {
    switch (outcome) {
        case PolyOutcome::Written:
            return {};
        case PolyOutcome::Dictionary:
            return "是多音字词典文件本身，未处理";
        case PolyOutcome::SameFile:
            return "与 " + detail + " 是同一文件";
        case PolyOutcome::Empty:
            return "空文件";
        case PolyOutcome::NotRegular:
            return "不是普通文件";
        case PolyOutcome::Unreadable:
            return "无法读取: " + detail;
        case PolyOutcome::HasNul:
            return "含有 NUL 字节，不是文本文件，未改动";
        case PolyOutcome::TooLarge:
            return "结果超过 2 GiB";
        case PolyOutcome::WriteFailed:
            break;
    }
    return "无法写入: " + detail;
}

std::string PolyStaleTemporaryNote() {
    return "是较早留下的临时文件 (可能来自被中断的运行)，未处理也未删除";
}

bool LoadFileForPolyphone(const std::string& path, std::string& text, PolyFileResult& result) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return result.Skip(PolyOutcome::Unreadable, ErrorText(errno)), false;
    // Opening a FIFO or a device could block or never end.
    if (!S_ISREG(st.st_mode)) return result.Skip(PolyOutcome::NotRegular), false;
    FileText file;
    if (IoStatus io = ReadTextFile(path, file); !io)
        return result.Skip(PolyOutcome::Unreadable, io.reason), false;
    if (file.hadNul) return result.Skip(PolyOutcome::HasNul), false;
    if (file.text.empty()) return result.Skip(PolyOutcome::Empty), false;
    text = std::move(file.text);
    return true;
}

std::string WriteProblem(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    const std::string target = real ? std::string(real.get()) : path;
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "."
                            : slash == 0               ? "/"
                                                       : target.substr(0, slash);
    if (::access(target.c_str(), W_OK) != 0 || ::access(dir.c_str(), W_OK | X_OK) != 0)
        return ErrorText(errno);
    return {};
}

bool IsDictionaryFile(const CPolyDict& dict, const std::string& path) {
    struct stat a, b;
    return ::stat(path.c_str(), &a) == 0 && ::stat(dict.ReadPath().c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace qdm
