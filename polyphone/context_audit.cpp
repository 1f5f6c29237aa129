#include "polyphone/context_audit.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

#include "editor/gbk.h"
#include "polyphone/context_fixer.h"

namespace qdm {
namespace {

// One listed context of a character: where the character stands in it (the first place it
// holds, as the audit counts it) and the votes of its occurrences.
struct ContextVotes {
    std::string_view bytes;
    size_t focal = 0;  // byte offset of the character inside the context
    struct Vote {
        std::string_view reading;
        int64_t count = 0;
        double confidence = 0;
    };
    std::vector<Vote> votes;  // a character has a handful of readings
    std::string_view defaultReading;
    int64_t occurrences = 0, misread = 0;
    PolyContextReading* out = nullptr;
};

size_t FocalOffset(std::string_view context, std::string_view ch) {
    for (size_t i = 0; i + 2 <= context.size(); i += 2)
        if (context.substr(i, 2) == ch) return i;
    return 0;
}

void Vote(ContextVotes& k, const PolyPrediction& p) {
    ++k.occurrences;
    k.defaultReading = p.defaultReading;
    if (p.Changed()) ++k.misread;
    for (ContextVotes::Vote& v : k.votes)
        if (v.reading == p.reading) {
            ++v.count;
            v.confidence += p.confidence;
            return;
        }
    k.votes.push_back({p.reading, 1, p.confidence});
}

void Conclude(const ContextVotes& k) {
    PolyContextReading& r = *k.out;
    r.occurrences = k.occurrences;
    r.misread = k.misread;
    if (!k.occurrences) return;
    r.defaultReading = k.defaultReading;
    const ContextVotes::Vote* best = &k.votes.front();
    for (const ContextVotes::Vote& v : k.votes)
        if (v.count > best->count) best = &v;  // ties: the reading seen first
    r.reading = best->reading;
    r.confidence = static_cast<float>(best->confidence / static_cast<double>(best->count));
}

// The listed contexts of the audit's characters by character code, each voting into its
// place of `result` (sized here, and given the table's first reading until votes come).
using ContextsByChar = std::unordered_map<uint16_t, std::vector<ContextVotes>>;

ContextsByChar ListContexts(const std::vector<PolyAuditChar>& audit, const PolyContextModel& model,
                            std::vector<std::vector<PolyContextReading>>& result) {
    result.assign(audit.size(), {});
    ContextsByChar byChar;
    for (size_t i = 0; i < audit.size(); ++i) {
        const PolyAuditChar& c = audit[i];
        result[i].resize(c.contexts.size());
        if (c.ch.size() != 2) continue;
        const uint16_t code = PolyReadingTable::Code(static_cast<unsigned char>(c.ch[0]),
                                                     static_cast<unsigned char>(c.ch[1]));
        std::vector<ContextVotes>& list = byChar[code];
        const std::vector<std::string>& readings = model.Table().Readings(code);
        for (size_t j = 0; j < c.contexts.size(); ++j) {
            const std::string& bytes = c.contexts[j].text;
            if (!readings.empty()) result[i][j].reading = result[i][j].defaultReading = readings[0];
            list.push_back({bytes, FocalOffset(bytes, c.ch), {}, {}, 0, 0, &result[i][j]});
        }
    }
    return byChar;
}

// Character starts, so that a context found by its bytes is found on the text's own character
// boundaries and not across a trail byte.
std::vector<uint8_t> CharStarts(std::string_view text) {
    std::vector<uint8_t> start(text.size() + 1, 0);
    for (size_t pos = 0; pos < text.size(); pos += gbk::CharLen(text, pos)) start[pos] = 1;
    start[text.size()] = 1;
    return start;
}

// The votes one prediction of `text` casts: for every listed context of its character that
// stands around it, unless the dictionary replaces the character.
class ContextVoter {
  public:
    ContextVoter(ContextsByChar& byChar, std::string_view text, const std::vector<uint8_t>& covered)
        : m_byChar(byChar), m_text(text), m_covered(covered), m_start(CharStarts(text)) {}

    void Take(const PolyPrediction& p) {
        if (m_covered[p.offset]) return;
        const auto found =
            m_byChar.find(PolyReadingTable::Code(static_cast<unsigned char>(m_text[p.offset]),
                                                 static_cast<unsigned char>(m_text[p.offset + 1])));
        if (found == m_byChar.end()) return;
        for (ContextVotes& k : found->second) {
            if (k.focal > p.offset) continue;
            const size_t at = p.offset - k.focal;
            if (at + k.bytes.size() > m_text.size() || !m_start[at]) continue;
            if (m_text.compare(at, k.bytes.size(), k.bytes) == 0) Vote(k, p);
        }
    }

