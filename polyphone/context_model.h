#pragma once
// Readings from context: the reading of every polyphonic character of a text (a character of
// the reading table with two readings or more), predicted from the characters around it and
// the lexicon words that cover it, and the fix of the ones a speech engine would misread.
//
// The model file (res/polyphone-context.bin, written by scripts/train-readings) holds a
// linear scorer over hashed features and the lexicon it consults. Without a model the
// prediction is the table's first reading everywhere. A reading the table does not list for
// the character is never produced.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/pass_meter.h"
#include "polyphone/poly_readings.h"
#include "polyphone/poly_res.h"

namespace qdm {

inline constexpr std::string_view kPolyContextModelFile = "polyphone-context.bin";

// One polyphonic character of a text and what the model reads it as.
struct PolyPrediction {
    size_t offset = 0;                // byte offset of the character (2 bytes of GBK)
    std::string_view reading;         // predicted, in the table's spelling ("hang2", "le")
    std::string_view defaultReading;  // the table's first reading: what an engine says alone
    float confidence = 0;             // 0..1, the model's probability of `reading`
    bool Changed() const { return reading != defaultReading; }
};

class PolyContextModel {
  public:
    PolyContextModel();
    ~PolyContextModel();
    PolyContextModel(PolyContextModel&&) noexcept;
    PolyContextModel& operator=(PolyContextModel&&) noexcept;

    // The reading table and the model of res/ (FindResource). A missing model file is
    // no failure: the model then predicts the table's first reading. False with `error`
    // (UTF-8: file and reason) when the table cannot be loaded or the model file is damaged.
    bool LoadDefault(std::string& error);
    // The same from given files; an empty `modelPath` means no model.
    bool Load(const std::string& tablePath, const std::string& modelPath, std::string& error);
    // The model from its bytes, over a table the caller loaded.
    bool Parse(PolyReadingTable table, std::string_view modelBytes, std::string& error);

    const PolyReadingTable& Table() const;
    bool HasModel() const;

    // Every polyphonic character of the GBK text, in text order. Linear in the text.
    std::vector<PolyPrediction> Predict(std::string_view gbkText) const;
    // The same handed over one by one, in text order, without holding them all: a long text
    // is read in pieces by two threads (`sink` is called on the caller's thread). A stopped
    // `meter` ends the pass after the pieces under way.
    void PredictEach(std::string_view gbkText,
                     const std::function<void(const PolyPrediction&)>& sink,
                     PassMeter* meter = nullptr) const;

  private:
    void PredictPiece(std::string_view piece, size_t base, std::vector<PolyPrediction>& out) const;

    struct Impl;
    std::unique_ptr<Impl> m;
};

// A run of bytes [begin, end) of a text.
struct PolyByteRange {
    size_t begin = 0;
    size_t end = 0;
};

// The bytes of `after` that a dictionary run over `before` wrote: the stretches where the
// two texts differ, aligned character by character. Linear in the texts for the local
// changes a dictionary makes.
std::vector<PolyByteRange> DictionaryChangedRanges(std::string_view before, std::string_view after);

// One replacement of the fix: `before` at `offset` of the input text becomes `after`.
struct PolyFixEdit {
    size_t offset = 0;
    std::string before;
    std::string after;
};

struct PolySmartResult {
    std::string text;       // the fixed text
    int64_t predicted = 0;  // polyphonic characters read by the model outside the kept ranges
    int64_t fixed = 0;      // of these, read otherwise than by default and replaced
    int64_t unfixable = 0;  // read otherwise than by default, but no homophone spells it
    std::vector<PolyFixEdit> edits;  // in text order, not overlapping
};

// Replaces every polyphonic character of `text` that lies outside `kept` (byte ranges the
// dictionary wrote, ascending) and whose predicted reading differs from its default:
// 同音字 style by the table's most common one-reading character of exactly that reading,
// 拼音 style by the reading itself. A character with no such homophone stays and is counted
// as unfixable. A stopped `meter` gives an empty result.
PolySmartResult SmartFix(const PolyContextModel& model, std::string_view text,
                         const std::vector<PolyByteRange>& kept, PolyStyle style,
                         PassMeter* meter = nullptr);
// The same with predictions the caller already holds (Predict over this very text).
PolySmartResult SmartFix(const PolyReadingTable& table, std::string_view text,
                         const std::vector<PolyPrediction>& predictions,
                         const std::vector<PolyByteRange>& kept, PolyStyle style);

}  // namespace qdm
