#pragma once
// The polyphone commands' use of the context model: the readings and the fix of the audit
// dialog, and the fix that may follow the run over the editor's text.
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "polyphone/context_model.h"
#include "polyphone/poly_dict.h"
#include "polyphone/poly_readings.h"

class QWidget;

namespace qdm::ui {

class CDialogPolyAudit;
struct PolyCommandHost;

// The model of res/, read once; null, after saying why under `caption`, when it cannot be.
const PolyContextModel* ContextModel(const PolyCommandHost& host, const QString& caption);

// Shows the audit of the editor's text in `dialog`, with the model's readings when there is
// a model, and returns the fix "全部修正" would apply (none without a model). A long text is
// worked out behind a progress dialog; nothing when the user cancelled it.
std::optional<PolySmartResult> ShowAuditWithReadings(CDialogPolyAudit& dialog,
                                                     const PolyCommandHost& host,
                                                     const PolyDictSnapshot& dict,
                                                     const PolyReadingTable& table,
                                                     const PolyContextModel* model);

// Puts `fix` into the editor's text as one undo step and says how many characters it
// respelt in the status bar.
void ApplyFixToEditor(const PolyCommandHost& host, const PolySmartResult& fix);

// After a dictionary run turned `before` into `text`: respells the rest `model` reads
// otherwise than by default, leaving the run's own bytes; the count of those respelt. A long
// text is read behind a progress dialog over `owner`; cancelled, `text` stays as the run left
// it and the count is 0.
int64_t FixRestByContext(const PolyContextModel& model, std::string_view before, std::string& text,
                         QWidget* owner);

// "按上下文修正多音字 N 个" in the status bar.
void ShowContextFixed(const PolyCommandHost& host, int64_t count);

}  // namespace qdm::ui
