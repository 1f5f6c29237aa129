#include "editor/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "editor/error_text.h"
#include "editor/text_buffer.h"

namespace qdm {
namespace {

IoStatus Errno(const std::string& path) {
    return IoStatus::Fail(path, ErrorText(errno));
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

// A link is replaced through its target, so the link itself survives the save.
std::string ResolveTarget(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : path;
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

}  // namespace

IoStatus ReadTextFile(const std::string& path, FileText& out) {
    Fd f;
    f.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (f.fd < 0) return Errno(path);
    struct stat st;
    if (::fstat(f.fd, &st) != 0) return Errno(path);
    if (S_ISDIR(st.st_mode)) return IoStatus::Fail(path, ErrorText(EISDIR));
    if (st.st_size >= kMaxFileSize)
        return IoStatus::Fail(path, CurrentErrorLanguage() == ErrorLanguage::Chinese
                                        ? "文件达到或超过 2 GiB，位置超出 32 位的范围"
                                        : "file is 2 GiB or larger; positions would not fit");
    std::string data = NewTextBuffer(static_cast<size_t>(st.st_size));
    data.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < data.size()) {
        ssize_t n = ::read(f.fd, data.data() + got, data.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Errno(path);
        }
        if (n == 0) break;  // the file shrank while we read it
        got += static_cast<size_t>(n);
    }
    data.resize(got);
    out.fileSize = static_cast<int64_t>(got);
    size_t nul = data.find('\0');
    out.hadNul = nul != std::string::npos;
    if (out.hadNul) data.resize(nul);
    out.text = std::move(data);
    return {};
}

IoStatus WriteFileAtomic(const std::string& requested, std::string_view data) {
    const std::string path = ResolveTarget(requested);
    struct stat st;
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return IoStatus::Fail(requested, ErrorText(EISDIR));
    // A rename would replace a file we may not write; refuse it as an in-place write would.
    if (exists && ::access(path.c_str(), W_OK) != 0) return Errno(requested);

    std::string tmp = DirOf(path) + "/." + BaseOf(path) + ".XXXXXX";
    Fd f;
    f.fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (f.fd < 0) return Errno(requested);

    auto fail = [&](int err) {
        ::unlink(tmp.c_str());
        return IoStatus::Fail(requested, ErrorText(err));
    };
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(f.fd, mode) != 0) return fail(errno);
    if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
        // Keeping the owner works only with the right to do so; the save goes on without it.
        [[maybe_unused]] int ignored = ::fchown(f.fd, st.st_uid, st.st_gid);
    }
    if (!WriteAll(f.fd, data)) return fail(errno);
    if (::fsync(f.fd) != 0) return fail(errno);
    int fd = f.fd;
    f.fd = -1;
    if (::close(fd) != 0) return fail(errno);
    if (::rename(tmp.c_str(), path.c_str()) != 0) return fail(errno);
    return {};
}

}  // namespace qdm
