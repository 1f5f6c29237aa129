#pragma once
// How far a long pass over a book has got, told to whoever shows it, and whether to go on: a
// pass of several seconds (多音字检查 on 100 MB) reports its share now and then and stops
// early once the user has cancelled it.
#include <cstddef>
#include <functional>
#include <utility>

namespace qdm {

class PassMeter {
  public:
    // Told the share of the whole done so far, from the pass's own thread; false: stop.
    using Tell = std::function<bool(double share)>;

    PassMeter() = default;
    // `stride`: the bytes of a pass between two reports (AtByte).
    explicit PassMeter(Tell tell, size_t stride = kStride)
        : m_tell(std::move(tell)), m_stride(stride) {}

    // A callee's phases are parts of the span its caller gave it: [from, to) of the whole.
    void Span(double from, double to) {
        m_spanFrom = from;
        m_spanTo = to;
        Phase(0, 1);
    }
    // What follows is the part [from, to) of the current span.
    void Phase(double from, double to) {
        m_from = m_spanFrom + (m_spanTo - m_spanFrom) * from;
        m_to = m_spanFrom + (m_spanTo - m_spanFrom) * to;
        m_next = 0;
    }
    // `done` of the current phase (0..1) is done; false once the pass is to stop.
    bool At(double done) {
        if (!m_stopped && m_tell) m_stopped = !m_tell(m_from + (m_to - m_from) * done);
        return !m_stopped;
    }
    // The same for `pos` bytes of `size`, told once per stride at most: cheap enough to call
    // for every character.
    bool AtByte(size_t pos, size_t size) {
        if (pos < m_next) return !m_stopped;
        m_next = pos + m_stride;
        return At(size ? static_cast<double>(pos) / static_cast<double>(size) : 1.0);
    }
    bool Stopped() const { return m_stopped; }

    static constexpr size_t kStride = 1u << 20;

  private:
    Tell m_tell;
    size_t m_stride = kStride;
    double m_spanFrom = 0, m_spanTo = 1;
    double m_from = 0, m_to = 1;
    size_t m_next = 0;
    bool m_stopped = false;
};

}  // namespace qdm
