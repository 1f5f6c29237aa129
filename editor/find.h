#pragma once
// Finding a text the way the user sees it: on GBK characters, never from a second byte.
//
// Whole words: Chinese is written without spaces, so a double-byte character never belongs
// to a word; a word is a run of ASCII letters, digits and underscores. With the option on, a
// match that begins with such a character must not have one just before it, and a match that
// ends with one must not have one just after it. A pattern of Chinese characters therefore
// matches wherever it would without the option, and "ab" is not found inside "xaby".
#include <cstddef>
#include <string>
#include <string_view>

namespace qdm {

struct FindOptions {
    bool matchCase = false;  // off: ASCII letters match in either case (nothing else folds)
    bool wholeWord = false;
};

bool IsWordByte(unsigned char c);

class CTextFinder {
  public:
    static constexpr size_t npos = std::string_view::npos;

    CTextFinder(std::string pattern, FindOptions options);
    const std::string& Pattern() const { return m_pattern; }
    size_t Length() const { return m_pattern.size(); }

    // First match starting at or after `from` (a character boundary) and ending at or before
    // `hi`; npos when none.
    size_t Next(std::string_view text, size_t from, size_t hi = npos) const;
    // Last match starting at or after `lo` (a character boundary) and ending at or before
    // `to`; npos when none.
    size_t Previous(std::string_view text, size_t lo, size_t to) const;
    // Whether a match stands at `pos` (a character boundary), as Next would find it.
    bool MatchesAt(std::string_view text, size_t pos) const;

  private:
    size_t Candidate(std::string_view text, size_t from, size_t hi) const;
    bool BytesMatch(std::string_view text, size_t pos) const;
    bool WordEdgesOk(std::string_view text, size_t pos) const;

    std::string m_pattern;
    FindOptions m_options;
    std::string m_fold;  // per pattern byte: 1 where it is a single-byte ASCII letter
    bool m_folds = false;
    bool m_firstIsWord = false, m_lastIsWord = false;
};

}  // namespace qdm
