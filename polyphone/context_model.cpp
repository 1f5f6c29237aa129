#include "polyphone/context_model.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <tuple>

#include "editor/file_io.h"
#include "editor/gbk.h"
#include "polyphone/context_features.h"

namespace qdm {
namespace {

using context::Fnv;
using context::kFnvOffset;
using context::Token;

// The lexicon: words of 2..kMaxWord characters by the hash of their bytes, each with the
// reading index (+1, 0 for none) of each of its characters. Open addressing, power of two.
class Lexicon {
  public:
    void Reserve(size_t words) {
        size_t cap = 16;
        while (cap < words * 2) cap <<= 1;
        m_keys.assign(cap, 0);
        m_values.assign(cap, 0);
    }
    void Add(uint64_t key, std::string_view marks) {
        key |= 1;  // 0 marks a free slot
        size_t i = key & (m_keys.size() - 1);
        while (m_keys[i] != 0 && m_keys[i] != key) i = (i + 1) & (m_keys.size() - 1);
        if (m_keys[i] == key) return;  // the first spelling of a word wins
        m_keys[i] = key;
        m_values[i] = static_cast<uint32_t>(m_marks.size());
        m_marks.append(marks);
    }
    // The marks of the word with this hash, or null.
    const char* Find(uint64_t key) const {
        if (m_keys.empty()) return nullptr;
        key |= 1;
        for (size_t i = key & (m_keys.size() - 1);; i = (i + 1) & (m_keys.size() - 1)) {
            if (m_keys[i] == key) return m_marks.data() + m_values[i];
            if (m_keys[i] == 0) return nullptr;
        }
    }
    bool Empty() const { return m_marks.empty(); }

  private:
    std::vector<uint64_t> m_keys;
    std::vector<uint32_t> m_values;
    std::string m_marks;
};

bool ReadLine(std::string_view& rest, std::string_view& line) {
    const size_t lf = rest.find('\n');
    if (lf == rest.npos) return false;
    line = rest.substr(0, lf);
    rest.remove_prefix(lf + 1);
    return true;
}

// "name VALUE" → VALUE.
bool HeaderValue(std::string_view& rest, std::string_view name, std::string_view& value) {
    std::string_view line;
    if (!ReadLine(rest, line) || line.substr(0, name.size()) != name ||
        line.size() <= name.size() + 1 || line[name.size()] != ' ')
        return false;
    value = line.substr(name.size() + 1);
    return true;
}

template <typename T>
bool HeaderNumber(std::string_view& rest, std::string_view name, T& out) {
    std::string_view v;
    if (!HeaderValue(rest, name, v)) return false;
    if constexpr (std::is_floating_point_v<T>) {
        out = static_cast<T>(std::strtod(std::string(v).c_str(), nullptr));
        return true;
    } else {
        auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
        return ec == std::errc() && end == v.data() + v.size();
    }
}

}  // namespace

struct PolyContextModel::Impl {
    PolyReadingTable table;
    bool hasModel = false;
    int bits = 0;
    float scale = 1;        // weights are stored times this
    float temperature = 1;  // the softmax of the confidence works on score / scale * this
    // Characters no sentence labelled are read by the lexicon; how often that is right when a
    // word covers the character and when none does (the first reading then).
    float lexiconRight = 0.5f, firstRight = 0.5f;
    std::vector<uint64_t> trained;  // 65536 bits: the characters the weights know
    std::vector<int16_t> weights;
    Lexicon lexicon;

