#include "editor/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

#include "editor/text_buffer.h"

namespace qdm {
namespace {

constexpr std::string_view kTempMark = ".qdmtmp-";
constexpr size_t kTempRandom = 6;  // mkostemp's XXXXXX

IoStatus Errno(const std::string& path) {
    return IoStatus::Fail(path, std::strerror(errno));
}

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

std::string DirOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// The temporaries being written, so that a signal can remove them. Never destroyed: a signal
// may arrive while static objects are torn down.
struct TempRegistry {
    std::mutex lock;
    std::set<std::string> paths;
};
TempRegistry& Temps() {
    static TempRegistry* registry = new TempRegistry;
    return *registry;
}

// Read once: umask() can only be read by setting it, which races with other writer threads.
mode_t NewFileMode() {
    static const mode_t mode = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return 0666 & ~mask;
    }();
    return mode;
}

// `cat > target` for a target that is not a regular file: a rename would put a new file in
// place of a device or a FIFO, and the output would never arrive.
IoStatus WriteDirectly(const std::string& path, std::string_view data) {
    Fd f;
    f.fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
    if (f.fd < 0) return Errno(path);
    if (!WriteAll(f.fd, data)) return Errno(path);
    const int fd = f.fd;
    f.fd = -1;
    if (::close(fd) != 0) return Errno(path);
    return {};
}

// Owner and group first: changing them clears the set-id bits, which the mode then restores
// where the kernel lets the caller keep them.
void CopyOwnership(int fd, const struct stat& st) {
    if (st.st_uid == ::geteuid() && st.st_gid == ::getegid()) return;
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
        [[maybe_unused]] int ignored = ::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
    }
}

}  // namespace

bool IsTemporaryName(std::string_view name) {
    const size_t tail = kTempMark.size() + kTempRandom;
    return name.size() > tail + 1 && name[0] == '.' &&
           name.substr(name.size() - tail, kTempMark.size()) == kTempMark;
}

void RemoveTemporariesAndExit(int code) {
    Temps().lock.lock();  // held until the end: no writer creates or renames a temporary now
    for (const std::string& path : Temps().paths) ::unlink(path.c_str());
    ::_exit(code);
}

// Reads into `data` until it is full or the input ends; `got` is the count read.
static IoStatus ReadInto(int fd, const std::string& name, std::string& data, size_t& got) {
    got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(fd, data.data() + got, data.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Errno(name);
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return {};
}

IoStatus ReadTextFd(int fd, const std::string& name, FileText& out) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return Errno(name);
    if (S_ISDIR(st.st_mode)) return IoStatus::Fail(name, std::strerror(EISDIR));
    const bool regular = S_ISREG(st.st_mode);
    if (regular && st.st_size >= kMaxFileSize) return IoStatus::Fail(name, kTooLargeReason);
    // A regular file's size is known: one read into a buffer of that size.
    std::string data = NewTextBuffer(regular ? static_cast<size_t>(st.st_size) : 0);
    size_t got = 0;
    if (regular) {
        data.resize(static_cast<size_t>(st.st_size));
        if (IoStatus io = ReadInto(fd, name, data, got); !io) return io;
        data.resize(got);
    }
    size_t nul = data.find('\0');
    // Anything else (a pipe, a device, a file that grew) is read in pieces until it ends;
    // bytes after a NUL are counted but not kept.
    int64_t total = static_cast<int64_t>(got);
    std::string piece(regular ? 4096 : size_t{1} << 20, '\0');
    for (;;) {
        if (IoStatus io = ReadInto(fd, name, piece, got); !io) return io;
        if (got == 0) break;
        total += static_cast<int64_t>(got);
        if (total >= kMaxFileSize) return IoStatus::Fail(name, kTooLargeReason);
        if (nul != std::string::npos) continue;
        const size_t at = std::string_view(piece.data(), got).find('\0');
        nul = at == std::string::npos ? nul : data.size() + at;
        data.append(piece, 0, std::min(got, at));
    }
    out.fileSize = total;
    out.hadNul = nul != std::string::npos;
    if (out.hadNul) data.resize(nul);
    out.text = std::move(data);
    return {};
}

IoStatus ReadTextFile(const std::string& path, FileText& out) {
    Fd f;
    f.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (f.fd < 0) return Errno(path);
    return ReadTextFd(f.fd, path, out);
}

IoStatus WriteFileAtomic(const std::string& requested, std::string_view data) {
    struct stat lst, st;
    const bool present = ::lstat(requested.c_str(), &lst) == 0;
    const bool exists = ::stat(requested.c_str(), &st) == 0;
    if (present && !exists) return Errno(requested);  // a link that leads nowhere
    if (exists && S_ISDIR(st.st_mode)) return IoStatus::Fail(requested, std::strerror(EISDIR));
    if (exists && !S_ISREG(st.st_mode)) return WriteDirectly(requested, data);
    // A link is replaced through its target, so the link itself survives the save.
    std::string path = requested;
    if (present && S_ISLNK(lst.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> real(::realpath(requested.c_str(), nullptr),
                                                         &std::free);
        if (!real) return Errno(requested);
        path = real.get();
    }
    // A rename would replace a file we may not write; refuse it as an in-place write would.
    if (exists && ::access(path.c_str(), W_OK) != 0) return Errno(requested);

    std::string tmp = DirOf(path) + "/." + BaseOf(path) + std::string(kTempMark) + "XXXXXX";
    Fd f;
    {
        std::lock_guard<std::mutex> guard(Temps().lock);
        f.fd = ::mkostemp(tmp.data(), O_CLOEXEC);
        if (f.fd < 0) return Errno(requested);
        Temps().paths.insert(tmp);
    }
    auto fail = [&](int err) {
        std::lock_guard<std::mutex> guard(Temps().lock);
        ::unlink(tmp.c_str());
        Temps().paths.erase(tmp);
        return IoStatus::Fail(requested, std::strerror(err));
    };
    if (exists) CopyOwnership(f.fd, st);
    if (::fchmod(f.fd, exists ? st.st_mode & 07777 : NewFileMode()) != 0) return fail(errno);
    if (!WriteAll(f.fd, data)) return fail(errno);
    if (::fsync(f.fd) != 0) return fail(errno);
    const int fd = f.fd;
    f.fd = -1;
    if (::close(fd) != 0) return fail(errno);
    std::lock_guard<std::mutex> guard(Temps().lock);
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        Temps().paths.erase(tmp);
        return IoStatus::Fail(requested, std::strerror(err));
    }
    Temps().paths.erase(tmp);
    return {};
}

}  // namespace qdm
