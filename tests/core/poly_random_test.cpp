// The fast run against the literal loop, on thousands of small random texts and dictionaries.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "editor/gbk.h"
#include "polyphone/poly_dict.h"
#include "polyphone/poly_engine.h"
#include "polyphone/poly_match.h"

namespace gbk = qdm::gbk;

namespace {

// The literal definition: the text changed in place, every search from the start of the
// whole text's characters.
int LiteralReplace(std::string& text, const std::string& word, const std::string& rep) {
    int count = 0;
    size_t pos = gbk::Find(text, word, 0);
    while (pos != gbk::npos) {
        if (!rep.empty() && text.compare(pos, rep.size(), rep) == 0) {
            pos += rep.size();
        } else {
            text.replace(pos, word.size(), rep);
            ++count;
            pos += rep.size();
        }
        pos = gbk::Find(text, word, pos);
    }
    return count;
}

// Entry after entry as the file's lines give them, up to the first line that is not one.
std::vector<int> LiteralRun(const std::string& dict, std::string& text) {
    std::vector<int> counts;
    std::string content = dict.substr(0, dict.find('\0'));
    size_t start = 0;
    for (size_t lf; (lf = content.find('\n', start)) != std::string::npos; start = lf + 1) {
        std::string line = content.substr(start, lf - start);
        size_t sep = gbk::Find(line, "======>>", 0);
        if (sep == gbk::npos || sep == 0) break;
        counts.push_back(LiteralReplace(text, line.substr(0, sep), line.substr(sep + 8)));
    }
    return counts;
}

// Pieces the texts and dictionaries are made of: letters that are also trail bytes, signs
// that are also separator bytes, CR, LF, punctuation, double-byte characters whose second
// byte looks like ASCII, lone lead bytes and 0xFF.
const std::vector<std::string> kUnits = {
    "a",        "b",        "A",        "=",        ">",        " ",        "\r",
    "\n",       "\xA3\xAC", "\xA1\xA3", "\x81\x41", "\xB0\x61", "\xB0\xA1", "\xD2\xF8",
    "\xD0\xD0", "\x81",     "\xB0",     "\xFF",     "\x81\x3D", "\xC4\xE3"};

// Units without a lead byte standing alone: texts and dictionaries made of these let the
// fast run cut at double-byte characters as well.
bool Clean(const std::string& unit) {
    return unit != "\x81" && unit != "\xB0" && unit != "\x81\x3D";
}

class Gen {
  public:
    explicit Gen(uint32_t seed) : m_rng(seed), m_clean(seed % 2 == 0) {}
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    std::string Units(int lo, int hi, bool lineSafe) {
        std::string s;
        for (int i = 0, n = lo + Pick(hi - lo + 1); i < n; ++i) {
            std::string u = kUnits[static_cast<size_t>(Pick(static_cast<int>(kUnits.size())))];
            if ((lineSafe && u == "\n") || (m_clean && !Clean(u))) u = "a";
            s += u;
        }
        return s;
    }
    std::string Dictionary(std::vector<std::string>& words) {
        std::string dict;
        for (int i = 0, n = 1 + Pick(7); i < n; ++i) {
            std::string word = Units(1, 2, true);
            std::string rep;
            switch (Pick(6)) {
                case 0:
                    rep = "";
                    break;  // deletes
                case 1:
                    rep = word + Units(1, 2, true);
                    break;  // begins with its word
                case 2:
                    rep = Units(0, 1, true) + word;
                    break;  // holds its word
                case 3:
                    rep = words.empty() ? "b" : words[0] + "x";
                    break;  // an earlier word
                default:
                    rep = Units(1, 3, true);
            }
            words.push_back(word);
            switch (Pick(14)) {
                case 0:
                    dict += word + rep + "\n";
                    break;  // no separator
                case 1:
                    dict += "======>>" + rep + "\n";
                    break;  // empty word
                case 2:
                    dict += word + "======>>" + rep + "\r\n";
                    break;
                case 3:
                    dict += word + "======>>" + rep + "======>>b\n";
                    break;
                default:
                    dict += word + "======>>" + rep + "\n";
            }
        }
        if (Pick(8) == 0) dict += "a======>>b";  // no LF: not a line
        return dict;
    }
    // The shape of a pinyin dictionary: words of whole double-byte characters from a few, so
    // that they overlap and repeat; replacements of single bytes, never empty.
    std::string InertDictionary(std::vector<std::string>& words) {
        static const std::vector<std::string> kPairs = {"\xB0\x61", "\xB0\xA1", "\xD2\xF8",
                                                        "\x81\x41", "\xC4\xE3"};
        static const std::string kBytes = "a1=>( )\r\xFF\x80";
        std::string dict;
        for (int i = 0, n = 1 + Pick(10); i < n; ++i) {
            std::string word, rep;
            for (int j = 0, len = 1 + Pick(3); j < len; ++j)
                word += kPairs[static_cast<size_t>(Pick(static_cast<int>(kPairs.size())))];
            for (int j = 0, len = 1 + Pick(3); j < len; ++j)
                rep += kBytes[static_cast<size_t>(Pick(static_cast<int>(kBytes.size())))];
            words.push_back(word);
            dict += word + "======>>" + rep + (Pick(5) == 0 ? "\r\n" : "\n");
        }
        return dict;
    }
    std::string Text(const std::vector<std::string>& words) {
        std::string text;
        for (int i = 0, n = Pick(24); i < n; ++i)
            text += Pick(2) ? words[static_cast<size_t>(Pick(static_cast<int>(words.size())))]
                            : Units(1, 1, false);
        return text;
    }