    int32_t W(uint64_t h) const { return weights[context::Slot(h, bits)]; }
    // The marks of the lexicon word of `len` characters from ctx[first], or null.
    const char* WordAt(std::string_view text, const std::array<Token, 7>& ctx,
                       const std::array<size_t, 7>& at, int first, int len) const {
        for (int k = first; k < first + len; ++k)
            if (at[static_cast<size_t>(k)] == gbk::npos || ctx[static_cast<size_t>(k)].len != 2)
                return nullptr;
        return lexicon.Find(Fnv(kFnvOffset, text.substr(at[static_cast<size_t>(first)], 2 * len)));
    }
    void Score(std::string_view text, size_t pos, const std::array<Token, 7>& ctx,
               const std::array<size_t, 7>& at, size_t count, std::array<int32_t, 8>& out) const;
    void LexiconScores(std::string_view text, const std::array<Token, 7>& ctx,
                       const std::array<size_t, 7>& at, size_t count, std::array<int32_t, 8>& out,
                       uint64_t self) const;
    bool ParseModel(std::string_view bytes, std::string& error);
    bool ParseTrained(std::string_view& rest);
    bool ParseBackoff(std::string_view& rest);
    bool IsTrained(uint16_t code) const { return (trained[code >> 6] >> (code & 63)) & 1; }
    // The lexicon's reading (-1: no word covers the character).
    int LexiconReading(std::string_view text, const std::array<Token, 7>& ctx,
                       const std::array<size_t, 7>& at, size_t count) const;
    // The reading (index) and confidence of the character at ctx[3].
    std::pair<size_t, float> Read(std::string_view text, uint16_t code,
                                  const std::array<Token, 7>& ctx, const std::array<size_t, 7>& at,
                                  size_t count) const;
};

PolyContextModel::PolyContextModel() : m(std::make_unique<Impl>()) {}
PolyContextModel::~PolyContextModel() = default;
PolyContextModel::PolyContextModel(PolyContextModel&&) noexcept = default;
PolyContextModel& PolyContextModel::operator=(PolyContextModel&&) noexcept = default;

const PolyReadingTable& PolyContextModel::Table() const {
    return m->table;
}
bool PolyContextModel::HasModel() const {
    return m->hasModel;
}

bool PolyContextModel::LoadDefault(std::string& error) {
    const std::string table = FindPolyResource(kPolyReadingsFile);
    if (table.empty()) {
        error = std::string(kPolyReadingsFile) + ": not found";
        return false;
    }
    return Load(table, FindPolyResource(kPolyContextModelFile), error);
}

bool PolyContextModel::Load(const std::string& tablePath, const std::string& modelPath,
                            std::string& error) {
    PolyReadingTable table;
    if (!table.Load(tablePath, error)) return false;
    std::string bytes;
    if (!modelPath.empty()) {
        if (IoStatus io = ReadWholeFile(modelPath, bytes); !io) {
            error = io.Describe();
            return false;
        }
    }
    if (!Parse(std::move(table), bytes, error)) {
        error = modelPath + ": " + error;
        return false;
    }
    return true;
}

bool PolyContextModel::Parse(PolyReadingTable table, std::string_view modelBytes,
                             std::string& error) {
    auto fresh = std::make_unique<Impl>();
    fresh->table = std::move(table);
    if (!modelBytes.empty() && !fresh->ParseModel(modelBytes, error)) return false;
    m = std::move(fresh);
    return true;
}

bool PolyContextModel::Impl::ParseModel(std::string_view rest, std::string& error) {
    std::string_view line;
    size_t words = 0;
    if (!ReadLine(rest, line) || line != "MKED-READINGS 1" || !HeaderNumber(rest, "bits", bits) ||
        bits < 8 || bits > 26 || !HeaderNumber(rest, "scale", scale) || !(scale > 0) ||
        !HeaderNumber(rest, "temperature", temperature) || !ParseBackoff(rest) ||
        !ParseTrained(rest) || !HeaderNumber(rest, "words", words)) {
        error = "not a reading model (bad header)";
        return false;
    }
    lexicon.Reserve(words);
    for (size_t i = 0; i < words; ++i) {
        const size_t blank = rest.find(' ');
        const size_t lf = rest.find('\n');
        if (!ReadLine(rest, line) || blank >= lf || lf < blank + 3 ||
            (lf - blank - 2) * 2 != blank) {
            error = "bad lexicon line " + std::to_string(i + 1);
            return false;
        }
        lexicon.Add(Fnv(kFnvOffset, line.substr(0, blank)), line.substr(blank + 1));
    }
    const size_t count = size_t{1} << bits;
    if (!ReadLine(rest, line) || line != "weights" || rest.size() != count * 2) {
        error = "bad weight table";
        return false;
    }
    weights.resize(count);
    const auto* p = reinterpret_cast<const unsigned char*>(rest.data());
    for (size_t i = 0; i < count; ++i)
        weights[i] = static_cast<int16_t>(static_cast<uint16_t>(p[2 * i] | p[2 * i + 1] << 8));
    hasModel = true;
    return true;
}

bool PolyContextModel::Impl::ParseBackoff(std::string_view& rest) {
    std::string_view v;
    if (!HeaderValue(rest, "backoff", v)) return false;
    const std::string both(v);
    char* end = nullptr;
    lexiconRight = std::strtof(both.c_str(), &end);
    firstRight = std::strtof(end, nullptr);
    return true;
}

bool PolyContextModel::Impl::ParseTrained(std::string_view& rest) {
    size_t count = 0;
    std::string_view line;
    if (!HeaderNumber(rest, "trained", count) || !ReadLine(rest, line) || line.size() != 2 * count)
        return false;
    trained.assign(1024, 0);
    for (size_t i = 0; i < line.size(); i += 2) {
        const uint16_t code = PolyReadingTable::Code(static_cast<unsigned char>(line[i]),
                                                     static_cast<unsigned char>(line[i + 1]));
        trained[code >> 6] |= uint64_t{1} << (code & 63);
    }
    return true;
}

// Scores of the candidates of the character at `pos`; ctx[3] is it, ctx[0..2] the tokens
// before, ctx[4..6] after; `at` their offsets (npos beyond the line).
void PolyContextModel::Impl::Score(std::string_view text, size_t pos,
                                   const std::array<Token, 7>& ctx, const std::array<size_t, 7>& at,
                                   size_t count, std::array<int32_t, 8>& out) const {
    const uint64_t self = Fnv(kFnvOffset, text.substr(pos, 2));
    struct Key {
        char tag;
        std::array<int8_t, 3> parts;
    };
    // The tokens each feature names, by their place in ctx (-1: none).
    static constexpr Key kKeys[] = {
        {'z', {-1, -1, -1}}, {'a', {2, -1, -1}}, {'b', {4, -1, -1}}, {'c', {1, -1, -1}},
        {'d', {5, -1, -1}},  {'e', {0, -1, -1}}, {'f', {6, -1, -1}}, {'g', {1, 2, -1}},
        {'h', {2, 4, -1}},   {'i', {4, 5, -1}},  {'j', {0, 1, 2}},   {'k', {4, 5, 6}},
        {'l', {1, 2, 4}},    {'m', {2, 4, 5}},
    };
    for (const Key& k : kKeys) {
        uint64_t h = Fnv(self, k.tag);
        for (int8_t part : k.parts)
            if (part >= 0) h = Fnv(h, ctx[static_cast<size_t>(part)].View());
        for (size_t r = 0; r < count; ++r) out[r] += W(Fnv(h, static_cast<char>('0' + r)));
    }
    out[0] += W(Fnv(Fnv(kFnvOffset, '#'), '0'));
    if (!lexicon.Empty()) LexiconScores(text, ctx, at, count, out, self);
}

// Lexicon words of 2..kMaxWord characters that cover the character: per length, whether
// some word gives each candidate; the longest (leftmost of that length) separately.
void PolyContextModel::Impl::LexiconScores(std::string_view text, const std::array<Token, 7>& ctx,
                                           const std::array<size_t, 7>& at, size_t count,
                                           std::array<int32_t, 8>& out, uint64_t self) const {
    int longest = 0, longestReading = -1;
    for (int len = 2; len <= context::kMaxWord; ++len) {
        uint32_t gives = 0;  // bit r: some word of this length reads the character as r
        for (int first = 3 - (len - 1); first <= 3; ++first) {
            const char* marks = WordAt(text, ctx, at, first, len);
            if (!marks) continue;
            const int r = marks[3 - first] - '1';
            if (r < 0 || r >= static_cast<int>(count)) continue;
            gives |= 1u << r;
            if (len > longest) longest = len, longestReading = r;
        }
        for (size_t r = 0; r < count; ++r) {
            if (!(gives >> r & 1)) continue;
            const char tags[2] = {'y', static_cast<char>('0' + len)};
            out[r] += W(Fnv(Fnv(self, {tags, 2}), static_cast<char>('0' + r)));
            out[r] += W(Fnv(Fnv(kFnvOffset, '#'), {tags, 2}));
        }
    }
    if (longestReading >= 0) {
        const char tags[2] = {'w', static_cast<char>('0' + longest)};
        const auto r = static_cast<size_t>(longestReading);
        out[r] += W(Fnv(Fnv(self, 'w'), static_cast<char>('0' + r)));
        out[r] += W(Fnv(Fnv(kFnvOffset, '#'), {tags, 2}));
    }
}

int PolyContextModel::Impl::LexiconReading(std::string_view text, const std::array<Token, 7>& ctx,
                                           const std::array<size_t, 7>& at, size_t count) const {
    int reading = -1, bestLen = 0, bestCommon = -1;
    for (int len = 2; len <= context::kMaxWord; ++len) {
        for (int first = 3 - (len - 1); first <= 3; ++first) {
            const char* marks = WordAt(text, ctx, at, first, len);
            if (!marks) continue;
            const int r = marks[3 - first] - '1';
            const int common = marks[len] - '0';
            if (r < 0 || r >= static_cast<int>(count)) continue;
            if (len > bestLen || (len == bestLen && common > bestCommon))
                reading = r, bestLen = len, bestCommon = common;
        }
    }
    return reading;
}

std::pair<size_t, float> PolyContextModel::Impl::Read(std::string_view text, uint16_t code,
                                                      const std::array<Token, 7>& ctx,
                                                      const std::array<size_t, 7>& at,
                                                      size_t count) const {
    if (!IsTrained(code)) {
        const int r = LexiconReading(text, ctx, at, count);
        if (r < 0) return {0, firstRight};
        return {static_cast<size_t>(r), lexiconRight};
    }
    std::array<int32_t, 8> scores{};
    Score(text, at[3], ctx, at, count, scores);
    size_t best = 0;
    for (size_t r = 1; r < count; ++r)
        if (scores[r] > scores[best]) best = r;
    double sum = 0;
    const double k = temperature / scale;
    for (size_t r = 0; r < count; ++r) sum += std::exp((scores[r] - scores[best]) * k);
    return {best, static_cast<float>(1.0 / sum)};
}

std::vector<PolyPrediction> PolyContextModel::Predict(std::string_view text) const {
    std::vector<PolyPrediction> out;
    const PolyReadingTable& table = m->table;
    // The tokens of the line so far (the last kContext of them) and their offsets.
    std::array<Token, 3> back{};
    std::array<size_t, 3> backAt{};
    size_t backCount = 0;
    const size_t n = text.size();
    for (size_t pos = 0; pos < n;) {
        const size_t len = gbk::CharLen(text, pos);
        if (text[pos] == '\n' || text[pos] == '\r') {
            backCount = 0;
            ++pos;
            continue;
        }
        const Token self = context::MakeToken(text.substr(pos, len));
        const uint16_t code =
            len == 2 ? PolyReadingTable::Code(static_cast<unsigned char>(text[pos]),
                                              static_cast<unsigned char>(text[pos + 1]))
                     : 0;
        if (len == 2 && table.IsPolyphonic(code)) {
            const std::vector<std::string>& readings = table.Readings(code);
            const size_t count = std::min<size_t>(readings.size(), context::kMaxReadings);
            size_t best = 0;
            float confidence = 1;
            if (m->hasModel) {
                std::array<Token, 7> ctx;
                std::array<size_t, 7> at;
                ctx.fill(context::Edge(context::kBegin));
                at.fill(gbk::npos);
                for (size_t k = 0; k < std::min<size_t>(backCount, 3); ++k) {
                    ctx[2 - k] = back[(backCount - 1 - k) % 3];
                    at[2 - k] = backAt[(backCount - 1 - k) % 3];
                }
                ctx[3] = self;
                at[3] = pos;
                size_t ahead = pos + 2;
                for (size_t k = 4; k < 7; ++k) {
                    if (ahead >= n || text[ahead] == '\n' || text[ahead] == '\r') {
                        for (; k < 7; ++k) ctx[k] = context::Edge(context::kEnd);
                        break;
                    }
                    const size_t l = gbk::CharLen(text, ahead);
                    ctx[k] = context::MakeToken(text.substr(ahead, l));
                    at[k] = ahead;
                    ahead += l;
                }
                std::tie(best, confidence) = m->Read(text, code, ctx, at, count);
            } else {
                confidence = 1.0f / static_cast<float>(count);
            }
            out.push_back({pos, readings[best], readings[0], confidence});
        }
        // Keep the last tokens of the line; a ring of three, backCount counts up.
        back[backCount % 3] = self;
        backAt[backCount % 3] = pos;
        ++backCount;
        if (backCount == 6) backCount = 3;  // keeps the ring's order (6 % 3 == 0)
        pos += len;
    }
    return out;
}

}  // namespace qdm
