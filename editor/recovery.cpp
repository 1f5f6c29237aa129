#include "editor/recovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "editor/error_text.h"

namespace qdm {
namespace {

IoStatus Errno(const std::string& path) {
    return IoStatus::Fail(path, ErrorText(errno));
}

bool EndsWith(const std::string& s, std::string_view end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// Creates the directory and any missing parents, private to the user.
IoStatus MakeDirs(const std::string& dir) {
    for (size_t at = 1; at <= dir.size(); ++at) {
        if (at != dir.size() && dir[at] != '/') continue;
        const std::string part = dir.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return Errno(part);
    }
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0) return Errno(dir);
    if (!S_ISDIR(st.st_mode)) return IoStatus::Fail(dir, ErrorText(ENOTDIR));
    return {};
}

std::string NewToken() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    static const char hex[] = "0123456789abcdef";
    std::string token = std::to_string(::getpid()) + "-";
    uint64_t v = static_cast<uint64_t>(now.tv_sec) * 1000000000u + now.tv_nsec;
    for (int shift = 60; shift >= 0; shift -= 4) token += hex[(v >> shift) & 0xF];
    return token;
}

// The lock of a set, taken without waiting; an empty lock when its owner still holds it or
// the file is not (or no longer) the one at `path`.
HeldLock TryLock(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return {};
    HeldLock lock(fd);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return {};
    // The owner may have deleted the file between our open and our lock.
    struct stat held, now;
    if (::fstat(fd, &held) != 0 || ::stat(path.c_str(), &now) != 0 || held.st_ino != now.st_ino ||
        held.st_dev != now.st_dev)
        return {};
    return lock;
}

// A new lock file that is held before it carries its name, so no one ever finds it unheld.
HeldLock CreateLock(const std::string& dir, const std::string& token, IoStatus& status) {
    const std::string fresh = dir + "/." + token + ".lock-new";
    const std::string path = dir + "/" + token + ".lock";
    const int fd = ::open(fresh.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        status = Errno(fresh);
        return {};
    }
    HeldLock lock(fd);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::rename(fresh.c_str(), path.c_str()) != 0) {
        status = Errno(path);
        ::unlink(fresh.c_str());
        return {};
    }
    return lock;
}

// Leftovers of a token's atomic writes: hidden files that name it.
void RemoveTemporaries(const std::string& dir, const std::string& token) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() > 1 && name[0] == '.' && name.find(token) != std::string::npos)
            ::unlink((dir + "/" + name).c_str());
    }
    ::closedir(d);
}

// The file's bytes as they are, NUL bytes included.
IoStatus ReadRaw(const std::string& path, std::string& out) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Errno(path);
    HeldLock closer(fd);  // closes the descriptor; it holds no lock
    struct stat st;
    if (::fstat(fd, &st) != 0) return Errno(path);
    if (st.st_size >= MaxFileSize()) return IoStatus::Fail(path, TooLargeReason());
    out.assign(static_cast<size_t>(st.st_size), '\0');
    size_t got = 0;
    while (got < out.size()) {
        const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Errno(path);
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    out.resize(got);
    return {};
}

// "PATH NUL NAME NUL": a path never holds a NUL byte. Anything else reads as no origin.
RecoveryOrigin ReadOrigin(const std::string& path) {
    RecoveryOrigin origin;
    std::string raw;
    if (!ReadRaw(path, raw)) return origin;
    const size_t first = raw.find('\0');
    if (first == std::string::npos) return origin;
    const size_t second = raw.find('\0', first + 1);
    if (second == std::string::npos) return origin;
    origin.path = raw.substr(0, first);
    origin.name = raw.substr(first + 1, second - first - 1);
    return origin;
}

std::string OriginBytes(const RecoveryOrigin& origin) {
    std::string bytes = origin.path;
    bytes += '\0';
    bytes += origin.name;
    bytes += '\0';
    return bytes;
}

IoStatus Unlink(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return Errno(path);
    return {};
}

}  // namespace

std::string DefaultRecoveryDir() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/mked";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : ".") + "/.local/state/mked";
}

// ---- HeldLock ------------------------------------------------------------------------------

HeldLock& HeldLock::operator=(HeldLock&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

HeldLock::~HeldLock() {
    if (m_fd >= 0) ::close(m_fd);
}

// ---- left sets -----------------------------------------------------------------------------

IoStatus LeftRecovery::Load(std::string& text) const {
    return ReadRaw(dir + "/" + token + ".text", text);
}

void LeftRecovery::Discard() {
    ::unlink((dir + "/" + token + ".text").c_str());
    ::unlink((dir + "/" + token + ".origin").c_str());
    RemoveTemporaries(dir, token);
    ::unlink((dir + "/" + token + ".lock").c_str());
    lock = HeldLock();
}

std::vector<LeftRecovery> FindLeftRecoveries(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d)) names.emplace_back(e->d_name);
        ::closedir(d);
    }
    std::vector<LeftRecovery> left;
    for (const std::string& name : names) {
        if (name[0] == '.' || !EndsWith(name, ".lock")) continue;
        LeftRecovery r;
        r.dir = dir;
        r.token = name.substr(0, name.size() - 5);
        r.lock = TryLock(dir + "/" + name);
        if (!r.lock.Held()) continue;
        struct stat st;
        if (::stat((dir + "/" + r.token + ".text").c_str(), &st) != 0) {
            r.Discard();  // an owner that ended without leaving a text
            continue;
        }
        r.time = st.st_mtim.tv_sec;
        r.size = st.st_size;
        r.origin = ReadOrigin(dir + "/" + r.token + ".origin");
        left.push_back(std::move(r));
    }
    std::sort(left.begin(), left.end(),
              [](const LeftRecovery& a, const LeftRecovery& b) { return a.time > b.time; });
    return left;
}

