#pragma once
// Unsaved text kept on disk, so an editor that is killed or loses its session loses nothing.
//
// Every running editor owns one set of files in the recovery directory, named by a token of
// its own: TOKEN.text (the text's exact bytes), TOKEN.origin (which file it belonged to) and
// TOKEN.lock, on which the owner holds an exclusive flock for as long as it runs. The kernel
// drops the lock when the process ends however it ends, so a set whose lock can be taken
// belongs to nobody alive: only such sets are ever offered, taken over or deleted, and one
// editor never touches the live text of another. Text and origin are replaced atomically.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "editor/file_io.h"

namespace qdm {

// $XDG_STATE_HOME/mked when that variable holds an absolute path, else ~/.local/state/mked.
std::string DefaultRecoveryDir();

// The file a kept text belonged to.
struct RecoveryOrigin {
    std::string path;  // loaded from or last saved to; empty when it has none
    std::string name;  // the file name the window showed; empty when none
    bool operator==(const RecoveryOrigin&) const = default;
};

// An exclusive flock held through an open descriptor; released when closed.
class HeldLock {
  public:
    HeldLock() = default;
    explicit HeldLock(int fd) : m_fd(fd) {}
    HeldLock(HeldLock&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    HeldLock& operator=(HeldLock&& other) noexcept;
    ~HeldLock();
    bool Held() const { return m_fd >= 0; }

  private:
    int m_fd = -1;
};

// A text kept by an editor that is gone. Its lock is held while this object lives, so no
// other editor offers or deletes it meanwhile.
struct LeftRecovery {
    std::string dir;
    std::string token;
    int64_t time = 0;  // when it was last written, seconds since the epoch
    int64_t size = 0;
    RecoveryOrigin origin;
    HeldLock lock;

    IoStatus Load(std::string& text) const;  // the kept bytes, exactly
    void Discard();                          // deletes its files
};

// The sets in `dir` whose owners are gone, newest first. Stale locks and temporaries of
// owners that left no text are cleared on the way.
std::vector<LeftRecovery> FindLeftRecoveries(const std::string& dir);

// This editor's own set. Writes run on a worker thread from a copy of the text, so the
// caller never waits for the disk; a write that is still waiting when a newer one arrives is
// dropped in its favour. The copy itself is cheapest into memory that is already touched:
// the worker can get such a buffer ready (Prepare), so that the caller's share of a write
// is one memcpy, and the memory lives only while a write needs it.
class RecoveryFile {
  public:
    // Told on the worker thread how each write or removal went, and when a prepared buffer
    // is ready (with success).
    using Listener = std::function<void(const IoStatus&)>;

    // A set under a new token in `dir` (created with mode 0700 where missing).
    static std::unique_ptr<RecoveryFile> Create(const std::string& dir, IoStatus& status);
    // Takes over a left set: its text becomes this editor's kept text.
    static std::unique_ptr<RecoveryFile> Adopt(LeftRecovery&& left);

    // Finishes the work in hand and keeps what was written, as a killed editor would: a text
    // still kept is offered at the next start. Close first for a clean end.
    ~RecoveryFile();
    RecoveryFile(const RecoveryFile&) = delete;
    RecoveryFile& operator=(const RecoveryFile&) = delete;

    void SetListener(Listener listener);
    void Write(std::string text, RecoveryOrigin origin);
    // Writes and waits; for the last moments of a process.
    IoStatus WriteNow(std::string text, RecoveryOrigin origin);
    // Gets a buffer of `capacity` bytes ready, its pages touched, for the next copy.
    void Prepare(size_t capacity);
    // The prepared buffer, emptied, when there is one; else an empty string.
    std::string TakeBuffer();
    // No kept text remains (after the work in hand).
    void Remove();
    // The clean end: removes the text and the lock; the object is spent.
    void Close();
    // Waits until the worker is idle.
    void Wait();

    std::string TextPath() const { return Path(".text"); }
    std::string OriginPath() const { return Path(".origin"); }
    std::string LockPath() const { return Path(".lock"); }

  private:
    struct Job {
        bool remove = false;
        std::string text;
        RecoveryOrigin origin;
    };

    RecoveryFile(std::string dir, std::string token, HeldLock lock);
    std::string Path(const char* suffix) const { return m_dir + "/" + m_token + suffix; }
    void Post(Job job);
    void Run();
    void GetReady(std::unique_lock<std::mutex>& lock);
    IoStatus Carry(const Job& job);

    const std::string m_dir;
    const std::string m_token;
    HeldLock m_lock;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<Job> m_pending;
    size_t m_prepare = 0;     // capacity of a buffer to get ready
    std::string m_ready;      // the buffer got ready
    uint64_t m_removals = 0;  // a buffer got ready across a removal is not kept
    bool m_busy = false;
    bool m_stop = false;
    IoStatus m_last;
    Listener m_listener;
    std::optional<RecoveryOrigin> m_writtenOrigin;  // worker only
    std::thread m_worker;
};

}  // namespace qdm
