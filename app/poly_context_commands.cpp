#include "app/poly_context_commands.h"

#include <functional>
#include <optional>

#include "app/polyphone_commands.h"
#include "editor/edit_box.h"
#include "editor/ui/edit_area.h"
#include "polyphone/context_audit.h"
#include "polyphone/context_edit.h"
#include "polyphone/ui/dialog_poly_audit.h"
#include "uikit/progress_run.h"
#include "uikit/qt_text.h"

namespace qdm::ui {
namespace {

// Below this a text is worked out in a quarter of a second or less, with no progress shown.
constexpr size_t kInBackgroundBytes = 2u << 20;

// Runs `work` over a text of `bytes`: at once when short, behind a progress box over `owner`
// when long. False when the user cancelled it.
bool WorkOnText(size_t bytes, QWidget* owner, const char* title, const char* label,
                const std::function<void(PassMeter&)>& work) {
    if (bytes >= kInBackgroundBytes) return RunWithProgress(owner, QLit(title), QLit(label), work);
    PassMeter quiet;
    work(quiet);
    return true;
}

}  // namespace

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

std::optional<PolySmartResult> ShowAuditWithReadings(CDialogPolyAudit& dialog,
                                                     const PolyCommandHost& host,
                                                     const PolyDictSnapshot& dict,
                                                     const PolyReadingTable& table,
                                                     const PolyContextModel* model) {
    const std::string_view text = host.edit->Text();
    std::vector<PolyAuditChar> audit;
    PolyAuditReadings read;
    const auto work = [&](PassMeter& meter) {
        meter.Span(0, 0.15);
        const std::vector<uint8_t> covered = PolyCoverage(text, dict, &meter);
        meter.Span(0.15, model ? 0.45 : 1);
        audit = AuditPolyphonesCovered(text, covered, table, &meter);
        if (!model || meter.Stopped()) return;
        // What the dictionary will replace is its business, as in a run with the fix after it.
        meter.Span(0.45, 1);
        read = ReadAuditContextsAndFix(audit, text, covered, *model, PolyStyle::Homophone, &meter);
    };
    QWidget* owner = dialog.isVisible() ? static_cast<QWidget*>(&dialog) : host.owner;
    if (!WorkOnText(text.size(), owner, "多音字检查", "正在统计多音字，请稍候...", work))
        return std::nullopt;
    if (!model) {
        dialog.SetResult(std::move(audit));
        dialog.SetFixable(0);
        return PolySmartResult{};
    }
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

int64_t FixRestByContext(const PolyContextModel& model, std::string_view before, std::string& text,
                         QWidget* owner) {
    PolySmartResult fix;
    const auto work = [&](PassMeter& meter) {
        fix = SmartFix(model, text, DictionaryChangedRanges(before, text), PolyStyle::Homophone,
                       &meter);
    };
    if (!WorkOnText(text.size(), owner, "本文多音字处理", "正在按上下文修正多音字，请稍候...",
                    work))
        return 0;
    text = std::move(fix.text);
    return fix.fixed;
}

void ShowContextFixed(const PolyCommandHost& host, int64_t count) {
    if (host.status) host.status(QLit("按上下文修正多音字 %1 个").arg(count));
}

}  // namespace qdm::ui
