#include "polyphone/poly_match.h"

#include <algorithm>
#include <string_view>

#include "editor/gbk.h"
#include "polyphone/poly_dict.h"

namespace qdm {
namespace {

void SetBit(std::vector<uint64_t>& bits, uint32_t i) {
    bits[i >> 6] |= uint64_t{1} << (i & 63);
}

bool TestBit(const std::vector<uint64_t>& bits, uint32_t i) {
    return (bits[i >> 6] >> (i & 63)) & 1;
}

// Whether a lead byte stands alone somewhere in `s`: not followed by a byte that trails it.
bool HasLoneLead(std::string_view s) {
    for (size_t i = 0; i < s.size(); i += gbk::CharLen(s, i))
        if (gbk::CharLen(s, i) == 1 && gbk::IsLead(static_cast<unsigned char>(s[i]))) return true;
    return false;
}

bool IsWholePairs(std::string_view s) {
    if (s.empty() || s.size() % 2 != 0) return false;
    for (size_t i = 0; i < s.size(); i += 2)
        if (gbk::CharLen(s, i) != 2) return false;
    return true;
}

bool HasNoLead(std::string_view s) {
    return std::none_of(s.begin(), s.end(),
                        [](char c) { return gbk::IsLead(static_cast<unsigned char>(c)); });
}

}  // namespace

void PolyMatchIndex::FlatMap::Build(const std::vector<std::pair<uint32_t, uint32_t>>& items) {
    size_t cap = 16;
    shift = 28;
    while (cap < items.size() * 2) {
        cap <<= 1;
        --shift;
    }
    slots.assign(cap, ~uint64_t{0});
    mask = static_cast<uint32_t>(cap - 1);
    for (const auto& [key, value] : items) {
        uint32_t i = Home(key);
        while ((slots[i] & 0xFFFFFFFFu) != 0xFFFFFFFFu) i = (i + 1) & mask;
        slots[i] = uint64_t{key} << 32 | value;
    }
}

uint32_t PolyMatchIndex::FlatMap::Find(uint32_t key) const {
    if (slots.empty()) return ~0u;
    for (uint32_t i = Home(key);; i = (i + 1) & mask) {
        const uint64_t s = slots[i];
        const uint32_t value = static_cast<uint32_t>(s);
        if (value == ~0u) return ~0u;
        if (static_cast<uint32_t>(s >> 32) == key) return value;
    }
}

PolyMatchIndex::PolyMatchIndex(const PolyDictSnapshot& snap) {
    // Distinct words, each with the ascending list of entries that carry it: sorting the
    // (word, entry) pairs brings equal words together with their entries in order.
    std::vector<std::pair<std::string_view, uint32_t>> all;
    all.reserve(snap.LineCount());
    for (size_t n = 0; n < snap.LineCount(); ++n)
        if (snap.IsEntry(n)) all.emplace_back(snap.Word(n), static_cast<uint32_t>(n));
    std::sort(all.begin(), all.end());
    m_entries.reserve(all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        if (i == 0 || all[i].first != all[i - 1].first) {
            m_entryStart.push_back(static_cast<uint32_t>(m_entries.size()));
            m_words.push_back({all[i].first.data(), static_cast<uint32_t>(all[i].first.size())});
        }
        m_entries.push_back(all[i].second);
    }
    m_entryStart.push_back(static_cast<uint32_t>(m_entries.size()));
    BuildMatcher();
    BuildCuts(snap);
}

void PolyMatchIndex::BuildMatcher() {
    m_len1.fill(-1);
    m_first2.assign(65536 / 64, 0);
    m_len2Bits.assign(65536 / 64, 0);
    m_len3Bits.assign((1u << 20) / 64, 0);
    std::vector<std::pair<uint32_t, uint32_t>> len2, len3, longKeys;
    std::vector<std::pair<uint32_t, uint32_t>> longWords;  // (first four bytes, word id)
    for (uint32_t id = 0; id < m_words.size(); ++id) {
        const auto* p = reinterpret_cast<const unsigned char*>(m_words[id].data);
        m_firstByte[p[0]] = true;
        if (m_words[id].len >= 2) SetBit(m_first2, unsigned{p[0]} | unsigned{p[1]} << 8);
        switch (m_words[id].len) {
            case 1:
                m_len1[p[0]] = static_cast<int32_t>(id);
                m_hasLen1 = true;
                break;
            case 2: {
                const unsigned key = unsigned{p[0]} | unsigned{p[1]} << 8;
                SetBit(m_len2Bits, key);
                len2.emplace_back(key, id);
                m_hasLen2 = true;
                break;
            }
            case 3: {
                const uint32_t key = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
                SetBit(m_len3Bits, Hash(key) >> 12);
                len3.emplace_back(key, id);
                m_hasLen3 = true;
                break;
            }
            default:
                longWords.emplace_back(Load4(p), id);
                m_hasLong = true;
        }
    }
    m_len2.Build(len2);
    m_len3.Build(len3);

    // Filter size: about 24 bits per long word (a few per cent false hits), between 2^16 and
    // 2^21 bits, so that it stays in the cache.
    unsigned bits = 16;
    while (bits < 21 && (size_t{1} << bits) < longWords.size() * 24) ++bits;
    m_longShift = 32 - bits;
    m_longBits.assign((size_t{1} << bits) / 64, 0);
    std::stable_sort(longWords.begin(), longWords.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < longWords.size(); ++i) {
        const Word& w = m_words[longWords[i].second];
        if (i == 0 || longWords[i].first != longWords[i - 1].first) {
            longKeys.emplace_back(longWords[i].first, static_cast<uint32_t>(m_long.size()));
            SetBit(m_longBits, Hash(longWords[i].first) >> m_longShift);
        } else {
            m_long.back().len &= ~kLastInGroup;
        }
        uint64_t tail = 0;
        std::memcpy(&tail, w.data + 4, std::min<size_t>(w.len - 4, 8));
        m_long.push_back({tail, longWords[i].second, w.len | kLastInGroup});
    }
    m_longGroups.Build(longKeys);
}

void PolyMatchIndex::BuildCuts(const PolyDictSnapshot& snap) {
    std::array<bool, 256> usedByte{}, usedSingle{};
    std::vector<uint64_t> usedPair(65536 / 64, 0);
    bool loneLead = false;
    m_inert = true;
    auto note = [&](std::string_view s) {
        for (unsigned char b : s) usedByte[b] = true;
        for (size_t i = 0; i < s.size();) {
            size_t len = gbk::CharLen(s, i);
            const auto* p = reinterpret_cast<const unsigned char*>(s.data() + i);
            if (len == 1)
                usedSingle[p[0]] = true;
            else
                SetBit(usedPair, unsigned{p[0]} << 8 | p[1]);
            i += len;
        }
        loneLead = loneLead || HasLoneLead(s);
    };
    for (size_t n = 0; n < snap.LineCount(); ++n) {
        if (!snap.IsEntry(n)) continue;
        note(snap.Word(n));
        note(snap.Replacement(n));
        m_inert = m_inert && IsWholePairs(snap.Word(n)) && !snap.Replacement(n).empty() &&
                  HasNoLead(snap.Replacement(n));
    }
    m_charCuts = !loneLead;
    for (unsigned b = 0; b < 256; ++b) {
        m_strictCut[b] = b < 0x40 && !usedByte[b];
        m_cutSingle[b] = !usedSingle[b] && !gbk::IsLead(static_cast<unsigned char>(b));
    }
    m_cutPair.assign(65536 / 64, 0);
    for (size_t i = 0; i < m_cutPair.size(); ++i) m_cutPair[i] = ~usedPair[i];
    if (m_charCuts) BuildQuiet(snap);
}

// With no lone lead byte about, characters are never re-divided, so a match is made of whole
// characters of the text. A replacement that is its word followed by characters found in no
// word (or only such characters) leaves every match either inside what was there before or
// clear of the change: it can bring no word into the text.
void PolyMatchIndex::BuildQuiet(const PolyDictSnapshot& snap) {
    std::array<bool, 256> inWordSingle{};
    std::vector<uint64_t> inWordPair(65536 / 64, 0);
    for (const Word& w : m_words) {
        const std::string_view s(w.data, w.len);
        for (size_t i = 0; i < s.size(); i += gbk::CharLen(s, i)) {
            const auto* p = reinterpret_cast<const unsigned char*>(s.data() + i);
            if (gbk::CharLen(s, i) == 1)
                inWordSingle[p[0]] = true;
            else
                SetBit(inWordPair, unsigned{p[0]} << 8 | p[1]);
        }
    }
    auto inNoWord = [&](std::string_view s) {
        for (size_t i = 0; i < s.size(); i += gbk::CharLen(s, i)) {
            const auto* p = reinterpret_cast<const unsigned char*>(s.data() + i);
            if (gbk::CharLen(s, i) == 1 ? inWordSingle[p[0]]
                                        : TestBit(inWordPair, unsigned{p[0]} << 8 | p[1]))
                return false;
        }
        return true;
    };
    m_quiet.assign(snap.LineCount(), 0);
    for (size_t n = 0; n < snap.LineCount(); ++n) {
        if (!snap.IsEntry(n)) continue;
        const std::string_view word = snap.Word(n);
        std::string_view rest = snap.Replacement(n);
        if (rest.empty()) continue;  // a deletion joins its neighbours
        if (rest.substr(0, word.size()) == word) rest.remove_prefix(word.size());
        m_quiet[n] = inNoWord(rest);
    }
}

}  // namespace qdm
