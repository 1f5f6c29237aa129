#include "app/poly_context_commands.h"

#include <optional>

#include "app/polyphone_commands.h"
#include "editor/edit_box.h"
#include "editor/ui/edit_area.h"
#include "polyphone/context_audit.h"
#include "polyphone/context_edit.h"
#include "polyphone/ui/dialog_poly_audit.h"
#include "uikit/qt_text.h"

namespace qdm::ui {

const PolyContextModel* ContextModel(const PolyCommandHost& host, const QString& caption) {
    // It ships with the program and does not change under it; a failure is said each time,
    // since the user may have put the file back meanwhile.
    static PolyContextModel model;
    static bool loaded = false;
    if (loaded) return &model;
    std::string error;
    loaded = model.LoadDefault(error);
    if (!loaded)
        BoxesOf(host.prompter)(
            host.owner,
            QLit("无法读取多音字上下文模型:") + QLatin1Char('\n') + QString::fromStdString(error),
            caption);
    return loaded ? &model : nullptr;
}

PolySmartResult ShowAuditWithReadings(CDialogPolyAudit& dialog, const PolyCommandHost& host,
                                      const PolyDictSnapshot& dict, const PolyReadingTable& table,
                                      const PolyContextModel* model) {
    const std::string_view text = host.edit->Text();
    std::vector<PolyAuditChar> audit = AuditPolyphones({text}, dict, table);
    if (!model) {
        dialog.SetResult(std::move(audit));
        dialog.SetFixable(0);
        return {};
    }
    // What the dictionary will replace is its business, as in a run with the fix after it.
    PolyAuditReadings read =
        ReadAuditContextsAndFix(audit, text, dict, *model, PolyStyle::Homophone);
    dialog.SetResult(std::move(audit), std::move(read.readings));
    PolySmartResult fix = std::move(read.fix);
    dialog.SetFixable(fix.fixed);
    return fix;
}

void ApplyFixToEditor(const PolyCommandHost& host, const PolySmartResult& fix) {
    int64_t fixed = 0;
    {
        std::optional<EditBatch> batch;
        if (host.area) batch.emplace(*host.area);
        fixed = ApplySmartFix(*host.edit, fix);
    }
    ShowContextFixed(host, fixed);
}

int64_t FixRestByContext(const PolyContextModel& model, std::string_view before,
                         std::string& text) {
    PolySmartResult fix =
        SmartFix(model, text, DictionaryChangedRanges(before, text), PolyStyle::Homophone);
    text = std::move(fix.text);
    return fix.fixed;
}

void ShowContextFixed(const PolyCommandHost& host, int64_t count) {
    if (host.status) host.status(QLit("按上下文修正多音字 %1 个").arg(count));
}

}  // namespace qdm::ui
