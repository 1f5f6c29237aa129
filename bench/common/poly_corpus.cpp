#include "bench/common/poly_corpus.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <unordered_set>

#include "editor/codec.h"

namespace polybench {
namespace {

// A Chinese character: dictionary words are made of GB2312 level-1 characters (leads
// 0xB0-0xD7) and the filler between them of level-2 ones (0xD8-0xF7), so that the words
// occur where the generator puts them and not by chance.
std::string Han(std::mt19937& rng, bool filler = false) {
    std::uniform_int_distribution<int> lead(filler ? 0xD8 : 0xB0, filler ? 0xF7 : 0xD7),
        trail(0xA1, 0xFE);
    return {static_cast<char>(lead(rng)), static_cast<char>(trail(rng))};
}

std::string Pinyin(std::mt19937& rng, int syllables) {
    static const char* const kSyllables[] = {"yin", "hang",  "zhang", "chong", "qing", "le",
                                             "yue", "zhong", "chang", "xing",  "de",   "di",
                                             "shu", "jiao",  "wei",   "he",    "huo",  "ba"};
    std::uniform_int_distribution<int> pick(0, 17), tone(1, 4);
    std::string out;
    for (int i = 0; i < syllables; ++i)
        out += std::string(kSyllables[pick(rng)]) + char('0' + tone(rng));
    return out;
}

}  // namespace

std::string Dictionary::FileBytes() const {
    std::string out;
    for (size_t i = 0; i < words.size(); ++i) out += words[i] + "======>>" + replacements[i] + "\n";
    return out;
}

Dictionary MakeDictionary(int entries, uint32_t seed, bool pinyinOnly) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> len(2, 3), percent(0, 99);
    Dictionary d;
    std::unordered_set<std::string> seen;
    while (static_cast<int>(d.words.size()) < entries) {
        const int chars = len(rng);
        std::string word;
        for (int i = 0; i < chars; ++i) word += Han(rng);
        if (!seen.insert(word).second) continue;
        std::string rep;
        if (pinyinOnly || percent(rng) < 80) {
            rep = Pinyin(rng, chars);
        } else {  // a homophone: the first character swapped for another one
            rep = Han(rng) + word.substr(2);
        }
        d.words.push_back(word);
        d.replacements.push_back(rep);
    }
    return d;
}

std::string MakeBook(const Dictionary& dict, size_t bytes, uint32_t seed, size_t wordEvery) {
    std::mt19937 rng(seed);
    // Half of the entries occur, with Zipf weights 1/rank.
    std::vector<size_t> used;
    for (size_t i = 0; i < dict.words.size(); i += 2) used.push_back(i);
    std::shuffle(used.begin(), used.end(), rng);
    std::vector<double> weights(used.size());
    for (size_t r = 0; r < used.size(); ++r) weights[r] = 1.0 / static_cast<double>(r + 1);
    std::discrete_distribution<size_t> zipf(weights.begin(), weights.end());
    // Filler characters between words: on average wordEvery bytes per word, less the word.
    std::geometric_distribution<int> gap(2.0 / static_cast<double>(wordEvery - 3));
    std::uniform_int_distribution<int> sentence(6, 24), paragraph(3, 12);
    std::string book;
    book.reserve(bytes + 1024);
    int inSentence = 0, sentences = 0, sentenceLen = sentence(rng), paragraphLen = paragraph(rng);
    while (book.size() < bytes) {
        for (int i = gap(rng); i > 0; --i) {
            book += Han(rng, true);
            if (++inSentence >= sentenceLen) {
                inSentence = 0;
                sentenceLen = sentence(rng);
                book += (++sentences % 3 == 0) ? "\xA1\xA3" : "\xA3\xAC";  // 。 ，
                if (sentences % paragraphLen == 0) {
                    book += "\r\n\xA1\xA1\xA1\xA1";  // a new paragraph, indented
                    paragraphLen = paragraph(rng);
                }
            }
        }
        if (!used.empty()) book += dict.words[used[zipf(rng)]];
    }
    return book;
}

DenseCase MakeDenseCase(size_t bytes, int entries, uint32_t seed) {
    static const char kCommon[] =
        "的一是不了人在有我他这个们中来上大为和国地到以说时要就出会可也你对生能而子那得于着下自"
        "之年过发后作里用道行所然家种事成方多经么去法学如都同现没动面起看定天分还进好小部其些主样"
        "理心她本前开但因只从想实日军者意无力它与长把机十民第公此已工使情明性知全三又关点正业外将"
        "两高间由问很最重并物手应战向头文体政美相见被利什二等产或新己制身果加西斯月话合回特代内信"
        "表化老给世位次度门任常先海通教儿原东声提立及比员解水名真论处走义各入几口认条平系气题活尔"
        "更别打女变四神总何电数";
    const std::string chars = qdm::gbk::FromUtf8(kCommon).value_or("");
    const size_t count = chars.size() / 2;  // 230
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> pick(0, count - 1);
    auto han = [&] { return chars.substr(2 * pick(rng), 2); };
    DenseCase c;
    std::uniform_int_distribution<int> percent(0, 999), len(2, 4), k(1, 5), line(10, 30),
        clause(4, 12);
    for (int i = 0; i < entries; ++i) {
        const int n = percent(rng) < 13 ? 1 : len(rng);
        std::string word;
        for (int j = 0; j < n; ++j) word += han();
        c.dict.replacements.push_back(word + "(" + char('0' + k(rng)) + ")");
        c.dict.words.push_back(std::move(word));
    }
    c.book.reserve(bytes + 64);
    while (c.book.size() < bytes) {
        const int lineLen = line(rng);
        int untilPunct = clause(rng);
        for (int j = 0; j < lineLen; ++j) {
            c.book += han();
            if (--untilPunct == 0) {
                c.book += j + 1 < lineLen ? "\xA3\xAC" : "\xA1\xA3";  // ， 。
                untilPunct = clause(rng);
            }
        }
        c.book += "\r\n";
    }
    return c;
}

}  // namespace polybench
