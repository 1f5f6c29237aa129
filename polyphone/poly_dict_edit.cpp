#include "polyphone/poly_dict_edit.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace qdm {
namespace {

constexpr std::string_view kLockSuffix = ".qdmlock";

std::string LockPathOf(const std::string& dictPath) {
    const size_t slash = dictPath.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return dictPath.substr(0, nameStart) + "." + dictPath.substr(nameStart) +
           std::string(kLockSuffix);
}

}  // namespace

std::vector<std::string> PolyDictText::Lines() const {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t lf; (lf = m_bytes.find('\n', start)) != std::string::npos; start = lf + 1)
        lines.emplace_back(m_bytes, start, lf - start);
    return lines;
}

std::string_view PolyDictText::Tail() const {
    const size_t lf = m_bytes.rfind('\n');
    return std::string_view(m_bytes).substr(lf == std::string::npos ? 0 : lf + 1);
}

void PolyDictText::Add(std::string_view row) {
    if (!m_bytes.empty() && m_bytes.back() != '\n') m_bytes.push_back('\n');
    m_bytes.append(row).push_back('\n');
}

bool PolyDictText::Remove(size_t index) {
    size_t start = 0;
    for (size_t n = 0;; ++n) {
        const size_t lf = m_bytes.find('\n', start);
        if (lf == std::string::npos) return false;
        if (n == index) {
            m_bytes.erase(start, lf + 1 - start);
            return true;
        }
        start = lf + 1;
    }
}

PolyDictLock::PolyDictLock(const std::string& dictPath) {
    m_fd = ::open(LockPathOf(dictPath).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) m_fd = ::open(dictPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) return;  // nothing to lock: the edit will fail with the reason
    while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

PolyDictLock::~PolyDictLock() {
    if (m_fd >= 0) ::close(m_fd);
}

bool IsPolyLockName(std::string_view name) {
    return name.size() > kLockSuffix.size() + 1 && name[0] == '.' &&
           name.substr(name.size() - kLockSuffix.size()) == kLockSuffix;
}

std::string PolyDictNulReason() {
    return "含有 NUL 字节，改写会丢掉它后面的内容，未改动";
}

IoStatus EditPolyDict(const std::string& path, bool missingIsEmpty,
                      const std::function<bool(PolyDictText&)>& edit, bool* writeFailed) {
    if (writeFailed) *writeFailed = false;
    PolyDictLock lock(path);
    FileText file;
    if (IoStatus io = ReadTextFile(path, file); !io) {
        const bool missing = ::access(path.c_str(), F_OK) != 0 && errno == ENOENT;
        if (!(missingIsEmpty && missing)) return io;
    } else if (file.hadNul) {
        return IoStatus::Fail(path, PolyDictNulReason());
    }
    PolyDictText text(std::move(file.text));
    if (!edit(text)) return {};
    IoStatus io = WriteFileAtomic(path, text.Bytes());
    if (writeFailed) *writeFailed = !io;
    return io;
}

}  // namespace qdm
