#pragma once
// The common shape of a pinyin dictionary, applied in one scan: every word is whole
// double-byte characters and every replacement is non-empty and holds no lead byte.
//
// Such a replacement is a run of single-byte characters, so it can neither be part of a
// match nor shift the division of the text around it into characters, and the "already
// replaced" test never holds (a match begins with a lead byte, a replacement never does).
// The text at any step of the literal loop therefore holds exactly the original occurrences
// that overlap no replacement made so far, and entry after entry the loop takes, left to
// right, every occurrence of its word that overlaps nothing taken before. That is a choice
// by priority (entry, then position) among the occurrences of the original text, and it can
// be made locally: occurrences that overlap nothing are taken at once, and only a cluster of
// overlapping ones is sorted.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qdm {

// Builds the result from the occurrences of the original text, fed in ascending position.
class InertResolver {
  public:
    // `text` is the original; replacement(entry) gives an entry's replacement.
    explicit InertResolver(std::string_view text) : m_text(text) {}

    // An occurrence of the word of `entry` (the first entry in the run that carries it) at
    // `pos`, `len` bytes long; positions never decrease from one call to the next.
    template <class Replacement>
    void Add(size_t pos, size_t len, uint32_t entry, Replacement&& replacement, std::string& out) {
        if (!m_cluster.empty() && pos >= m_clusterEnd) Flush(replacement, out);
        m_cluster.push_back({pos, len, entry});
        m_clusterEnd = std::max(m_clusterEnd, pos + len);
    }
    // Resolves what is pending; call before copying the rest of the text.
    template <class Replacement>
    void Flush(Replacement&& replacement, std::string& out);

    size_t Copied() const { return m_copied; }  // text[0, Copied()) is in `out`
    int64_t Replacements() const { return m_replacements; }

  private:
    struct Occurrence {
        size_t pos;
        size_t len;
        uint32_t entry;
    };
    // Marks which occurrences of a cluster of several the literal loop would take.
    void Choose();

    std::string_view m_text;
    std::vector<Occurrence> m_cluster;  // overlapping occurrences, by position
    size_t m_clusterEnd = 0;
    std::vector<uint32_t> m_order;  // cluster indices by (entry, position)
    std::vector<uint8_t> m_taken;   // per cluster index
    std::vector<uint8_t> m_used;    // per byte of the cluster's span
    size_t m_copied = 0;
    int64_t m_replacements = 0;
};

template <class Replacement>
void InertResolver::Flush(Replacement&& replacement, std::string& out) {
    if (m_cluster.empty()) return;
    if (m_cluster.size() > 1) Choose();
    for (size_t i = 0; i < m_cluster.size(); ++i) {
        if (m_cluster.size() > 1 && !m_taken[i]) continue;
        const Occurrence& o = m_cluster[i];
        out.append(m_text.substr(m_copied, o.pos - m_copied));
        out.append(replacement(o.entry));
        m_copied = o.pos + o.len;
        ++m_replacements;
    }
    m_cluster.clear();
}

}  // namespace qdm
