#include "bench/common/poly_corpus.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <unordered_set>

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

Dictionary MakeDictionary(int entries, uint32_t seed) {
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
        if (percent(rng) < 80) {
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

}  // namespace polybench
