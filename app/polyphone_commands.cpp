#include "app/polyphone_commands.h"

#include <QAbstractScrollArea>
#include <memory>

#include "app/command_ids.h"
#include "app/command_router.h"
#include "app/poly_context_commands.h"
#include "app/view.h"
#include "editor/edit_box.h"
#include "editor/file_io.h"
#include "editor/gbk.h"
#include "editor/ui/edit_area.h"
#include "polyphone/poly_caret.h"
#include "polyphone/poly_file.h"
#include "polyphone/poly_list.h"
#include "polyphone/poly_readings.h"
#include "polyphone/ui/dialog_duoyinzi_set.h"
#include "polyphone/ui/dialog_poly_audit.h"
#include "polyphone/ui/dialog_poly_dir.h"
#include "polyphone/ui/dialog_poly_procing.h"
#include "polyphone/ui/poly_context_choice.h"
#include "uikit/file_dialogs.h"
#include "uikit/prompter.h"
#include "uikit/qt_text.h"
#include "uikit/window_place.h"

namespace qdm::ui {
namespace {

std::unique_ptr<CPolyDict> MakeDict(const PolyCommandHost& host) {
    return host.dictPath.empty() ? std::make_unique<CPolyDict>()
                                 : std::make_unique<CPolyDict>(host.dictPath);
}

void ShowResult(const PolyCommandHost& host, int64_t count) {
    const std::string text = gbk::Format(gbk::Lit("处理多音字%d个!"), std::to_string(count));
    BoxesOf(host.prompter)(host.owner, QFromGbk(text), QLit("多音字处理结果"));
}

// A file the command could not process is named with the reason; it keeps its content.
void ShowFileRefused(const PolyCommandHost& host, const PolyFileResult& refused) {
    BoxesOf(host.prompter)(host.owner,
                           QLit("文件未处理:") + QLatin1Char('\n') + QFromPath(refused.path) +
                               QStringLiteral(": ") + QString::fromStdString(refused.Reason()),
                           QLit("多音字处理结果"));
}

QString ChooseFile(const PolyCommandHost& host) {
    FileDialogRequest request;
    request.mode = FileDialogRequest::Open;
    request.filters = BookFileFilters();
    request.directory = host.directory;
    return host.files->Choose(request).value_or(QString());
}

QString ChooseFolder(const PolyCommandHost& host) {
    FileDialogRequest request;
    request.mode = FileDialogRequest::Folder;
    request.title = QLit("请选择书籍目录...");
    request.directory = host.directory;
    return host.files->Choose(request).value_or(QString());
}

// The reading table, read once: it ships with the program and does not change under it.
const PolyReadingTable* ReadingTable(const PolyCommandHost& host) {
    static PolyReadingTable table;
    static bool loaded = false;
    if (loaded) return &table;
    std::string error;
    const std::string path = FindResource(kPolyReadingsFile);
    if (path.empty())
        error = std::string(kPolyReadingsFile) + ": not found";
    else
        loaded = table.Load(path, error);
    if (!loaded)
        BoxesOf(host.prompter)(
            host.owner,
            QLit("无法读取多音字读音表:") + QLatin1Char('\n') + QString::fromStdString(error),
            QLit("多音字检查"));
    return loaded ? &table : nullptr;
}

// Selects the next occurrence of `context` after the selection, from the top when there is
// none below.
void SelectNext(CEditBox& edit, const std::string& context) {
    int32_t start = 0, end = 0;
    edit.GetSelection(start, end);
    const std::string_view text = edit.Text();
    size_t at = gbk::Find(text, context, static_cast<size_t>(end));
    if (at == gbk::npos) at = gbk::Find(text, context, 0, true);
    if (at == gbk::npos) return;
    edit.SetSelection(static_cast<int32_t>(at), static_cast<int32_t>(at + context.size()));
    edit.ScrollToCaret();
}

// The occurrence near the top of the edit area, and the dialog off it, so the user sees
// both.
void ShowBeside(IEditArea& area, QWidget* dialog) {
    area.ShowCaretNearTop();
    if (!dialog || !dialog->isVisible()) return;
    const QRect spot = area.SelectionRect();
    KeepInSight(dialog, QRect(area.Widget().viewport()->mapToGlobal(spot.topLeft()), spot.size()));
}

}  // namespace

PolyMessageBox BoxesOf(IPrompter* prompter) {
    if (!prompter) return &ShowPolyMessage;
    return [prompter](QWidget* owner, const QString& text, const QString& caption) {
        prompter->MessageFor(owner, text, caption);
    };
}

int RunPolyphoneDialog(CEditBox& edit, QWidget* parent, const CPolyDict* dict, PolyMessageBox box,
                       const PolyContextModel* context, int64_t* contextFixed) {
    const CPolyDict fallback;
    std::string text;
    edit.GetText(text);
    CDialogPOLYP_PROCING dialog(&text, dict ? *dict : fallback, std::move(box), parent);
    if (dialog.exec() != QDialog::Accepted) return dialog.DictionaryLost() ? -1 : 0;
    int32_t start = 0, end = 0;
    edit.GetSelection(start, end);
    if (context) {
        const int64_t fixed = FixRestByContext(*context, edit.Text(), text, parent);
        if (contextFixed) *contextFixed = fixed;
    }
    const int32_t caret = CaretAfterReplacement(edit.Text(), start, text);
    edit.SetText(std::move(text));
    edit.SetSelection(caret, caret);
    edit.ScrollToCaret();
    return static_cast<int>(dialog.Count());
}

void OnPolyphoneSettings(const PolyCommandHost& host) {
    const std::unique_ptr<CPolyDict> dict = MakeDict(host);
    CDialogDuoyinziSet dialog(*dict, BoxesOf(host.prompter), host.owner);
    dialog.exec();
}

void OnPolyphoneText(const PolyCommandHost& host) {
    const std::unique_ptr<CPolyDict> dict = MakeDict(host);
    const PolyContextModel* context =
        PolyContextFixChosen() ? ContextModel(host, QLit("多音字处理结果")) : nullptr;
    int64_t fixed = -1;
    const int n = RunPolyphoneDialog(*host.edit, host.owner, dict.get(), BoxesOf(host.prompter),
                                     context, &fixed);
    if (n >= 0) ShowResult(host, n);
    if (fixed >= 0) ShowContextFixed(host, fixed);
}

void OnPolyphoneFile(const PolyCommandHost& host) {
    const QString chosen = ChooseFile(host);
    if (chosen.isEmpty()) return;
    const std::string path = PathFromQ(chosen);
    const std::unique_ptr<CPolyDict> dict = MakeDict(host);
    std::string text;
    PolyFileResult r;
    r.path = r.relative = path;
    if (IsDictionaryFile(*dict, path)) {
        r.Skip(PolyOutcome::Dictionary);
        return ShowFileRefused(host, r);
    }
    // An empty file is a text too: it runs (to no effect) like any other.
    if (!LoadFileForPolyphone(path, text, r) && r.outcome != PolyOutcome::Empty)
        return ShowFileRefused(host, r);

    CDialogPOLYP_PROCING dialog(&text, *dict, BoxesOf(host.prompter), host.owner);
    if (dialog.exec() != QDialog::Accepted) return;
    if (const IoStatus io = WriteFileAtomic(path, text); !io) {
        r.Skip(PolyOutcome::WriteFailed, io.reason);
        return ShowFileRefused(host, r);
    }
    ShowResult(host, dialog.Count());
}

void OnPolyphoneDir(const PolyCommandHost& host) {
    const QString chosen = ChooseFolder(host);
    if (chosen.isEmpty()) return;
    const std::unique_ptr<CPolyDict> dict = MakeDict(host);
    CDialogPolyDir dialog(*dict, PathFromQ(chosen), BoxesOf(host.prompter), host.owner);
    dialog.exec();
}

void OnPolyphoneAudit(const PolyCommandHost& host) {
    const PolyReadingTable* table = ReadingTable(host);
    if (!table) return;
    const std::unique_ptr<CPolyDict> dict = MakeDict(host);
    const PolyContextModel* model = ContextModel(host, QLit("多音字检查"));
    FileText starter;  // proposals take the starter dictionary's own spelling first
    if (const std::string path = FindResource(StarterFileName(PolyStyle::Homophone)); !path.empty())
        ReadTextFile(path, starter);
    CDialogPolyAudit* shown = nullptr;
    PolySmartResult fix;  // what 全部修正 applies to the text as it is shown
    // False when the user cancelled working it out: what the dialog would show is stale.
    const auto refresh = [&] {
        std::optional<PolySmartResult> shownFix =
            ShowAuditWithReadings(*shown, host, *dict->Snapshot(), *table, model);
        if (shownFix) fix = std::move(*shownFix);
        return shownFix.has_value();
    };
    CDialogPolyAudit::Hooks hooks;
    hooks.jump = [&host, &shown](const std::string& context) {
        SelectNext(*host.edit, context);
        if (host.area) ShowBeside(*host.area, shown);
    };
    hooks.add = [&](const std::string& context) {
        CDialogDuoyinziSet settings(*dict, BoxesOf(host.prompter), shown);
        settings.Prefill(
            context, ProposePolyReplacement(context, PolyStyle::Homophone, *table, starter.text));
        settings.exec();
        if (!refresh()) shown->reject();  // the dictionary may have changed
    };
    hooks.fixAll = [&] {
        ApplyFixToEditor(host, fix);
        if (!refresh()) shown->reject();
    };
    CDialogPolyAudit dialog({}, std::move(hooks), host.owner);
    shown = &dialog;
    if (!refresh()) return;
    dialog.exec();
}

void RegisterPolyphoneCommands(CommandTarget& commands, CmkedView& view, IPrompter* prompter,
                               IFileDialogs* files) {
    const auto host = [&view, prompter, files] {
        PolyCommandHost h;
        h.owner = &view;
        h.edit = &view.Edit();
        h.area = &view.Area();
        h.prompter = prompter;
        h.files = files;
        h.directory = view.DialogDirectory();
        h.status = [&view](const QString& text) { emit view.statusMessage(text); };
        return h;
    };
    commands.On(ID_POLYPHONE_SETTINGS, [host] { OnPolyphoneSettings(host()); });
    commands.On(ID_POLYPHONE_TEXT, [host, &view] {
        // The run starts from the caret the user sees.
        view.Area().RunCommand([&] { OnPolyphoneText(host()); });
    });
    commands.On(ID_POLYPHONE_FILE, [host] { OnPolyphoneFile(host()); });
    commands.On(ID_POLYPHONE_DIR, [host] { OnPolyphoneDir(host()); });
    commands.On(ID_POLYPHONE_AUDIT, [host, &view] {
        view.Area().SyncSelectionToModel();  // the next occurrence after the caret
        OnPolyphoneAudit(host());
    });
}

}  // namespace qdm::ui
