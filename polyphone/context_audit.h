#pragma once
// What the reading model makes of the contexts the audit lists: per context, the reading the
// model gives its character most often there, how sure it is, and how many of the context's
// occurrences a speech engine reading the character by default would get wrong.
#include <cstdint>
#include <string_view>
#include <vector>

#include "polyphone/context_model.h"
#include "polyphone/poly_audit.h"

namespace qdm {

struct PolyContextReading {
    std::string_view reading;         // the majority prediction; the default when none was seen
    std::string_view defaultReading;  // the table's first reading
    float confidence = 0;             // the mean confidence of the majority predictions
    int64_t occurrences = 0;          // occurrences of the context that were read
    int64_t misread = 0;              // of these, predicted otherwise than by default
    bool Misread() const { return misread > 0; }
};

// For every context of every character of `audit` (the audit of `text` under `dict`), in the
// same order: result[i][j] belongs to audit[i].contexts[j]. Only uncovered occurrences count,
// as in the audit. One prediction pass over the text.
std::vector<std::vector<PolyContextReading>> ReadAuditContexts(
    const std::vector<PolyAuditChar>& audit, std::string_view text, const PolyDictSnapshot& dict,
    const PolyContextModel& model);

// The readings of the contexts and the fix of the rest, as 多音字检查 shows and applies them:
// ReadAuditContexts's answer, and SmartFix's for the bytes outside the dictionary's
// (PolyCoveredRanges), from one prediction pass instead of two.
struct PolyAuditReadings {
    std::vector<std::vector<PolyContextReading>> readings;
    PolySmartResult fix;
};
PolyAuditReadings ReadAuditContextsAndFix(const std::vector<PolyAuditChar>& audit,
                                          std::string_view text, const PolyDictSnapshot& dict,
                                          const PolyContextModel& model, PolyStyle style);
// The same with the text's coverage (PolyCoverage) the caller holds already. A stopped
// `meter` leaves both empty.
PolyAuditReadings ReadAuditContextsAndFix(const std::vector<PolyAuditChar>& audit,
                                          std::string_view text,
                                          const std::vector<uint8_t>& covered,
                                          const PolyContextModel& model, PolyStyle style,
                                          PassMeter* meter = nullptr);

// Whether the engine reads the context's character otherwise than the model does.
inline bool ReadOtherwise(const PolyContextReading& r) {
    return r.reading != r.defaultReading;
}

// Puts what needs a look first, each order otherwise kept: within a character the contexts
// the engine would misread, and the characters having such a context before the others.
// `readings` is ReadAuditContexts's answer for `audit` and moves with it.
void OrderMisreadFirst(std::vector<PolyAuditChar>& audit,
                       std::vector<std::vector<PolyContextReading>>& readings);

// The bytes of `text` a dictionary run would replace, as ascending ranges: a fix by context
// leaves them to the dictionary, as it leaves what a run has written.
std::vector<PolyByteRange> PolyCoveredRanges(std::string_view text, const PolyDictSnapshot& dict);

}  // namespace qdm