  private:
    std::mt19937 m_rng;
    bool m_clean;
};

class PolyRandom : public ::testing::Test {
  protected:
    void SetUp() override {
        m_path = (std::filesystem::temp_directory_path() /
                  ("qdm-poly-random-" + std::to_string(::getpid()) + ".ini"))
                     .string();
    }
    void TearDown() override { std::filesystem::remove(m_path); }
    // Rewritten in place, often with the same size within the same clock tick: the cached
    // snapshot must still notice.
    void WriteDict(const std::string& bytes) { std::ofstream(m_path, std::ios::binary) << bytes; }
    std::string m_path;
};

// Runs one random case both ways; the fast run is sliced as finely as it goes.
void CheckCase(const qdm::CPolyDict& dict, const std::string& dictBytes, const std::string& text,
               uint32_t seed) {
    std::string expected = text;
    const std::vector<int> counts = LiteralRun(dictBytes, expected);
    int64_t expectedTotal = 0;
    for (int c : counts) expectedTotal += c;

    qdm::CPolyStepper stepper(dict);
    std::string stepped = text;
    std::vector<int> stepCounts;
    while (stepper.Step(stepped)) stepCounts.push_back(stepper.LastCount());
    ASSERT_EQ(stepped, expected) << "seed " << seed;
    ASSERT_EQ(stepCounts, counts) << "seed " << seed;

    qdm::CPolyStepper fast(dict);
    fast.Begin(text);
    int64_t total = 0;
    size_t applied = 0;
    for (;;) {
        qdm::PolyStepReport r = fast.StepFor(std::chrono::nanoseconds(1));
        total += r.replacements;
        applied += static_cast<size_t>(r.applied);
        if (r.exhausted) break;
    }
    ASSERT_EQ(fast.TakeText(), expected) << "seed " << seed;
    ASSERT_EQ(total, expectedTotal) << "seed " << seed;
    ASSERT_EQ(applied, counts.size()) << "seed " << seed;
    ASSERT_EQ(fast.Word(), stepper.Word()) << "seed " << seed;
}

TEST_F(PolyRandom, FastRunMatchesTheLiteralLoopByteForByte) {
    qdm::CPolyDict dict(m_path);  // one object for every case: its snapshot cache is on trial too
    for (uint32_t seed = 1; seed <= 2000; ++seed) {
        Gen g(seed);
        std::vector<std::string> words;
        const std::string dictBytes = g.Dictionary(words);
        WriteDict(dictBytes);
        CheckCase(dict, dictBytes, g.Text(words), seed);
        if (HasFatalFailure()) return;
    }
}

TEST_F(PolyRandom, LongTextsWithManyPiecesMatchTheLiteralLoop) {
    qdm::CPolyDict dict(m_path);
    for (uint32_t seed = 100000; seed < 100300; ++seed) {
        Gen g(seed);
        std::vector<std::string> words;
        const std::string dictBytes = g.Dictionary(words);
        WriteDict(dictBytes);
        std::string text;
        for (int i = 0; i < 20; ++i) text += g.Text(words);
        CheckCase(dict, dictBytes, text, seed);
        if (HasFatalFailure()) return;
    }
}

TEST_F(PolyRandom, PinyinShapedDictionariesTakeTheOneScanPathWithTheLiteralResult) {
    qdm::CPolyDict dict(m_path);
    for (uint32_t seed = 200000; seed < 201000; ++seed) {
        Gen g(seed);
        std::vector<std::string> words;
        const std::string dictBytes = g.InertDictionary(words);
        WriteDict(dictBytes);
        ASSERT_TRUE(dict.Snapshot()->MatchIndex().InertReplacements()) << "seed " << seed;
        std::string text;
        for (int i = 0, n = 1 + g.Pick(8); i < n; ++i) text += g.Text(words);
        CheckCase(dict, dictBytes, text, seed);
        if (HasFatalFailure()) return;
    }
}

TEST_F(PolyRandom, APassSlicedOverManyCallsMatchesTheLiteralLoop) {
    qdm::CPolyDict dict(m_path);
    for (uint32_t seed = 7; seed < 9; ++seed) {  // one case with lone lead bytes, one without
        Gen g(seed);
        std::vector<std::string> words;
        const std::string dictBytes = g.Dictionary(words);
        WriteDict(dictBytes);
        std::string text;
        while (text.size() < 300000) text += g.Text(words);
        CheckCase(dict, dictBytes, text, seed);
        if (HasFatalFailure()) return;
    }
    Gen g(11);  // the one-scan path, with overlapping words across slice ends
    std::vector<std::string> words;
    const std::string dictBytes = g.InertDictionary(words);
    WriteDict(dictBytes);
    std::string text;
    while (text.size() < 300000) text += g.Text(words);
    CheckCase(dict, dictBytes, text, 11);
}

// A text of several MB is cut at a line break and its halves run on two threads; put together
// they must give what one pass over the whole text gives.
TEST_F(PolyRandom, ALargeTextRunInTwoHalvesMatchesOnePass) {
    qdm::CPolyDict dict(m_path);
    for (uint32_t seed : {8u, 9u, 12u}) {  // clean, with lone lead bytes, pinyin-shaped
        Gen g(seed);
        std::vector<std::string> words;
        const std::string dictBytes = seed == 12 ? g.InertDictionary(words) : g.Dictionary(words);
        WriteDict(dictBytes);
        std::string text;
        while (text.size() < (5u << 20)) text += g.Text(words) + "\n";
        qdm::CPolyStepper whole(dict);
        whole.Begin(text);
        int64_t expectedTotal = 0;
        for (qdm::PolyStepReport r; !r.exhausted;) {
            r = whole.StepFor(qdm::kPolyNoLimit);
            expectedTotal += r.replacements;
        }
        const std::string expected = whole.TakeText();
        std::vector<double> shares;
        const int64_t total = qdm::ApplyDictionary(
            dict, text, nullptr, [&](double share, int64_t) { shares.push_back(share); });
        ASSERT_EQ(total, expectedTotal) << "seed " << seed;
        ASSERT_EQ(text, expected) << "seed " << seed;
        ASSERT_TRUE(std::is_sorted(shares.begin(), shares.end())) << "seed " << seed;
    }
}

}  // namespace