    void Finish() const {
        for (const auto& [code, list] : m_byChar)
            for (const ContextVotes& k : list) Conclude(k);
    }

  private:
    ContextsByChar& m_byChar;
    std::string_view m_text;
    const std::vector<uint8_t>& m_covered;
    std::vector<uint8_t> m_start;
};

// The covered bytes as ascending ranges, neighbours joined.
std::vector<PolyByteRange> RangesOf(const std::vector<uint8_t>& covered, size_t size) {
    std::vector<PolyByteRange> out;
    for (size_t i = 0; i < covered.size() && i < size; ++i) {
        if (!covered[i]) continue;
        if (!out.empty() && out.back().end == i)
            ++out.back().end;
        else
            out.push_back({i, i + 1});
    }
    return out;
}

}  // namespace

std::vector<std::vector<PolyContextReading>> ReadAuditContexts(
    const std::vector<PolyAuditChar>& audit, std::string_view text, const PolyDictSnapshot& dict,
    const PolyContextModel& model) {
    std::vector<std::vector<PolyContextReading>> result;
    ContextsByChar byChar = ListContexts(audit, model, result);
    if (byChar.empty()) return result;
    const std::vector<uint8_t> covered = PolyCoverage(text, dict);
    ContextVoter voter(byChar, text, covered);
    model.PredictEach(text, [&](const PolyPrediction& p) { voter.Take(p); });
    voter.Finish();
    return result;
}

PolyAuditReadings ReadAuditContextsAndFix(const std::vector<PolyAuditChar>& audit,
                                          std::string_view text, const PolyDictSnapshot& dict,
                                          const PolyContextModel& model, PolyStyle style) {
    return ReadAuditContextsAndFix(audit, text, PolyCoverage(text, dict), model, style);
}

PolyAuditReadings ReadAuditContextsAndFix(const std::vector<PolyAuditChar>& audit,
                                          std::string_view text,
                                          const std::vector<uint8_t>& covered,
                                          const PolyContextModel& model, PolyStyle style,
                                          PassMeter* meter) {
    if (meter && meter->Stopped()) return {};
    PolyAuditReadings out;
    ContextsByChar byChar = ListContexts(audit, model, out.readings);
    const std::vector<PolyByteRange> kept = RangesOf(covered, text.size());
    PolySmartFixer fixer(model.Table(), text, kept, style);
    if (byChar.empty()) {
        model.PredictEach(
            text, [&](const PolyPrediction& p) { fixer.Take(p); }, meter);
    } else {
        ContextVoter voter(byChar, text, covered);
        model.PredictEach(
            text,
            [&](const PolyPrediction& p) {
                voter.Take(p);
                fixer.Take(p);
            },
            meter);
        voter.Finish();
    }
    if (meter && meter->Stopped()) return {};
    out.fix = fixer.Finish();
    return out;
}

namespace {

// The positions of `rows` with those that `first` picks out before the rest, stably.
template <class Row, class Pred>
std::vector<size_t> FirstOrder(const std::vector<Row>& rows, Pred first) {
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_partition(order.begin(), order.end(), [&](size_t i) { return first(i); });
    return order;
}

template <class Row>
void Permute(std::vector<Row>& rows, const std::vector<size_t>& order) {
    std::vector<Row> out;
    out.reserve(rows.size());
    for (size_t i : order) out.push_back(std::move(rows[i]));
    rows = std::move(out);
}

}  // namespace

void OrderMisreadFirst(std::vector<PolyAuditChar>& audit,
                       std::vector<std::vector<PolyContextReading>>& readings) {
    if (readings.size() != audit.size()) return;
    for (size_t i = 0; i < audit.size(); ++i) {
        std::vector<PolyContextReading>& r = readings[i];
        if (r.size() != audit[i].contexts.size()) continue;
        const auto order = FirstOrder(r, [&](size_t j) { return ReadOtherwise(r[j]); });
        Permute(audit[i].contexts, order);
        Permute(r, order);
    }
    const auto order = FirstOrder(audit, [&](size_t i) {
        return std::any_of(readings[i].begin(), readings[i].end(), ReadOtherwise);
    });
    Permute(audit, order);
    Permute(readings, order);
}

std::vector<PolyByteRange> PolyCoveredRanges(std::string_view text, const PolyDictSnapshot& dict) {
    return RangesOf(PolyCoverage(text, dict), text.size());
}

}  // namespace qdm
