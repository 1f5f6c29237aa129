#include "polyphone/poly_audit.h"

#include <algorithm>
#include <array>
#include <map>

#include "editor/gbk.h"
#include "polyphone/poly_match.h"

namespace qdm {
namespace {

// ---- coverage -------------------------------------------------------------------------------

struct Occurrence {
    uint32_t pos;
    uint32_t len;
};

}  // namespace

std::vector<uint8_t> PolyCoverage(std::string_view text, const PolyDictSnapshot& dict,
                                  PassMeter* meter) {
    std::vector<uint8_t> covered(text.size(), 0);
    const int applied = dict.AppliedCount();
    if (applied == 0 || text.empty()) return covered;
    const PolyMatchIndex& index = dict.MatchIndex();
    // Occurrences bucketed by the entry that would replace them (the word's first applied
    // entry), each bucket in text order: the order in which processing meets them.
    std::vector<std::vector<Occurrence>> byEntry(static_cast<size_t>(applied));
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t pos = 0; pos < n; pos += gbk::CharLen(text, pos)) {
        if (meter && !meter->AtByte(pos, n)) return covered;
        index.MatchAt(p + pos, n - pos, [&](uint32_t wordId) {
            const uint32_t entry = *index.EntriesOf(wordId).begin;
            if (entry < static_cast<uint32_t>(applied))
                byEntry[entry].push_back(
                    {static_cast<uint32_t>(pos), static_cast<uint32_t>(dict.Word(entry).size())});
        });
    }
    for (const std::vector<Occurrence>& bucket : byEntry) {
        for (const Occurrence& o : bucket) {
            uint8_t* span = covered.data() + o.pos;
            if (std::find(span, span + o.len, 1) != span + o.len) continue;
            std::fill(span, span + o.len, 1);
        }
    }
    return covered;
}

namespace {

// ---- contexts -------------------------------------------------------------------------------

// An uncovered occurrence with the table's characters around it: c[3] is the character,
// c[0..2] the ones before, c[4..6] the ones after; 0 where the run of table characters ends.
struct Spot {
    std::array<uint16_t, 7> c;
};

// A window of a spot: `before` characters before the focal one and `after` after it.
struct Window {
    uint64_t codes;  // the window's characters, first in the highest bits
    uint8_t before;
    bool operator==(const Window&) const = default;
};

Window MakeWindow(const Spot& s, int before, int after) {
    uint64_t codes = 0;
    for (int i = 3 - before; i <= 3 + after; ++i) codes = codes << 16 | s.c[i];
    return {codes, static_cast<uint8_t>(before)};
}
int WindowLen(const Window& w) {
    int len = 0;
    for (uint64_t c = w.codes; c; c >>= 16) ++len;
    return len;
}
uint16_t CharAt(const Window& w, int i) {  // i from the left
    return static_cast<uint16_t>(w.codes >> (16 * (WindowLen(w) - 1 - i)));
}

// Open addressing, Window -> count, 16 bytes a slot.
class WindowCounts {
  public:
    WindowCounts() { m_slots.resize(1 << 8); }
    void Add(const Window& w) { ++Slot(w).count; }
    int64_t Get(const Window& w) const {
        const size_t mask = m_slots.size() - 1;
        for (size_t i = Hash(w) & mask;; i = (i + 1) & mask) {
            if (!m_slots[i].count) return 0;
            if (m_slots[i].codes == w.codes && m_slots[i].before == w.before)
                return m_slots[i].count;
        }
    }
    template <class F>
    void ForEach(F&& f) const {
        for (const Entry& e : m_slots)
            if (e.count) f(Window{e.codes, e.before}, int64_t{e.count});
    }

