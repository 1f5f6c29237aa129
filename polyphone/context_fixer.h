#pragma once
// The fix of misread polyphones built prediction by prediction, so that a pass over the text
// that reads the predictions for something else can build the fix on the way.
#include <string_view>
#include <vector>

#include "polyphone/context_model.h"

namespace qdm {

class PolySmartFixer {
  public:
    // `text` and `kept` (ascending, as SmartFix takes them) must outlive the fixer.
    PolySmartFixer(const PolyReadingTable& table, std::string_view text,
                   const std::vector<PolyByteRange>& kept, PolyStyle style);

    // The next prediction over `text`, in text order.
    void Take(const PolyPrediction& p);
    // What SmartFix answers for the predictions taken; the fixer is spent.
    PolySmartResult Finish();

  private:
    const PolyReadingTable& m_table;
    std::string_view m_text;
    std::vector<PolyByteRange>::const_iterator m_range, m_end;
    PolyStyle m_style;
    size_t m_copied = 0;
    PolySmartResult m_result;
};

}  // namespace qdm
