#include "polyphone/poly_dict_clock.h"

#include <sys/stat.h>

#include <ctime>

namespace qdm {
namespace {

int64_t Ns(const timespec& t) {
    return int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

class SystemClock : public IPolyDictClock {
  public:
    PolyFileStamp Stamp(const std::string& path) const override {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
        return {true,
                static_cast<uint64_t>(st.st_dev),
                static_cast<uint64_t>(st.st_ino),
                static_cast<int64_t>(st.st_size),
                Ns(st.st_mtim),
                Ns(st.st_ctim)};
    }
    int64_t NowNs() const override {
        timespec t;
        clock_gettime(CLOCK_REALTIME, &t);
        return Ns(t);
    }
};

}  // namespace

const IPolyDictClock& SystemPolyDictClock() {
    static const SystemClock clock;
    return clock;
}

}  // namespace qdm