  private:
    struct Entry {
        uint64_t codes = 0;
        uint32_t count = 0;  // 0: empty
        uint8_t before = 0;
    };
    static size_t Hash(const Window& w) {
        uint64_t h = (w.codes ^ (uint64_t{w.before} << 62)) * 0x9E3779B97F4A7C15ull;
        return static_cast<size_t>(h ^ (h >> 29));
    }
    Entry& Slot(const Window& w) {
        if (2 * (m_used + 1) > m_slots.size()) Grow();
        const size_t mask = m_slots.size() - 1;
        for (size_t i = Hash(w) & mask;; i = (i + 1) & mask) {
            Entry& e = m_slots[i];
            if (!e.count) {
                ++m_used;
                e.codes = w.codes;
                e.before = w.before;
                return e;
            }
            if (e.codes == w.codes && e.before == w.before) return e;
        }
    }
    void Grow() {
        std::vector<Entry> old(m_slots.size() * 2);
        old.swap(m_slots);
        const size_t mask = m_slots.size() - 1;
        for (const Entry& e : old) {
            if (!e.count) continue;
            size_t i = Hash(Window{e.codes, e.before}) & mask;
            while (m_slots[i].count) i = (i + 1) & mask;
            m_slots[i] = e;
        }
    }
    std::vector<Entry> m_slots;
    size_t m_used = 0;
};

// The windows of a spot, every length from kPolyContextMin to kPolyContextMax.
template <class F>
void ForEachWindow(const Spot& s, F&& f) {
    for (int before = 0; before < kPolyContextMax; ++before) {
        if (before > 0 && !s.c[3 - before]) break;
        for (int after = 0; before + after + 1 <= kPolyContextMax; ++after) {
            if (after > 0 && !s.c[3 + after]) break;
            if (before + after + 1 >= kPolyContextMin) f(before, after);
        }
    }
}

struct Candidate {
    Window w;
    int64_t count;
};

std::string WindowBytes(const Window& w) {
    std::string out;
    for (int i = 0, len = WindowLen(w); i < len; ++i) {
        const uint16_t c = CharAt(w, i);
        out.push_back(static_cast<char>(c >> 8));
        out.push_back(static_cast<char>(c & 0xFF));
    }
    return out;
}

// `inner` lies inside `outer` with the focal characters at the same place.
bool Inside(const Window& inner, const Window& outer) {
    const int innerAfter = WindowLen(inner) - 1 - inner.before;
    const int outerAfter = WindowLen(outer) - 1 - outer.before;
    if (inner.before > outer.before || innerAfter > outerAfter) return false;
    const int shift = outer.before - inner.before;
    for (int i = 0, len = WindowLen(inner); i < len; ++i)
        if (CharAt(inner, i) != CharAt(outer, i + shift)) return false;
    return true;
}

// The order contexts are chosen in: by count, then the longer, then by bytes (for windows of
// one length the packed codes compare as their bytes do).
bool Before(const Candidate& a, const Candidate& b) {
    if (a.count != b.count) return a.count > b.count;
    const int la = WindowLen(a.w), lb = WindowLen(b.w);
    if (la != lb) return la > lb;
    return a.w.codes < b.w.codes;
}

// The best few candidates of one character, kept while the counts stream by.
class Best {
  public:
    static constexpr size_t kKeep = 8;
    void Offer(const Candidate& c) {
        if (m_items.size() == kKeep && !Before(c, m_items.back())) return;
        auto at = std::upper_bound(m_items.begin(), m_items.end(), c, Before);
        m_items.insert(at, c);
        if (m_items.size() > kKeep) m_items.pop_back();
        ++m_offered;
    }
    const std::vector<Candidate>& Items() const { return m_items; }
    bool Complete() const { return m_offered <= kKeep; }  // nothing was dropped

