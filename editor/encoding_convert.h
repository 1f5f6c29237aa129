#pragma once
// Converting a book from another encoding to GBK. Nothing is lost silently: a character GBK
// cannot hold, and a malformed input sequence, is replaced by the caller's substitute and
// counted, with its line and column.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/encoding.h"

namespace qdm {

struct ConvertOptions {
    std::string substitute = "?";  // GBK bytes put in place of each such character; may be empty
    bool keepNewlines = false;     // otherwise LF and lone CR become CR LF
    bool t2s = false;              // Traditional to Simplified first (needs OpenCC)
};

struct LostChar {
    char32_t codepoint;  // U+FFFD for a malformed sequence, the surrogate for a lone one
    int64_t line;        // from 1
    int64_t column;      // from 1, in characters
    bool malformed;      // the input was not valid in its encoding here
    int64_t byteOffset;  // in the input, for a malformed sequence; -1 otherwise
};

struct ConversionReport {
    Encoding from = Encoding::Gbk;
    int64_t unmappable = 0;  // characters replaced by the substitute, malformed ones included
    int64_t malformed = 0;
    int64_t newlines = 0;            // line breaks rewritten as CR LF
    std::vector<LostChar> examples;  // the first kMaxExamples replaced characters
};

constexpr size_t kMaxExamples = 100;

struct Conversion {
    std::string text;  // GBK
    ConversionReport report;
};

// Converts `bytes` (a byte-order mark of `from` is dropped) to GBK. A GBK input is returned as
// it is. Fails only when t2s is asked for and OpenCC is missing or cannot load its profile;
// `error` then says why (UTF-8).
bool ConvertToGbk(std::string_view bytes, Encoding from, const ConvertOptions& options,
                  Conversion& out, std::string& error);

// DetectEncoding and ConvertToGbk in one, with the same result; a large UTF-8 book is decoded
// once instead of twice. For a text that detects as GBK, `out.text` stays empty (the caller
// has the bytes) and `out.report.from` is GBK.
bool DetectAndConvert(std::string_view bytes, const ConvertOptions& options, Conversion& out,
                      std::string& error);

// Where a converted text goes, in order, in pieces: a file need not be held in memory first.
class GbkOutput {
  public:
    virtual ~GbkOutput() = default;
    virtual void Append(std::string_view piece) = 0;
    // Drops everything appended: a first guess at the encoding proved wrong.
    virtual void Restart() = 0;
};

// The two above, handing the text to `output`. For a text that detects as GBK nothing is
// handed over.
bool ConvertToGbkTo(std::string_view bytes, Encoding from, const ConvertOptions& options,
                    GbkOutput& output, ConversionReport& report, std::string& error);
bool DetectAndConvertTo(std::string_view bytes, const ConvertOptions& options, GbkOutput& output,
                        ConversionReport& report, std::string& error);

// A GBK text with every LF and lone CR made CR LF, as a conversion writes line breaks; no
// byte of a double-byte character is either, so every other byte stays as it is.
// `rewritten`: how many breaks were rewritten.
std::string GbkWithCrLf(std::string_view gbk, int64_t& rewritten);

// Whether Traditional to Simplified conversion can be offered at all.
bool T2sAvailable();

}  // namespace qdm
