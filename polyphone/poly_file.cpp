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

namespace poly_reason {
std::string NotRegular() {
    return "不是普通文件";
}
std::string HasNul() {
    return "含有 NUL 字节，不是文本文件，未改动";
}
std::string Empty() {
    return "空文件";
}
std::string IsDictionary() {
    return "是多音字词典文件本身，未处理";
}
std::string SameFile(const std::string& firstPath) {
    return "与 " + firstPath + " 是同一文件";
}
std::string TooLarge() {
    return "结果超过 2 GiB";
}
std::string StaleTemporary() {
    return "是较早留下的临时文件 (可能来自被中断的运行)，未处理也未删除";
}
bool IsBenign(const std::string& reason) {
    constexpr std::string_view before = "与 ", after = " 是同一文件";
    const std::string_view r = reason;
    const bool sameFile = r.size() > before.size() + after.size() &&
                          r.substr(0, before.size()) == before &&
                          r.substr(r.size() - after.size()) == after;
    return sameFile || reason == Empty() || reason == IsDictionary();
}
std::string CannotRead(const IoStatus& status) {
    return "无法读取: " + status.reason;
}
std::string CannotWrite(const IoStatus& status) {
    return "无法写入: " + status.reason;
}
}  // namespace poly_reason

bool LoadFileForPolyphone(const std::string& path, std::string& text, std::string& reason) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        reason = poly_reason::CannotRead(IoStatus::Fail(path, ErrorText(errno)));
        return false;
    }
    // Opening a FIFO or a device could block or never end.
    if (!S_ISREG(st.st_mode)) {
        reason = poly_reason::NotRegular();
        return false;
    }
    FileText file;
    IoStatus io = ReadTextFile(path, file);
    if (!io) {
        reason = poly_reason::CannotRead(io);
        return false;
    }
    if (file.hadNul) {
        reason = poly_reason::HasNul();
        return false;
    }
    if (file.text.empty()) {
        reason = poly_reason::Empty();
        return false;
    }
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
        return poly_reason::CannotWrite(IoStatus::Fail(path, ErrorText(errno)));
    return {};
}

bool IsDictionaryFile(const CPolyDict& dict, const std::string& path) {
    struct stat a, b;
    return ::stat(path.c_str(), &a) == 0 && ::stat(dict.ReadPath().c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace qdm
