#pragma once
// The directory batch: every file of a directory tree, processed in place.
//
// A walker thread enumerates the tree depth first and hands the files over one at a time
// through a single slot; the processing side takes a path from the slot, applies the
// dictionary and writes the file back. The processing side runs on the caller's thread in
// budgeted ticks, so a GUI timer (about 10 ms per tick) or the command line can drive it:
//
//     CPolyDirBatch batch(dict, dir);          // counts the files (synchronously)
//     batch.Start();                           // starts the walker
//     // every timer tick:
//     batch.Tick(std::chrono::milliseconds(10));
//     const PolyDirProgress& p = batch.Progress();
//     //   show p.currentFile, p.word / p.replacement, p.wordsReplaced, p.filesDone,
//     //   p.percent, p.filesSkipped; stop the timer when p.state != PolyDirState::Running
//     for (PolyFileResult& r : batch.TakeResults()) { ... }   // one record per file finished
//     // the interrupt button:
//     batch.Interrupt();                       // stop flag, wait for the walker; the file in
//                                              // hand is dropped unwritten
//
// Only Tick, Interrupt, Progress and TakeResults are called from the driving thread; the
// walker touches nothing but the shared slot. Write-backs go to a small pool of writer
// threads (poly_writer.h), so the flush of one file to the disk overlaps the processing of
// the next. A file counts as done when its text goes to the writers (a failed write takes it
// back and counts it as skipped); its record is reported once the write has finished, and
// records come out in the walker's order. In the final state every write has finished. Directory
// links are neither counted nor entered; a link to a file is processed through its target, and the
// write-back replaces the target, not the link. Entries of each directory are taken in byte order
// of their names.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "polyphone/poly_dict.h"
#include "polyphone/poly_engine.h"
#include "polyphone/poly_file.h"
#include "polyphone/poly_order.h"
#include "polyphone/poly_writer.h"

namespace qdm {

struct PolyDirShared;  // the walker's slot (poly_dir_walk.h)

// Entries under `dir` the walk hands over: files of every kind (links to directories are not
// entered, temporaries and lock files are passed over) and directories that cannot be read.
int CountFilesInTree(const std::string& dir);

// Which files a run has processed (device and inode), so that a file reached by several
// paths is processed once; owned by the caller that drives one or more batches.
class PolySeenFiles {
  public:
    // True the first time `path`'s file is met; otherwise false with the first path.
    bool Claim(const std::string& path, std::string& firstPath);

  private:
    std::map<std::pair<uint64_t, uint64_t>, std::string> m_byInode;  // device, inode -> path
    std::map<std::string, std::string> m_byPath;                     // real path -> path
};

enum class PolyDirState {
    Ready,           // constructed, files counted, walker not started
    Running,         // walking and processing
    Finished,        // every file handled; percent is 100
    Interrupted,     // Interrupt() was called; the walker has ended
    DictionaryLost,  // the dictionary could not be read any more: the run stopped, the file in
                     // hand unwritten; the walker has ended and every write has finished
};

struct PolyDirProgress {
    std::string directory;    // as given
    std::string currentFile;  // the file in hand (or the last one), relative to the directory
    std::string word;         // GBK: the entry applied last (kept across files)
    std::string replacement;  // GBK
    int64_t wordsReplaced = 0;
    int totalFiles = 0;    // CountFilesInTree at construction
    int filesDone = 0;     // files processed and written back (or being written)
    int filesSkipped = 0;  // files refused (see PolyFileResult::outcome), empty files included
    int percent = 0;       // filesDone * 100 / totalFiles; 100 in the final state
    PolyDirState state = PolyDirState::Ready;
};

class CPolyDirBatch {
  public:
    struct Options {
        bool dryRun = false;  // process but write nothing; results say what would change
        // Files already processed by the run this batch belongs to; null: the batch alone.
        PolySeenFiles* seen = nullptr;
        // When set, called with a file's text as read and as the dictionary left it, before
        // it is written: a further pass over the text (the context fix of qdm polyphone).
        std::function<void(std::string_view before, std::string& text)> afterDictionary = {};
    };

    // Counts the files of `directory` before returning.
    CPolyDirBatch(const CPolyDict& dict, std::string directory, Options options);
    CPolyDirBatch(const CPolyDict& dict, std::string directory)
        : CPolyDirBatch(dict, std::move(directory), Options{}) {}
    ~CPolyDirBatch();  // interrupts a running batch
    CPolyDirBatch(const CPolyDirBatch&) = delete;
    CPolyDirBatch& operator=(const CPolyDirBatch&) = delete;

    // Starts the walker thread (once).
    void Start();
    // Processes for about `budget`: takes files from the slot, applies the dictionary, writes
    // them back. When the slot is empty it waits for the walker, at most for what is left of
    // the budget. Returns true while the batch is still running.
    bool Tick(PolyBudget budget);
    // Sets the stop flag and waits for the walker; a file in hand keeps its old content. Files
    // already handed to the writers are written completely (each write is atomic).
    void Interrupt();

    const PolyDirProgress& Progress() const { return m_progress; }
    // Records of the files finished (done or skipped) since the last call, in order.
    std::vector<PolyFileResult> TakeResults();
    // Temporaries older than the run met since the last call: left by a run that was killed,
    // or by one still writing. Neither processed nor removed.
    std::vector<std::string> TakeStaleTemporaries();

  private:
    bool TakeFile();  // moves the pending path into hand; false when the slot is empty
    void OpenFile();  // reads the file in hand and starts the stepper on it
    bool FinishFile(PolyWriter::Clock::time_point deadline);  // hands the file to the writers
    void Skip(PolyOutcome why, std::string detail = {});
    void Skip(PolyFileResult refused);                 // as LoadFileForPolyphone left it
    void Record(uint64_t seq, PolyFileResult result);  // a file's final record
    void CollectWrites();
    void UpdatePercent();
    void EnterFinalState();
    void StopForLostDictionary();
    // One step of a tick: the file in hand advances, or the next file comes from the slot (or
    // the run ends). Continue: go on while the budget lasts; Yield: wait for the next tick.
    enum class TickStep { Continue, Yield, Stop };
    TickStep StepFileInHand(PolyWriter::Clock::time_point deadline);
    TickStep NextFileOrFinish(PolyWriter::Clock::time_point deadline);
    std::string Relative(const std::string& path) const;

    const CPolyDict& m_dict;
    Options m_options;
    PolySeenFiles m_ownSeen;
    std::unique_ptr<PolyDirShared> m_shared;
    std::thread m_walker;
    std::string m_directory;  // without trailing separators ("/" stays "/")
    std::string m_currentPath;
    uint64_t m_currentSeq = 0;
    uint64_t m_nextSeq = 0;
    bool m_inHand = false;
    bool m_processed = false;  // the file in hand waits only for a free writer
    PolyWriter::Job m_job;     // its processed text, then
    std::string m_original;    // its text as read, kept for Options::afterDictionary
    CPolyStepper m_stepper;
    int64_t m_fileReplacements = 0;
    PolyDirProgress m_progress;
    PolyWriter m_writer;
    std::map<uint64_t, PolyFileResult> m_writing;  // handed to the writers, by number
    PolyInOrder<PolyFileResult> m_finished;        // final records, waiting for earlier numbers
    std::vector<PolyFileResult> m_results;
};

}  // namespace qdm
