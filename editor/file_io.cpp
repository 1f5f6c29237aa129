#include "editor/file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "editor/text_buffer.h"

namespace qdm {
namespace {

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

IoStatus ReadWholeFile(const std::string& path, std::string& out) {
    Fd f;
    f.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (f.fd < 0) return Errno(path);
    struct stat st;
    if (::fstat(f.fd, &st) != 0) return Errno(path);
    if (S_ISDIR(st.st_mode)) return IoStatus::Fail(path, std::strerror(EISDIR));
    if (st.st_size >= kMaxFileSize)
        return IoStatus::Fail(path, "file is 2 GiB or larger; positions would not fit");
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
    out = std::move(data);
    return {};
}

MappedFile::~MappedFile() {
    if (m_mapped) ::munmap(const_cast<char*>(m_data), m_size);
}

IoStatus MappedFile::Open(const std::string& path) {
    Fd f;
    f.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (f.fd < 0) return Errno(path);
    struct stat st;
    if (::fstat(f.fd, &st) != 0) return Errno(path);
    if (S_ISDIR(st.st_mode)) return IoStatus::Fail(path, std::strerror(EISDIR));
    if (!S_ISREG(st.st_mode)) return IoStatus::Fail(path, "not a regular file");
    if (st.st_size >= kMaxFileSize)
        return IoStatus::Fail(path, "file is 2 GiB or larger; positions would not fit");
    if (st.st_size == 0) return {};
    void* data = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ,
                        MAP_PRIVATE | MAP_POPULATE, f.fd, 0);
    if (data == MAP_FAILED) return Errno(path);
    m_data = static_cast<const char*>(data);
    m_size = static_cast<size_t>(st.st_size);
    m_mapped = true;
    return {};
}

FileText TextUpToNul(std::string bytes) {
    FileText out;
    out.fileSize = static_cast<int64_t>(bytes.size());
    const size_t nul = bytes.find('\0');
    out.hadNul = nul != std::string::npos;
    if (out.hadNul) bytes.resize(nul);
    out.text = std::move(bytes);
    return out;
}

IoStatus ReadTextFile(const std::string& path, FileText& out) {
    std::string bytes;
    IoStatus status = ReadWholeFile(path, bytes);
    if (status) out = TextUpToNul(std::move(bytes));
    return status;
}

AtomicFileWriter::~AtomicFileWriter() {
    Abandon();
}

void AtomicFileWriter::Abandon() {
    if (m_fd < 0) return;
    ::close(m_fd);
    ::unlink(m_tmp.c_str());
    m_fd = -1;
}

IoStatus AtomicFileWriter::Fail(int err) {
    Abandon();
    return IoStatus::Fail(m_requested, std::strerror(err));
}

IoStatus AtomicFileWriter::Open(const std::string& requested) {
    Abandon();
    m_requested = requested;
    m_path = ResolveTarget(requested);
    struct stat st;
    const bool exists = ::stat(m_path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return IoStatus::Fail(requested, std::strerror(EISDIR));
    // A rename would replace a file we may not write; refuse it as an in-place write would.
    if (exists && ::access(m_path.c_str(), W_OK) != 0) return Errno(requested);

    m_tmp = DirOf(m_path) + "/." + BaseOf(m_path) + ".XXXXXX";
    m_fd = ::mkostemp(m_tmp.data(), O_CLOEXEC);
    if (m_fd < 0) return Errno(requested);
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(m_fd, mode) != 0) return Fail(errno);
    if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
        // Keeping the owner works only with the right to do so; the save goes on without it.
        [[maybe_unused]] int ignored = ::fchown(m_fd, st.st_uid, st.st_gid);
    }
    return {};
}

IoStatus AtomicFileWriter::Write(std::string_view data) {
    if (m_fd < 0) return IoStatus::Fail(m_requested, std::strerror(EBADF));
    if (!WriteAll(m_fd, data)) return Fail(errno);
    return {};
}

IoStatus AtomicFileWriter::Restart() {
    if (m_fd < 0) return IoStatus::Fail(m_requested, std::strerror(EBADF));
    if (::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) != 0) return Fail(errno);
    return {};
}

IoStatus AtomicFileWriter::Commit() {
    if (m_fd < 0) return IoStatus::Fail(m_requested, std::strerror(EBADF));
    if (::fsync(m_fd) != 0) return Fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        ::unlink(m_tmp.c_str());
        return IoStatus::Fail(m_requested, std::strerror(errno));
    }
    if (::rename(m_tmp.c_str(), m_path.c_str()) != 0) {
        const int err = errno;
        ::unlink(m_tmp.c_str());
        return IoStatus::Fail(m_requested, std::strerror(err));
    }
    return {};
}

IoStatus WriteFileAtomic(const std::string& requested, std::string_view data) {
    AtomicFileWriter writer;
    if (IoStatus status = writer.Open(requested); !status) return status;
    if (IoStatus status = writer.Write(data); !status) return status;
    return writer.Commit();
}

}  // namespace qdm
