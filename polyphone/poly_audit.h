#pragma once
// Which polyphonic characters of a book no dictionary entry takes care of.
//
// An occurrence of a polyphonic character (two readings or more in the reading table) is
// covered when it lies inside an occurrence of a dictionary word that processing replaces:
// entries in file order up to the first line that is not an entry, each taking the
// occurrences of its word from left to right that overlap nothing an earlier entry (or an
// earlier occurrence of its own) took. Everything else is uncovered and counted, with the
// contexts it stands in: runs of two to four characters of the table around it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/pass_meter.h"
#include "polyphone/poly_dict.h"
#include "polyphone/poly_readings.h"

namespace qdm {

struct PolyAuditContext {
    std::string text;  // GBK
    int64_t count = 0;
    bool operator==(const PolyAuditContext&) const = default;
};

struct PolyAuditChar {
    std::string ch;        // GBK, two bytes
    std::string readings;  // "xing2/hang2"
    int64_t count = 0;     // uncovered occurrences
    // The three most frequent contexts: by count, then the longer, then by bytes; a context
    // lying inside one already chosen, with the character at the same place and the same
    // count, says nothing more and is passed over, and so is one with the same characters as
    // one chosen (了 in 了了, first or second): each context is listed once, with the count
    // of the character's place in it that comes first.
    std::vector<PolyAuditContext> contexts;
    bool operator==(const PolyAuditChar&) const = default;
};

inline constexpr size_t kPolyAuditContexts = 3;
inline constexpr int kPolyContextMin = 2, kPolyContextMax = 4;

// Every polyphonic character uncovered in `texts` (counted together), by count descending,
// then by its bytes. Linear in the texts.
std::vector<PolyAuditChar> AuditPolyphones(const std::vector<std::string_view>& texts,
                                           const PolyDictSnapshot& dict,
                                           const PolyReadingTable& table);

// The same for one text whose coverage (PolyCoverage) the caller holds already. `meter`
// (when given) is told how far the pass has got and may stop it: the result is then empty,
// and meter->Stopped() says so.
std::vector<PolyAuditChar> AuditPolyphonesCovered(std::string_view text,
                                                  const std::vector<uint8_t>& covered,
                                                  const PolyReadingTable& table,
                                                  PassMeter* meter = nullptr);

// Marks the bytes of `text` that processing replaces (see above): covered[i] != 0. A stopped
// meter leaves the rest unmarked.
std::vector<uint8_t> PolyCoverage(std::string_view text, const PolyDictSnapshot& dict,
                                  PassMeter* meter = nullptr);

// "行 xing2/hang2: 1,204 次 — 行动 312, 银行 40, 一行 12" (GBK)
std::string FormatAuditLine(const PolyAuditChar& c);
// 1204 -> "1,204"
std::string GroupDigits(int64_t n);

}  // namespace qdm
