#include "polyphone/poly_dict_edit.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "polyphone/poly_dict.h"
#include "polyphone/poly_dict_home.h"

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

bool PolyDictText::Insert(size_t index, std::string_view row) {
    size_t start = 0;
    for (size_t n = 0; n < index; ++n) {
        const size_t lf = m_bytes.find('\n', start);
        if (lf == std::string::npos) return false;
        start = lf + 1;
    }
    m_bytes.insert(start, std::string(row) + '\n');
    return true;
}

namespace {

// The line an operation meant: at its index while that still holds the row, else the first
// line that does; lines.size() when none does.
size_t Locate(const std::vector<std::string>& lines, size_t index, const std::string& row) {
    if (index < lines.size() && lines[index] == row) return index;
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == row) return i;
    return lines.size();
}

}  // namespace

void PolyDictEdits::ApplyTo(PolyDictText& text) const {
    for (const Op& op : m_ops) {
        if (op.kind == Kind::Add) {
            text.Add(op.row);
            continue;
        }
        const std::vector<std::string> lines = text.Lines();
        const size_t at = Locate(lines, op.index, op.row);
        if (at == lines.size()) continue;
        text.Remove(at);
        if (op.kind == Kind::Replace) text.Insert(at, op.now);
        if (op.kind == Kind::Move) text.Insert(std::min(op.to, lines.size() - 1), op.row);
    }
}

std::vector<std::string> PolyDictNotes(const std::string& path) {
    std::vector<std::string> notes;
    FileText file;
    if (!ReadTextFile(path, file)) return notes;
    if (file.hadNul) {
        notes.push_back("第 " + std::to_string(file.text.size() + 1) +
                        " 个字节是 NUL 字节，它后面的内容没有列出；为了不丢失它们，"
                        "这个文件不会被改写");
    }
    const PolyDictText text(std::move(file.text));
    if (!file.hadNul && !text.Tail().empty())
        notes.push_back("最后一行没有换行符，不在列表中；它会原样保留 (添加条目时先补上换行符)");
    const PolyDictSnapshot snap(text.Bytes());
    if (snap.CrEndedCount() > 0)
        notes.push_back(std::to_string(snap.CrEndedCount()) +
                        " 个条目以回车符结尾 (回车符会成为替换文本的一部分)");
    return notes;
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

IoStatus EditPolyDict(const std::string& path, bool missingIsEmpty,
                      const std::function<bool(PolyDictText&)>& edit,
                      PolyDictEditFailure* failure) {
    PolyDictEditFailure ignored = PolyDictEditFailure::None;
    PolyDictEditFailure& failed = failure ? *failure : ignored;
    failed = PolyDictEditFailure::None;
    const std::string seed = CurrentPolyDictPlaces().SeedFor(path);
    if (IoStatus io = MakePolyDictFolder(path, seed); !io)
        return failed = PolyDictEditFailure::Write, io;
    PolyDictLock lock(path);
    if (IoStatus io = SeedPolyDict(path, seed); !io) return failed = PolyDictEditFailure::Write, io;
    FileText file;
    if (IoStatus io = ReadTextFile(path, file); !io) {
        const bool missing = ::access(path.c_str(), F_OK) != 0 && errno == ENOENT;
        if (!(missingIsEmpty && missing)) return failed = PolyDictEditFailure::Read, io;
    } else if (file.hadNul) {
        failed = PolyDictEditFailure::HasNul;
        return IoStatus::Fail(path, "含有 NUL 字节，改写会丢掉它后面的内容，未改动");
    }
    PolyDictText text(std::move(file.text));
    if (!edit(text)) return {};
    IoStatus io = WriteFileAtomic(path, text.Bytes());
    if (!io) failed = PolyDictEditFailure::Write;
    return io;
}

}  // namespace qdm