  private:
    std::vector<Candidate> m_items;
    size_t m_offered = 0;
};

// Picks from candidates in order. A candidate passed over for the characters of one chosen
// stands for it too: what lies inside it with its count says nothing more either.
std::vector<Candidate> Choose(const std::vector<Candidate>& sorted) {
    std::vector<Candidate> chosen, shown;  // shown: chosen, and those listed through them
    for (const Candidate& c : sorted) {
        if (chosen.size() == kPolyAuditContexts) break;
        bool sameText = false, redundant = false;
        for (const Candidate& x : chosen) sameText |= x.w.codes == c.w.codes;
        for (const Candidate& x : shown) redundant |= x.count == c.count && Inside(c.w, x.w);
        if (sameText) {
            shown.push_back(c);
        } else if (!redundant) {
            chosen.push_back(c);
            shown.push_back(c);
        }
    }
    return chosen;
}

std::vector<Candidate> ChooseUnpruned(const Spot* begin, const Spot* end) {
    std::map<std::pair<uint64_t, uint8_t>, int64_t> counts;
    for (const Spot* sp = begin; sp != end; ++sp) {
        const Spot& s = *sp;
        ForEachWindow(s, [&](int before, int after) {
            const Window w = MakeWindow(s, before, after);
            ++counts[{w.codes, w.before}];
        });
    }
    std::vector<Candidate> all;
    for (const auto& [key, count] : counts) all.push_back({{key.first, key.second}, count});
    std::sort(all.begin(), all.end(), Before);
    return Choose(all);
}

void CollectSpots(std::string_view text, const std::vector<uint8_t>& covered,
                  const PolyReadingTable& table, std::vector<Spot>& spots, PassMeter* meter) {
    const auto code = [&](size_t pos) {
        return PolyReadingTable::Code(static_cast<unsigned char>(text[pos]),
                                      static_cast<unsigned char>(text[pos + 1]));
    };
    std::array<uint16_t, 3> before{};  // the table characters just before, nearest last
    for (size_t pos = 0; pos < text.size();) {
        if (meter && !meter->AtByte(pos, text.size())) return;
        const size_t len = gbk::CharLen(text, pos);
        const uint16_t c = len == 2 ? code(pos) : 0;
        const bool known = c && table.Known(c);
        if (known && table.IsPolyphonic(c) && !covered[pos]) {
            Spot s{};
            s.c[3] = c;
            for (int i = 0; i < 3 && before[2 - i]; ++i) s.c[2 - i] = before[2 - i];
            size_t next = pos + 2;
            for (int i = 4; i < 7 && next < text.size(); ++i) {
                if (gbk::CharLen(text, next) != 2 || !table.Known(code(next))) break;
                s.c[i] = code(next);
                next += 2;
            }
            spots.push_back(s);
        }
        if (known) {
            before = {before[1], before[2], c};
        } else {
            before = {};
        }
        pos += len;
    }
}

// The contexts of one character from its spots.
std::vector<Candidate> ContextsOf(const Spot* begin, const Spot* end) {
    // Two-character windows first: a longer window is never more frequent than the
    // two-character windows inside it that hold the focal character, so it can be among the
    // three chosen only when those reach the third best two-character count.
    WindowCounts pairs;
    for (const Spot* s = begin; s != end; ++s) {
        if (s->c[2]) pairs.Add(MakeWindow(*s, 1, 0));
        if (s->c[4]) pairs.Add(MakeWindow(*s, 0, 1));
    }
    std::array<int64_t, 3> top{0, 0, 0};
    pairs.ForEach([&](const Window&, int64_t count) {
        if (count > top[2]) {
            top[2] = count;
            std::sort(top.begin(), top.end(), std::greater<>());
        }
    });
    const int64_t floor = top[2];
    WindowCounts longer;
    for (const Spot* s = begin; s != end; ++s) {
        const int64_t left = s->c[2] ? pairs.Get(MakeWindow(*s, 1, 0)) : 0;
        const int64_t right = s->c[4] ? pairs.Get(MakeWindow(*s, 0, 1)) : 0;
        ForEachWindow(*s, [&](int before, int after) {
            if (before + after + 1 == 2) return;
            if ((before > 0 && left < floor) || (after > 0 && right < floor)) return;
            longer.Add(MakeWindow(*s, before, after));
        });
    }
    Best best;
    pairs.ForEach([&](const Window& w, int64_t count) { best.Offer({w, count}); });
    longer.ForEach([&](const Window& w, int64_t count) { best.Offer({w, count}); });
    std::vector<Candidate> chosen = Choose(best.Items());
    const bool exact = chosen.size() == kPolyAuditContexts ? chosen.back().count >= floor
                                                           : floor == 0 && best.Complete();
    return exact ? chosen : ChooseUnpruned(begin, end);  // passing over left the range kept
}

// The characters of the spots with their contexts, as AuditPolyphones answers.
std::vector<PolyAuditChar> AuditOfSpots(std::vector<Spot> spots, const PolyReadingTable& table,
                                        PassMeter* meter, double from) {
    // Grouped by character (a counting sort), so each character's counts stay small and hot.
    std::vector<uint32_t> start(65537, 0);
    for (const Spot& s : spots) ++start[s.c[3] + 1u];
    for (size_t c = 1; c < start.size(); ++c) start[c] += start[c - 1];
    std::vector<Spot> grouped(spots.size());
    {
        std::vector<uint32_t> next(start.begin(), start.end() - 1);
        for (const Spot& s : spots) grouped[next[s.c[3]]++] = s;
    }
    spots = {};

    std::vector<PolyAuditChar> result;
    if (meter) meter->Phase(from, 1);
    for (uint32_t c = 0; c < 65536; ++c) {
        if (start[c] == start[c + 1]) continue;
        if (meter &&
            !meter->At(static_cast<double>(start[c]) / static_cast<double>(grouped.size())))
            return {};
        const Spot* begin = grouped.data() + start[c];
        const Spot* end = grouped.data() + start[c + 1];
        PolyAuditChar out;
        out.ch = {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
        out.readings = table.JoinedReadings(static_cast<uint16_t>(c));
        out.count = end - begin;
        for (const Candidate& k : ContextsOf(begin, end))
            out.contexts.push_back({WindowBytes(k.w), k.count});
        result.push_back(std::move(out));
    }
    std::stable_sort(
        result.begin(), result.end(),
        [](const PolyAuditChar& a, const PolyAuditChar& b) { return a.count > b.count; });
    return result;
}

}  // namespace

std::vector<PolyAuditChar> AuditPolyphones(const std::vector<std::string_view>& texts,
                                           const PolyDictSnapshot& dict,
                                           const PolyReadingTable& table) {
    std::vector<Spot> spots;
    for (std::string_view text : texts)
        CollectSpots(text, PolyCoverage(text, dict), table, spots, nullptr);
    return AuditOfSpots(std::move(spots), table, nullptr, 0);
}

std::vector<PolyAuditChar> AuditPolyphonesCovered(std::string_view text,
                                                  const std::vector<uint8_t>& covered,
                                                  const PolyReadingTable& table, PassMeter* meter) {
    std::vector<Spot> spots;
    if (meter) meter->Phase(0, 0.75);
    CollectSpots(text, covered, table, spots, meter);
    if (meter && meter->Stopped()) return {};
    return AuditOfSpots(std::move(spots), table, meter, 0.75);
}

std::string GroupDigits(int64_t n) {
    std::string digits = std::to_string(n < 0 ? -n : n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
        out.push_back(digits[i]);
    }
    return n < 0 ? "-" + out : out;
}

std::string FormatAuditLine(const PolyAuditChar& c) {
    std::string line = c.ch + " " + c.readings + ": " + GroupDigits(c.count) + gbk::Lit(" 次");
    for (size_t i = 0; i < c.contexts.size(); ++i) {
        line += i == 0 ? gbk::Lit(" — ") : std::string(", ");
        line += c.contexts[i].text + " " + GroupDigits(c.contexts[i].count);
    }
    return line;
}

}  // namespace qdm
