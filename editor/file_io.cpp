#include "editor/file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

#include "editor/error_text.h"
#include "editor/text_buffer.h"

namespace qdm {
namespace {

constexpr std::string_view kTempMark = ".qdmtmp-";
constexpr size_t kTempRandom = 6;  // mkostemp's XXXXXX

std::string NotRegularReason() {
    return CurrentErrorLanguage() == ErrorLanguage::Chinese
               ? "不是普通文件（FIFO、设备或套接字），不能作为文本打开"
               : "not a regular file";
}

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
// Hands the producer's pieces to a descriptor; remembers the first failure.
class FdSink : public FileSink {
  public:
    FdSink(int fd, bool canRewind) : m_fd(fd), m_canRewind(canRewind) {}
    bool Write(std::string_view piece) override {
        if (m_error == 0 && !WriteAll(m_fd, piece)) m_error = errno;
        return m_error == 0;
    }
    bool CanRewind() const override { return m_canRewind; }
    bool Rewind() override {
        if (m_error == 0 &&
            (!m_canRewind || ::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) != 0))
            m_error = m_canRewind ? errno : ESPIPE;
        return m_error == 0;
    }
    void Abort() override {
        if (m_error == 0) m_error = ECANCELED;
    }
    int Error() const { return m_error; }

  private:
    int m_fd;
    bool m_canRewind;
    int m_error = 0;
};

IoStatus WriteDirectly(const std::string& path, const FileProducer& produce) {
    Fd f;
    f.fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
    if (f.fd < 0) return Errno(path);
    FdSink sink(f.fd, false);
    produce(sink);
    if (sink.Error() != 0) return IoStatus::Fail(path, ErrorText(sink.Error()));
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

std::atomic<int64_t> g_maxFileSize{kMaxFileSize};

}  // namespace

std::string TooLargeReason() {
    return CurrentErrorLanguage() == ErrorLanguage::Chinese
               ? "文件达到或超过 2 GiB，位置超出 32 位的范围"
               : kTooLargeReason;
}

int64_t MaxFileSize() {
    return g_maxFileSize.load(std::memory_order_relaxed);
}

void SetMaxFileSize(int64_t limit) {
    g_maxFileSize = limit > 0 && limit <= kMaxFileSize ? limit : kMaxFileSize;
}

void MaxFileSizeFromEnvironment() {
    const char* value = std::getenv("QDM_TEST_MAX_FILE_SIZE");
    if (value == nullptr || *value == '\0') return;
    char* end = nullptr;
    const long long limit = std::strtoll(value, &end, 10);
    if (*end == '\0') SetMaxFileSize(limit);
}

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

IoStatus ReadAllFd(int fd, const std::string& name, std::string& out) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return Errno(name);
    if (S_ISDIR(st.st_mode)) return IoStatus::Fail(name, ErrorText(EISDIR));
    const bool regular = S_ISREG(st.st_mode);
    if (regular && st.st_size >= MaxFileSize()) return IoStatus::Fail(name, TooLargeReason());
    // A regular file's size is known; anything else is read until it ends, the text growing
    // as it comes. The bytes go through a small buffer that stays in the cache: a string can
    // only grow by bytes it fills in itself, and zero-filling a book just to read over it
    // would cost a pass over fresh memory.
    std::string data = NewTextBuffer(regular ? static_cast<size_t>(st.st_size) : 0);
    constexpr size_t kChunk = 256 * 1024;
    const std::unique_ptr<char[]> chunk(new char[kChunk]);
    for (;;) {
        const ssize_t n = ::read(fd, chunk.get(), kChunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Errno(name);
        }
        if (n == 0) break;
        if (static_cast<int64_t>(data.size()) + n >= MaxFileSize())
            return IoStatus::Fail(name, TooLargeReason());
        data.append(chunk.get(), static_cast<size_t>(n));
    }
    out = std::move(data);
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

IoStatus ReadTextFd(int fd, const std::string& name, FileText& out) {
    std::string bytes;
    IoStatus status = ReadAllFd(fd, name, bytes);
    if (status) out = TextUpToNul(std::move(bytes));
    return status;
}

IoStatus ReadWholeFile(const std::string& path, std::string& out) {
    Fd f;
    f.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (f.fd < 0) return Errno(path);
    return ReadAllFd(f.fd, path, out);
}

MappedFile::~MappedFile() {
    if (m_mapped) ::munmap(const_cast<char*>(m_data), m_size);
}

IoStatus MappedFile::Open(const std::string& path) {
    return OpenAs(path, false);
}

IoStatus MappedFile::OpenRegular(const std::string& path) {
    return OpenAs(path, true);
}

IoStatus MappedFile::OpenAs(const std::string& path, bool regularOnly) {
    struct stat st;
    if (regularOnly) {
        if (::stat(path.c_str(), &st) != 0) return Errno(path);
        if (S_ISDIR(st.st_mode)) return IoStatus::Fail(path, ErrorText(EISDIR));
        if (!S_ISREG(st.st_mode)) return IoStatus::Fail(path, NotRegularReason());
    }
    Fd f;
    // Not blocking either when a FIFO took the file's place since the look above.
    f.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | (regularOnly ? O_NONBLOCK : 0));
    if (f.fd < 0) return Errno(path);
    if (::fstat(f.fd, &st) != 0) return Errno(path);
    if (S_ISDIR(st.st_mode)) return IoStatus::Fail(path, ErrorText(EISDIR));
    if (regularOnly && !S_ISREG(st.st_mode)) return IoStatus::Fail(path, NotRegularReason());
    if (!S_ISREG(st.st_mode) || st.st_size == 0) {
        // A pipe or a device cannot be mapped (nor can an empty file): read it instead.
        IoStatus status = ReadAllFd(f.fd, path, m_copy);
        m_data = m_copy.data();
        m_size = m_copy.size();
        return status;
    }
    if (st.st_size >= MaxFileSize()) return IoStatus::Fail(path, TooLargeReason());
    void* data = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ,
                        MAP_PRIVATE | MAP_POPULATE, f.fd, 0);
    if (data == MAP_FAILED) return Errno(path);
    m_data = static_cast<const char*>(data);
    m_size = static_cast<size_t>(st.st_size);
    m_mapped = true;
    return {};
}

