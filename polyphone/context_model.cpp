#include "polyphone/context_model.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <future>
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
// reading index (+1, '0' for none) of each of its characters and how common it is (a digit).
// Open addressing, power of two; a word is looked up only when its first two characters
// start some word, which a small bit set answers from the cache.
class Lexicon {
  public:
    static constexpr int kPairBits = 20;
    static constexpr int kWordBits = 21;

    void Reserve(size_t words) {
        size_t cap = 16;
        while (cap < words * 2) cap <<= 1;
        m_slots.assign(cap, Slot{});
        for (m_bits = 1; (size_t{1} << m_bits) < cap; ++m_bits) {
        }
        m_pairs.assign(size_t{1} << (kPairBits - 6), 0);
        m_words.assign(size_t{1} << (kWordBits - 6), 0);
    }
    // `marks` (at most 8 bytes) for the word of `bytes`.
    void Add(std::string_view bytes, std::string_view marks) {
        const uint64_t key = Fnv(kFnvOffset, bytes) | 1;  // 0 marks a free slot
        size_t i = context::Slot(key, m_bits);
        while (m_slots[i].key != 0 && m_slots[i].key != key) i = (i + 1) & (m_slots.size() - 1);
        if (m_slots[i].key == key) return;  // the first spelling of a word wins
        m_slots[i].key = key;
        std::memcpy(m_slots[i].marks, marks.data(), std::min<size_t>(marks.size(), 8));
        const size_t pair = context::Slot(Fnv(kFnvOffset, bytes.substr(0, 4)), kPairBits);
        m_pairs[pair >> 6] |= uint64_t{1} << (pair & 63);
        const size_t word = context::Slot(key, kWordBits);
        m_words[word >> 6] |= uint64_t{1} << (word & 63);
        m_empty = false;
    }
    // Whether some word starts with these two characters (4 bytes); `hash` is their FNV.
    bool StartsWord(uint64_t hash) const {
        const size_t pair = context::Slot(hash, kPairBits);
        return (m_pairs[pair >> 6] >> (pair & 63)) & 1;
    }
    // The marks of the word with this FNV hash, or null.
    const char* Find(uint64_t key) const {
        key |= 1;
        const size_t word = context::Slot(key, kWordBits);
        if (!((m_words[word >> 6] >> (word & 63)) & 1)) return nullptr;
        for (size_t i = context::Slot(key, m_bits);; i = (i + 1) & (m_slots.size() - 1)) {
            if (m_slots[i].key == key) return m_slots[i].marks;
            if (m_slots[i].key == 0) return nullptr;
        }
    }
    bool Empty() const { return m_empty; }

