#pragma once
// Results that finish out of order (several writers at once) handed on in the order their
// files were numbered, so a report reads like the walk that produced it.
#include <cstdint>
#include <map>
#include <utility>

namespace qdm {

template <class T>
class PolyInOrder {
  public:
    // Takes result `seq` and hands every result that is now next in line to `emit`.
    template <class Emit>
    void Put(uint64_t seq, T value, Emit&& emit) {
        m_waiting.emplace(seq, std::move(value));
        for (auto it = m_waiting.begin(); it != m_waiting.end() && it->first == m_next;
             it = m_waiting.erase(it), ++m_next)
            emit(it->second);
    }

  private:
    std::map<uint64_t, T> m_waiting;
    uint64_t m_next = 0;
};

}  // namespace qdm