// ---- this editor's set ---------------------------------------------------------------------

RecoveryFile::RecoveryFile(std::string dir, std::string token, HeldLock lock)
    : m_dir(std::move(dir)), m_token(std::move(token)), m_lock(std::move(lock)) {
    m_worker = std::thread([this] { Run(); });
}

std::unique_ptr<RecoveryFile> RecoveryFile::Create(const std::string& dir, IoStatus& status) {
    status = MakeDirs(dir);
    if (!status) return nullptr;
    const std::string token = NewToken();
    HeldLock lock = CreateLock(dir, token, status);
    if (!lock.Held()) return nullptr;
    return std::unique_ptr<RecoveryFile>(new RecoveryFile(dir, token, std::move(lock)));
}

std::unique_ptr<RecoveryFile> RecoveryFile::Adopt(LeftRecovery&& left) {
    RemoveTemporaries(left.dir, left.token);
    auto file = std::unique_ptr<RecoveryFile>(
        new RecoveryFile(std::move(left.dir), std::move(left.token), std::move(left.lock)));
    file->m_writtenOrigin = left.origin;
    return file;
}

RecoveryFile::~RecoveryFile() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_worker.joinable()) m_worker.join();
    struct stat st;
    if (m_lock.Held() && ::stat(TextPath().c_str(), &st) != 0) ::unlink(LockPath().c_str());
}

void RecoveryFile::SetListener(Listener listener) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listener = std::move(listener);
}

void RecoveryFile::Post(Job job) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending = std::move(job);
    }
    m_wake.notify_all();
}

void RecoveryFile::Write(std::string text, RecoveryOrigin origin) {
    Post(Job{false, std::move(text), std::move(origin)});
}

IoStatus RecoveryFile::WriteNow(std::string text, RecoveryOrigin origin) {
    Write(std::move(text), std::move(origin));
    Wait();
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_last;
}

void RecoveryFile::Prepare(size_t capacity) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_prepare = capacity;
    }
    m_wake.notify_all();
}

std::string RecoveryFile::TakeBuffer() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string buffer = std::move(m_ready);
    m_ready = std::string();
    buffer.clear();  // keeps the capacity
    return buffer;
}

void RecoveryFile::Remove() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_prepare = 0;
        std::string().swap(m_ready);  // assigning an empty string would keep the capacity
        ++m_removals;
    }
    Post(Job{true, {}, {}});
}

void RecoveryFile::Close() {
    Remove();
    Wait();
    ::unlink(LockPath().c_str());
    m_lock = HeldLock();
}

void RecoveryFile::Wait() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_pending && !m_prepare && !m_busy; });
}

void RecoveryFile::GetReady(std::unique_lock<std::mutex>& lock) {
    const size_t capacity = std::exchange(m_prepare, 0);
    const uint64_t removals = m_removals;
    m_busy = true;
    lock.unlock();
    // Writing every page is what makes the caller's copy a plain memcpy.
    std::string buffer(capacity, '\0');
    lock.lock();
    if (removals == m_removals) m_ready = std::move(buffer);
    const Listener listener = m_listener;
    lock.unlock();
    if (listener) listener(IoStatus{});
    lock.lock();
    m_busy = false;
    if (!m_pending && !m_prepare) m_idle.notify_all();
}

void RecoveryFile::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_pending || m_prepare || m_stop; });
        if (m_prepare && !m_stop) {
            GetReady(lock);
            continue;
        }
        if (!m_pending) return;
        const Job job = std::move(*m_pending);
        m_pending.reset();
        m_busy = true;
        lock.unlock();
        const IoStatus status = Carry(job);
        lock.lock();
        m_last = status;
        const Listener listener = m_listener;
        lock.unlock();
        // Told before anyone waiting is released, so Wait covers the listener too.
        if (listener) listener(status);
        lock.lock();
        m_busy = false;
        if (!m_pending && !m_prepare) m_idle.notify_all();
    }
}

IoStatus RecoveryFile::Carry(const Job& job) {
    if (job.remove) {
        m_writtenOrigin.reset();
        IoStatus status = Unlink(TextPath());
        IoStatus origin = Unlink(OriginPath());
        return status ? origin : status;
    }
    // The text first: it is what matters, and its rename is what makes a set worth offering.
    IoStatus status = WriteFileAtomic(TextPath(), job.text);
    if (status && m_writtenOrigin != job.origin) {
        status = WriteFileAtomic(OriginPath(), OriginBytes(job.origin));
        if (status) m_writtenOrigin = job.origin;
    }
    return status;
}

}  // namespace qdm
