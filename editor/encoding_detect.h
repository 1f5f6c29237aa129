#pragma once
// Which encoding a file's bytes are in. GBK is the default: another encoding is chosen only on
// clear evidence, so a GBK book is never mistaken for something else.
#include <cstdint>
#include <string_view>

#include "editor/encoding.h"

namespace qdm {

// The rule, in order: a byte-order mark (UTF-8, UTF-16 LE or BE); a text that is valid UTF-8
// and holds multi-byte sequences (a very short one that reads better as GBK stays GBK);
// GB18030 when valid four-byte sequences occur and the whole text is valid GB18030; Big5 when
// the Big5 reading of a bounded sample explains it clearly better than GBK; otherwise GBK.
// Linear in the size; UTF-8 is validated over the whole text.
Encoding DetectEncoding(std::string_view bytes);

// The length of the byte-order mark of `encoding` at the start of `bytes`, 0 when none.
size_t BomLength(std::string_view bytes, Encoding encoding);

// The byte order of a UTF-16 text: its mark, or else the side the zero bytes of ASCII
// characters fall on; little-endian when nothing tells.
Encoding ResolveUtf16(std::string_view bytes);

// ---- the evidence, exposed for the measurements that set the thresholds ---------------------

// A text counts as valid UTF-8 when at most one sequence in kUtf8ErrorRatio is malformed (a
// damaged book stays a UTF-8 book; its bad bytes are reported on conversion) and a sequence
// cut by the end of the file is not held against it.
struct Utf8Evidence {
    bool valid = false;
    int64_t multibyte = 0;  // characters of two or more bytes
    int64_t malformed = 0;  // sequences that are not valid UTF-8
};
constexpr int64_t kUtf8ErrorRatio = 1000;
Utf8Evidence ScanUtf8(std::string_view bytes);

// The decoded characters of one double-byte reading (GBK or Big5) of a text.
struct ReadingEvidence {
    int64_t units = 0;    // double-byte characters and stray high bytes
    int64_t common = 0;   // units decoding to a common character (cjk::IsCommon)
    int64_t odd = 0;      // units decoding to an odd code (cjk::IsOdd) or to nothing
    int64_t invalid = 0;  // high bytes that form no double-byte character
    // The share of common units less the share of odd and invalid ones: about 0.9 for a
    // correctly decoded Chinese text, much lower for a misreading.
    double Score() const;
};
ReadingEvidence ReadAsGbk(std::string_view bytes);
ReadingEvidence ReadAsBig5(std::string_view bytes);
// The same measure of the multi-byte characters of a valid UTF-8 text.
ReadingEvidence ReadAsUtf8(std::string_view bytes);

struct Gb18030Evidence {
    int64_t fourByte = 0;  // valid four-byte sequences
    bool valid = false;    // every byte belongs to a valid sequence
};
Gb18030Evidence ScanGb18030(std::string_view bytes);

// Up to four windows of 64 KB spread over the text, each starting after a line feed (which
// never lies inside a double-byte character of either standard), joined with line feeds.
std::string SampleForBig5(std::string_view bytes);

// A valid UTF-8 text with fewer multi-byte characters than this is also weighed as GBK.
constexpr int64_t kShortUtf8 = 8;
// How much better the Big5 reading must score than the GBK one.
constexpr double kBig5Margin = 0.25;

}  // namespace qdm
