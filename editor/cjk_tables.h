#pragma once
// Character tables the encoding detector and converter share, all read from ICU's converters
// once, when first needed: nothing here is a table of our own making.
#include <cstdint>

namespace qdm::cjk {

// The character a Big5 (code page 950) double-byte code stands for, or U+FFFD when the code
// maps to nothing. Lead 0x81-0xFE, trail 0x40-0x7E or 0xA1-0xFE.
char16_t Big5Pair(unsigned char lead, unsigned char trail);
inline bool IsBig5Lead(unsigned char b) {
    return b >= 0x81 && b <= 0xFE;
}
inline bool IsBig5Trail(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1);
}

// A character among the most frequent ones of either standard: the first level of GB 2312
// (3 755 characters) and its punctuation rows, or Big5's frequent characters (5 401) and its
// symbol rows. Correctly decoded Chinese text is made almost only of these; text decoded with
// the wrong table scatters over the rarer codes.
bool IsCommon(char32_t cp);

// A code that a Chinese book practically never holds but a misreading often produces: the
// replacement character, private use, kana, bopomofo, box drawing, Greek and Cyrillic, C1
// controls.
bool IsOdd(char32_t cp);

// The GBK bytes of every Unicode character of the basic plane, indexed by character, each as
// one value: 0 when GBK cannot hold it (or for U+0000), below 0x100 a single byte, otherwise
// lead << 8 | trail. Built with the strict codec, so a character ICU would silently drop counts
// as not held.
const uint16_t* GbkCodeTable();

}  // namespace qdm::cjk
