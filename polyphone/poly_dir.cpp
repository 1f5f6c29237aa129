#include "polyphone/poly_dir.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>

#include "editor/error_text.h"
#include "polyphone/poly_dict_edit.h"
#include "polyphone/poly_dir_walk.h"

namespace qdm {
namespace {

struct DirEntry {
    std::string name;
    bool isDir;
};

std::string Join(const std::string& dir, const std::string& name) {
    return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

int64_t Ns(const timespec& t) {
    return int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

int64_t WallNowNs() {
    timespec t;
    ::clock_gettime(CLOCK_REALTIME, &t);
    return Ns(t);
}

struct Listing {
    std::vector<DirEntry> entries;
    std::optional<std::string> unreadable;    // why the directory could not be read
    std::vector<std::string> oldTemporaries;  // modified before `startNs`
};

// The entries of `dir` worth walking, in byte order of their names: directories (not links to
// them) to enter, and everything else except links to directories as files. Temporaries
// (another run's write in progress, or a killed run's leftover) and lock files are no books.
Listing ListDir(const std::string& dir, int64_t startNs) {
    Listing out;
    DIR* d = ::opendir(dir.c_str());
    if (!d) {
        out.unreadable = ErrorText(errno);
        return out;
    }
    errno = 0;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        unsigned char type = e->d_type;
        const std::string path = Join(dir, name);
        struct stat st;
        if (IsTemporaryName(name)) {
            if (::lstat(path.c_str(), &st) == 0 && Ns(st.st_mtim) < startNs)
                out.oldTemporaries.push_back(path);
            continue;
        }
        if (IsPolyLockName(name)) continue;
        if (type == DT_UNKNOWN) {
            if (::lstat(path.c_str(), &st) != 0) continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
        }
        if (type == DT_LNK && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
        out.entries.push_back({name, type == DT_DIR});
        errno = 0;
    }
    if (errno != 0) out.unreadable = ErrorText(errno);
    ::closedir(d);
    std::sort(out.entries.begin(), out.entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    return out;
}

// Puts `path` into the slot once it is free; false when the stop flag came first.
bool HandOver(PolyDirShared& shared, std::string path, std::optional<std::string> unreadable = {}) {
    std::unique_lock<std::mutex> lock(shared.lock);
    shared.changed.wait(lock, [&] { return shared.pending.empty() || shared.stop; });
    if (shared.stop) return false;
    shared.pending = std::move(path);
    shared.pendingUnreadable = std::move(unreadable);
    shared.changed.notify_all();
    return true;
}

bool Stopped(PolyDirShared& shared) {
    std::lock_guard<std::mutex> guard(shared.lock);
    return shared.stop;
}

// Lists `dir` for the walk: hands it over as skipped when it cannot be read (what could be
// listed is still walked) and notes the old temporaries. False when the stop flag was set.
bool ListForWalk(PolyDirShared& shared, const std::string& dir, std::vector<DirEntry>& entries) {
    Listing listing = ListDir(dir, shared.startNs);
    if (!listing.oldTemporaries.empty()) {
        std::lock_guard<std::mutex> guard(shared.lock);
        for (std::string& t : listing.oldTemporaries)
            shared.staleTemporaries.push_back(std::move(t));
    }
    entries = std::move(listing.entries);
    return !listing.unreadable || HandOver(shared, dir, std::move(listing.unreadable));
}

}  // namespace

int CountFilesInTree(const std::string& dir) {
    int count = 0;
    std::vector<std::string> todo{dir};
    while (!todo.empty()) {
        const std::string d = std::move(todo.back());
        todo.pop_back();
        Listing listing = ListDir(d, 0);
        if (listing.unreadable) ++count;
        for (DirEntry& e : listing.entries) {
            if (e.isDir)
                todo.push_back(Join(d, e.name));
            else
                ++count;
        }
    }
    return count;
}

// Depth first with an explicit stack: a subdirectory is walked at once, before the remaining
// entries of its parent, and a deep tree costs no call stack.
void PolyDirWalk(PolyDirShared& shared, const std::string& dir) {
    struct Frame {
        std::string path;
        std::vector<DirEntry> entries;
        size_t next = 0;
    };
    std::vector<Frame> stack(1);
    stack[0].path = dir;
    if (!ListForWalk(shared, dir, stack[0].entries)) return;
    while (!stack.empty()) {
        if (Stopped(shared)) return;
        Frame& top = stack.back();
        if (top.next == top.entries.size()) {
            stack.pop_back();
            continue;
        }
        const DirEntry& e = top.entries[top.next++];
        std::string path = Join(top.path, e.name);
        if (e.isDir) {
            std::vector<DirEntry> entries;
            if (!ListForWalk(shared, path, entries)) return;
            stack.push_back({std::move(path), std::move(entries)});
        } else if (!HandOver(shared, std::move(path))) {
            return;
        }
    }
}

void PolyDirThread(PolyDirShared& shared, std::string dir) {
    PolyDirWalk(shared, dir);
    std::unique_lock<std::mutex> lock(shared.lock);
    shared.changed.wait(lock, [&] { return shared.pending.empty() || shared.stop; });
    shared.walkFinished = true;
    shared.changed.notify_all();
}

// ---- the batch --------------------------------------------------------------------------------

namespace {

std::string WithoutTrailingSlashes(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

}  // namespace

CPolyDirBatch::CPolyDirBatch(const CPolyDict& dict, std::string directory, Options options)
    : m_dict(dict),
      m_options(options),
      m_shared(std::make_unique<PolyDirShared>()),
      m_directory(WithoutTrailingSlashes(directory)),
      m_stepper(dict) {
    m_progress.directory = std::move(directory);
    m_progress.totalFiles = CountFilesInTree(m_directory);
    m_shared->startNs = WallNowNs();
}

CPolyDirBatch::~CPolyDirBatch() {
    if (m_walker.joinable()) Interrupt();
}

void CPolyDirBatch::Start() {
    if (m_progress.state != PolyDirState::Ready) return;
    m_progress.state = PolyDirState::Running;
    m_walker = std::thread(PolyDirThread, std::ref(*m_shared), m_directory);
}

std::string CPolyDirBatch::Relative(const std::string& path) const {
    const size_t skip = m_directory.size() + (m_directory.back() == '/' ? 0 : 1);
    return path.size() > skip ? path.substr(skip) : path;
}

bool CPolyDirBatch::TakeFile() {
    std::string path;
    std::optional<std::string> unreadable;
    {
        std::lock_guard<std::mutex> guard(m_shared->lock);
        if (m_shared->pending.empty()) return false;
        path.swap(m_shared->pending);
        unreadable.swap(m_shared->pendingUnreadable);
        m_shared->changed.notify_all();
    }
    m_currentPath = std::move(path);
    m_currentSeq = m_nextSeq++;
    m_progress.currentFile = Relative(m_currentPath);
    if (!unreadable) return true;
    Skip(PolyOutcome::Unreadable, std::move(*unreadable));
    return false;
}

void CPolyDirBatch::Record(uint64_t seq, PolyFileResult result) {
    m_finished.Put(seq, std::move(result),
                   [&](PolyFileResult& r) { m_results.push_back(std::move(r)); });
}

void CPolyDirBatch::Skip(PolyOutcome why, std::string detail) {
    m_inHand = m_processed = false;
    ++m_progress.filesSkipped;
    Record(m_currentSeq, {m_currentPath, m_progress.currentFile, why, 0, std::move(detail)});
}

void CPolyDirBatch::Skip(PolyFileResult refused) {
    Skip(refused.outcome, std::move(refused.detail));
}

void CPolyDirBatch::OpenFile() {
    if (!m_dict.Snapshot()->Readable()) return StopForLostDictionary();
    if (IsDictionaryFile(m_dict, m_currentPath)) return Skip(PolyOutcome::Dictionary);
    std::string first;
    PolySeenFiles& seen = m_options.seen ? *m_options.seen : m_ownSeen;
    if (!seen.Claim(m_currentPath, first)) return Skip(PolyOutcome::SameFile, std::move(first));
    std::string text;
    PolyFileResult refused;
    if (!LoadFileForPolyphone(m_currentPath, text, refused)) return Skip(std::move(refused));
    if (m_options.afterDictionary) m_original = text;
    m_stepper.Begin(std::move(text));
    m_fileReplacements = 0;
    m_inHand = true;
    m_processed = false;
}

bool CPolyDirBatch::FinishFile(PolyWriter::Clock::time_point deadline) {
    PolyFileResult result{m_currentPath, m_progress.currentFile, PolyOutcome::Written,
                          m_fileReplacements, std::string()};
    if (!m_processed) {
        m_processed = true;
        m_job = {m_currentSeq, m_currentPath, m_stepper.TakeText()};
        if (m_options.afterDictionary) {
            m_options.afterDictionary(m_original, m_job.text);
            std::string().swap(m_original);
        }
        if (static_cast<int64_t>(m_job.text.size()) >= MaxFileSize()) {
            m_job = {};
            m_progress.wordsReplaced -= m_fileReplacements;
            Skip(PolyOutcome::TooLarge);
            return true;
        }
    }
    if (m_options.dryRun) {
        std::string problem = WriteProblem(m_currentPath);
        m_job = {};
        if (!problem.empty()) {
            m_progress.wordsReplaced -= m_fileReplacements;
            Skip(PolyOutcome::WriteFailed, std::move(problem));
            return true;
        }
        m_inHand = m_processed = false;
        ++m_progress.filesDone;
        UpdatePercent();
        Record(m_currentSeq, std::move(result));
        return true;
    }
    if (!m_writer.Submit(m_job, deadline)) return false;  // kept in hand until a writer is free
    m_writing.emplace(m_currentSeq, std::move(result));
    m_inHand = m_processed = false;
    // Counted as done now, as a write in hand would be; a write that fails takes it back.
    ++m_progress.filesDone;
    UpdatePercent();
    return true;
}

void CPolyDirBatch::CollectWrites() {
    for (PolyWriter::Done& done : m_writer.TakeDone()) {
        auto it = m_writing.find(done.seq);
        if (it == m_writing.end()) continue;
        PolyFileResult result = std::move(it->second);
        m_writing.erase(it);
        if (!done.status) {
            // The file keeps its old content, so its replacements did not happen.
            --m_progress.filesDone;
            m_progress.wordsReplaced -= result.replacements;
            result.Skip(PolyOutcome::WriteFailed, done.status.reason);
            result.replacements = 0;
            ++m_progress.filesSkipped;
        }
        Record(done.seq, std::move(result));
    }
    UpdatePercent();
}

void CPolyDirBatch::UpdatePercent() {
    if (m_progress.totalFiles > 0)
        m_progress.percent = std::min(100, m_progress.filesDone * 100 / m_progress.totalFiles);
}

void CPolyDirBatch::EnterFinalState() {
    if (m_walker.joinable()) m_walker.join();
    m_progress.percent = 100;
    m_progress.state = PolyDirState::Finished;
}

bool CPolyDirBatch::Tick(PolyBudget budget) {
    if (m_progress.state == PolyDirState::Ready) Start();
    if (m_progress.state != PolyDirState::Running) return false;
    const PolyWriter::Clock::time_point deadline = PolyDeadline(budget);
    do {
        CollectWrites();
        const TickStep step = m_inHand ? StepFileInHand(deadline) : NextFileOrFinish(deadline);
        if (step != TickStep::Continue) return step == TickStep::Yield;
    } while (PolyWriter::Clock::now() < deadline);
    return true;
}

CPolyDirBatch::TickStep CPolyDirBatch::StepFileInHand(PolyWriter::Clock::time_point deadline) {
    if (m_processed) return FinishFile(deadline) ? TickStep::Continue : TickStep::Yield;
    PolyStepReport r = m_stepper.StepFor(deadline - PolyWriter::Clock::now());
    if (r.dictUnreadable) {
        StopForLostDictionary();
        return TickStep::Stop;
    }
    m_fileReplacements += r.replacements;
    m_progress.wordsReplaced += r.replacements;
    if (r.applied > 0) {
        m_progress.word = m_stepper.Word();
        m_progress.replacement = m_stepper.Replacement();
    }
    if (r.exhausted && !FinishFile(deadline)) return TickStep::Yield;
    return TickStep::Continue;
}

CPolyDirBatch::TickStep CPolyDirBatch::NextFileOrFinish(PolyWriter::Clock::time_point deadline) {
    bool walkOver = false;
    {
        std::unique_lock<std::mutex> lock(m_shared->lock);
        auto ready = [&] { return !m_shared->pending.empty() || m_shared->walkFinished; };
        if (deadline == PolyWriter::Clock::time_point::max())
            m_shared->changed.wait(lock, ready);
        else if (!m_shared->changed.wait_until(lock, deadline, ready))
            return TickStep::Yield;
        walkOver = m_shared->pending.empty();
    }
    if (!walkOver) {
        if (TakeFile()) OpenFile();
        return m_progress.state == PolyDirState::Running ? TickStep::Continue : TickStep::Stop;
    }
    // Every file is taken: wait for the last writes, then the final state.
    if (!m_writer.Idle())
        return m_writer.WaitForDone(deadline) ? TickStep::Continue : TickStep::Yield;
    CollectWrites();
    EnterFinalState();
    return TickStep::Stop;
}

void CPolyDirBatch::Interrupt() {
    {
        std::lock_guard<std::mutex> guard(m_shared->lock);
        m_shared->stop = true;
        m_shared->changed.notify_all();
    }
    if (m_walker.joinable()) m_walker.join();
    if (m_inHand) {
        m_stepper.TakeText();  // dropped unwritten: the file keeps its old content
        m_job = {};
        m_inHand = m_processed = false;
    }
    m_writer.Drain();
    CollectWrites();
    if (m_progress.state == PolyDirState::Running || m_progress.state == PolyDirState::Ready)
        m_progress.state = PolyDirState::Interrupted;
}

// Processing without the dictionary would report every later file as done with nothing
// replaced: the run ends here, with what was written so far reported.
void CPolyDirBatch::StopForLostDictionary() {
    Interrupt();
    m_progress.state = PolyDirState::DictionaryLost;
}

std::vector<std::string> CPolyDirBatch::TakeStaleTemporaries() {
    std::lock_guard<std::mutex> guard(m_shared->lock);
    std::vector<std::string> out;
    out.swap(m_shared->staleTemporaries);
    return out;
}

std::vector<PolyFileResult> CPolyDirBatch::TakeResults() {
    std::vector<PolyFileResult> out;
    out.swap(m_results);
    return out;
}

bool PolySeenFiles::Claim(const std::string& path, std::string& firstPath) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return true;  // the read will say why
    // The inode alone is not enough: a processed file is replaced by a new one, which a link
    // met later leads to. Its real path stays.
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    const std::string realPath = real ? real.get() : path;
    const auto inode =
        std::make_pair(static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino));
    if (auto it = m_byInode.find(inode); it != m_byInode.end()) {
        firstPath = it->second;
        return false;
    }
    if (auto it = m_byPath.find(realPath); it != m_byPath.end()) {
        firstPath = it->second;
        return false;
    }
    m_byInode.emplace(inode, path);
    m_byPath.emplace(realPath, path);
    return true;
}

}  // namespace qdm
