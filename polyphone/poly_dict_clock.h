#pragma once
// What a dictionary asks of the system to tell whether its file changed since it was read: the
// file's stamp, and the time now on the clock file times are taken from. A test hands in its
// own to stage a rewrite that lands within the clock tick of the read.
#include <cstdint>
#include <string>

namespace qdm {

// A regular file's identity, size, modification and change time (nanoseconds).
struct PolyFileStamp {
    bool valid = false;  // false: missing, or not a regular file
    uint64_t dev = 0, ino = 0;
    int64_t size = -1, mtimeNs = 0, ctimeNs = 0;
    bool operator==(const PolyFileStamp&) const = default;
};

class IPolyDictClock {
  public:
    virtual ~IPolyDictClock() = default;
    virtual PolyFileStamp Stamp(const std::string& path) const = 0;
    virtual int64_t NowNs() const = 0;
};

// stat(2) and the real-time clock.
const IPolyDictClock& SystemPolyDictClock();

// File times come from a clock that may lag the real one by a scheduler tick; a write that
// lands within this much of a read may carry the stamp of the version read.
inline constexpr int64_t kPolyRacyWindowNs = 100'000'000;

// Whether a file read from `readStartNs` on with stamp `stamp` could be rewritten without its
// stamp showing it, so that an equal stamp later proves nothing.
inline bool StampMayHideARewrite(const PolyFileStamp& stamp, int64_t readStartNs) {
    const int64_t last = stamp.mtimeNs > stamp.ctimeNs ? stamp.mtimeNs : stamp.ctimeNs;
    return last >= readStartNs - kPolyRacyWindowNs;
}

}  // namespace qdm
