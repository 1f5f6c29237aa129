#pragma once
// The walker side of the directory batch: the single-slot hand-over and the walk itself.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qdm {

// The one lock and what it guards: the pending path (empty: the slot is free) with, for a
// directory that cannot be read, why, the two flags and the temporaries
// found that are older than the walk. Never held across file access or enumeration.
struct PolyDirShared {
    std::mutex lock;
    std::condition_variable changed;  // the slot was filled or emptied, or a flag was set
    std::string pending;
    std::optional<std::string> pendingUnreadable;  // the system's reason
    bool walkFinished = false;
    bool stop = false;
    int64_t startNs = 0;  // wall clock; set before the walker starts
    std::vector<std::string> staleTemporaries;
};

// Walks `dir` depth first, handing each file over through the slot; returns early when the
// stop flag is set.
void PolyDirWalk(PolyDirShared& shared, const std::string& dir);
// The walker thread: walks `dir`, waits until the last path was taken (or stop), sets the
// walk-finished flag.
void PolyDirThread(PolyDirShared& shared, std::string dir);

}  // namespace qdm