IoStatus MappedFile::Adopt(std::string bytes) {
    m_copy = std::move(bytes);
    m_data = m_copy.data();
    m_size = m_copy.size();
    return {};
}

IoStatus ReadTextFile(const std::string& path, FileText& out) {
    Fd f;
    f.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (f.fd < 0) return Errno(path);
    return ReadTextFd(f.fd, path, out);
}

IoStatus WriteFileAtomic(const std::string& path, std::string_view data) {
    return WriteFileAtomic(path, [data](FileSink& sink) { sink.Write(data); });
}

IoStatus WriteFileAtomic(const std::string& requested, const FileProducer& produce) {
    struct stat lst, st;
    const bool present = ::lstat(requested.c_str(), &lst) == 0;
    const bool exists = ::stat(requested.c_str(), &st) == 0;
    if (present && !exists) return Errno(requested);  // a link that leads nowhere
    if (exists && S_ISDIR(st.st_mode)) return IoStatus::Fail(requested, ErrorText(EISDIR));
    if (exists && !S_ISREG(st.st_mode)) return WriteDirectly(requested, produce);
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
        return IoStatus::Fail(requested, ErrorText(err));
    };
    if (exists) CopyOwnership(f.fd, st);
    if (::fchmod(f.fd, exists ? st.st_mode & 07777 : NewFileMode()) != 0) return fail(errno);
    FdSink sink(f.fd, true);
    produce(sink);
    if (sink.Error() != 0) return fail(sink.Error());
    if (::fsync(f.fd) != 0) return fail(errno);
    const int fd = f.fd;
    f.fd = -1;
    if (::close(fd) != 0) return fail(errno);
    std::lock_guard<std::mutex> guard(Temps().lock);
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        Temps().paths.erase(tmp);
        return IoStatus::Fail(requested, ErrorText(err));
    }
    Temps().paths.erase(tmp);
    return {};
}

}  // namespace qdm
