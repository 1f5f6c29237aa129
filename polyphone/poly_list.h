#pragma once
// The settings list at scale: which rows a search shows, and the checks of changing a row in
// place. Rows are dictionary lines without their LF (poly_rows.h).
#include <string>
#include <string_view>
#include <vector>

#include "polyphone/poly_readings.h"
#include "polyphone/poly_rows.h"

namespace qdm {

// Indexes of the rows whose word or replacement contains `needle` (GBK, matched only where a
// character starts); a row that is no entry is searched whole. Every row when `needle` is
// empty.
std::vector<int> FilterPolyRows(const std::vector<std::string>& rows, std::string_view needle);

// The checks of replacing row `index` by WORD and REPLACEMENT: those of adding, with the row
// itself not counting as an equal row already there.
PolyRowCheck CheckEditedPolyRow(const std::vector<std::string>& rows, int index,
                                std::string_view word, std::string_view replacement);

// Splits a row into word and replacement; false for a row that is no entry.
bool SplitPolyRow(std::string_view row, std::string_view& word, std::string_view& replacement);

// A replacement for `word` in the starter dictionary's style: the starter's own when it has
// the word (`starter` holds its bytes), else the style's rule applied by the reading table.
std::string ProposePolyReplacement(std::string_view word, PolyStyle style,
                                   const PolyReadingTable& table, std::string_view starter);

}  // namespace qdm
