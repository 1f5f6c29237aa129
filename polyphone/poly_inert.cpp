#include "polyphone/poly_inert.h"

#include <algorithm>
#include <cstring>

namespace qdm {

void InertResolver::Choose() {
    const size_t n = m_cluster.size();
    m_order.resize(n);
    for (uint32_t i = 0; i < n; ++i) m_order[i] = i;
    // Stable: equal entries keep their position order.
    std::stable_sort(m_order.begin(), m_order.end(), [&](uint32_t a, uint32_t b) {
        return m_cluster[a].entry < m_cluster[b].entry;
    });
    const size_t base = m_cluster.front().pos;
    m_used.assign(m_clusterEnd - base, 0);
    m_taken.assign(n, 0);
    for (uint32_t i : m_order) {
        const Occurrence& o = m_cluster[i];
        uint8_t* span = m_used.data() + (o.pos - base);
        if (std::memchr(span, 1, o.len)) continue;
        std::memset(span, 1, o.len);
        m_taken[i] = 1;
    }
}

}  // namespace qdm