  private:
    struct Slot {
        uint64_t key = 0;
        char marks[8] = {};
    };
    std::vector<Slot> m_slots;
    std::vector<uint64_t> m_pairs;  // bit set: the first two characters of some word
    std::vector<uint64_t> m_words;  // bit set: some word hashes here
    int m_bits = 1;
    bool m_empty = true;
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
    // The weight of candidate r for the key of hash h.
    int32_t W(uint64_t h, size_t r) const {
        return weights[(context::Slot(h, bits) + r) & (weights.size() - 1)];
    }
    // Calls fn(len, first, marks) for every lexicon word of `len` characters from ctx[first]
    // that covers ctx[3]: starts from the left, each by growing length.
    template <typename Fn>
    void ForEachWord(std::string_view text, const std::array<Token, 7>& ctx,
                     const std::array<size_t, 7>& at, Fn&& fn) const {
        for (int first = 3 - (context::kMaxWord - 1); first <= 3; ++first) {
            int whole = 0;  // double-byte characters from `first` on, up to kMaxWord
            while (whole < context::kMaxWord && first + whole < 7 &&
                   at[static_cast<size_t>(first + whole)] != gbk::npos &&
                   ctx[static_cast<size_t>(first + whole)].len == 2)
                ++whole;
            if (first + whole <= 3 || whole < 2) continue;  // no word from here reaches ctx[3]
            const size_t begin = at[static_cast<size_t>(first)];
            uint64_t h = Fnv(kFnvOffset, text.substr(begin, 4));
            if (!lexicon.StartsWord(h)) continue;
            for (int len = 2; len <= whole; ++len) {
                if (len > 2) h = Fnv(h, text.substr(begin + 2 * static_cast<size_t>(len - 1), 2));
                if (first + len <= 3) continue;
                if (const char* marks = lexicon.Find(h)) fn(len, first, marks);
            }
        }
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
    const std::string table = FindResource(kPolyReadingsFile);
    if (table.empty()) {
        error = std::string(kPolyReadingsFile) + ": not found";
        return false;
    }
    return Load(table, FindResource(kPolyContextModelFile), error);
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
        lexicon.Add(line.substr(0, blank), line.substr(blank + 1));
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
    // The slots first, fetched while the lexicon is looked at: most of the time goes into
    // waiting for weights that are not in the cache.
    std::array<size_t, std::size(kKeys)> slots;
    for (size_t i = 0; i < slots.size(); ++i) {
        uint64_t h = Fnv(self, kKeys[i].tag);
        for (int8_t part : kKeys[i].parts)
            if (part >= 0) h = Fnv(h, ctx[static_cast<size_t>(part)].View());
        slots[i] = context::Slot(h, bits);
        __builtin_prefetch(&weights[slots[i]]);
    }
    out[0] += W(Fnv(Fnv(kFnvOffset, '#'), '0'));
    if (!lexicon.Empty()) LexiconScores(text, ctx, at, count, out, self);
    const size_t mask = weights.size() - 1;
    for (size_t slot : slots)
        for (size_t r = 0; r < count; ++r) out[r] += weights[(slot + r) & mask];
}

// Lexicon words of 2..kMaxWord characters that cover the character: per length, whether
// some word gives each candidate; the longest (leftmost of that length) separately.
void PolyContextModel::Impl::LexiconScores(std::string_view text, const std::array<Token, 7>& ctx,
                                           const std::array<size_t, 7>& at, size_t count,
                                           std::array<int32_t, 8>& out, uint64_t self) const {
    int longest = 0, longestReading = -1;
    std::array<uint32_t, context::kMaxWord + 1> gives{};  // per length, bit r: a word reads r
    std::array<char, 8> common;  // per reading, the bucket digit of its most common word
    common.fill(0);
    ForEachWord(text, ctx, at, [&](int len, int first, const char* marks) {
        const int r = marks[3 - first] - '1';
        if (r < 0 || r >= static_cast<int>(count)) return;
        gives[static_cast<size_t>(len)] |= 1u << r;
        if (len > longest) longest = len, longestReading = r;
        common[static_cast<size_t>(r)] = std::max(common[static_cast<size_t>(r)], marks[len]);
    });
    for (int len = 2; len <= context::kMaxWord; ++len) {
        for (size_t r = 0; r < count; ++r) {
            if (!(gives[static_cast<size_t>(len)] >> r & 1)) continue;
            const char tags[2] = {'y', static_cast<char>('0' + len)};
            out[r] += W(Fnv(self, {tags, 2}), r);
            out[r] += W(Fnv(Fnv(kFnvOffset, '#'), {tags, 2}));
        }
    }
    if (longestReading >= 0) {
        const char tags[2] = {'w', static_cast<char>('0' + longest)};
        const auto r = static_cast<size_t>(longestReading);
        out[r] += W(Fnv(self, 'w'), r);
        out[r] += W(Fnv(Fnv(kFnvOffset, '#'), {tags, 2}));
    }
    // A reading only rare words (names, terms) give is weaker evidence than an everyday word's.
    for (size_t r = 0; r < count; ++r) {
        if (common[r] == 0) continue;
        const char tags[2] = {'v', common[r]};
        out[r] += W(Fnv(self, {tags, 2}), r);
        out[r] += W(Fnv(Fnv(kFnvOffset, '#'), {tags, 2}));
    }
}

int PolyContextModel::Impl::LexiconReading(std::string_view text, const std::array<Token, 7>& ctx,
                                           const std::array<size_t, 7>& at, size_t count) const {
    int reading = -1, bestLen = 0, bestCommon = -1;
    ForEachWord(text, ctx, at, [&](int len, int first, const char* marks) {
        const int r = marks[3 - first] - '1';
        const int common = marks[len] - '0';
        if (r < 0 || r >= static_cast<int>(count)) return;
        if (len > bestLen || (len == bestLen && common > bestCommon))
            reading = r, bestLen = len, bestCommon = common;
    });
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

namespace {

// The characters before and after a polyphone, as the model sees them.
struct Window {
    std::array<Token, 7> ctx;
    std::array<size_t, 7> at;
};

// The tokens of the line seen last (a ring of kContext) and their offsets.
class Behind {
  public:
    void Clear() { m_count = 0; }
    void Push(const Token& t, size_t at) {
        m_tokens[m_count % 3] = t;
        m_at[m_count % 3] = at;
        if (++m_count == 6) m_count = 3;  // keeps the ring's order (6 % 3 == 0)
    }
    // The window of the character `self` at `pos`: what is behind it, what follows on its line.
    Window Around(std::string_view text, const Token& self, size_t pos) const {
        Window w;
        w.ctx.fill(context::Edge(context::kBegin));
        w.at.fill(gbk::npos);
        for (size_t k = 0; k < std::min<size_t>(m_count, 3); ++k) {
            w.ctx[2 - k] = m_tokens[(m_count - 1 - k) % 3];
            w.at[2 - k] = m_at[(m_count - 1 - k) % 3];
        }
        w.ctx[3] = self;
        w.at[3] = pos;
        size_t ahead = pos + 2;
        for (size_t k = 4; k < 7; ++k) {
            if (ahead >= text.size() || text[ahead] == '\n' || text[ahead] == '\r') {
                for (; k < 7; ++k) w.ctx[k] = context::Edge(context::kEnd);
                break;
            }
            const size_t l = gbk::CharLen(text, ahead);
            w.ctx[k] = context::MakeToken(text.substr(ahead, l));
            w.at[k] = ahead;
            ahead += l;
        }
        return w;
    }

  private:
    std::array<Token, 3> m_tokens{};
    std::array<size_t, 3> m_at{};
    size_t m_count = 0;
};

// Pieces of about this size, cut after a line feed (never inside a character, and no
// context reaches across a line), are read by two threads.
constexpr size_t kPiece = 1u << 20;

}  // namespace

void PolyContextModel::PredictPiece(std::string_view text, size_t base,
                                    std::vector<PolyPrediction>& out) const {
    const PolyReadingTable& table = m->table;
    Behind behind;
    for (size_t pos = 0; pos < text.size();) {
        const size_t len = gbk::CharLen(text, pos);
        if (text[pos] == '\n' || text[pos] == '\r') {
            behind.Clear();
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
            float confidence = 1.0f / static_cast<float>(count);
            if (m->hasModel) {
                const Window w = behind.Around(text, self, pos);
                std::tie(best, confidence) = m->Read(text, code, w.ctx, w.at, count);
            }
            out.push_back({base + pos, readings[best], readings[0], confidence});
        }
        behind.Push(self, pos);
        pos += len;
    }
}

void PolyContextModel::PredictEach(std::string_view text,
                                   const std::function<void(const PolyPrediction&)>& sink,
                                   PassMeter* meter) const {
    std::vector<size_t> cuts{0};
    while (cuts.back() < text.size()) {
        size_t end = cuts.back() + kPiece;
        if (end >= text.size()) {
            end = text.size();
        } else if (const size_t lf = text.find('\n', end); lf == text.npos) {
            end = text.size();
        } else {
            end = lf + 1;
        }
        cuts.push_back(end);
    }
    const size_t pieces = cuts.size() - 1;
    auto piece = [&](size_t i, std::vector<PolyPrediction>& out) {
        out.clear();
        PredictPiece(text.substr(cuts[i], cuts[i + 1] - cuts[i]), cuts[i], out);
    };
    std::vector<PolyPrediction> mine, theirs;
    for (size_t i = 0; i < pieces; i += 2) {
        if (meter && !meter->At(static_cast<double>(cuts[i]) / static_cast<double>(text.size())))
            return;
        std::future<void> other;
        if (i + 1 < pieces) other = std::async(std::launch::async, piece, i + 1, std::ref(theirs));
        piece(i, mine);
        for (const PolyPrediction& p : mine) sink(p);
        if (other.valid()) {
            other.get();
            for (const PolyPrediction& p : theirs) sink(p);
        }
    }
    if (meter) meter->At(1);
}

std::vector<PolyPrediction> PolyContextModel::Predict(std::string_view text) const {
    std::vector<PolyPrediction> out;
    PredictEach(text, [&](const PolyPrediction& p) { out.push_back(p); });
    return out;
}

}  // namespace qdm
