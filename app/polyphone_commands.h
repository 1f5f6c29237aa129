#pragma once
// The polyphone commands of the main view: the dictionary settings, the run over the editor's
// text, the run over one chosen file, the run over a directory tree and the check of which
// polyphonic characters of the text the dictionary leaves alone. They speak
// to the user through the window's prompter and file dialogs, which tests answer.
#include <QString>
#include <functional>
#include <string>

#include "polyphone/poly_dict.h"
#include "polyphone/ui/poly_prompt.h"

class QWidget;

namespace qdm {
class CEditBox;
class PolyContextModel;
}  // namespace qdm

namespace qdm::ui {
class CommandTarget;
class IEditArea;
class CmkedView;
class IFileDialogs;
class IPrompter;
}  // namespace qdm::ui

namespace qdm::ui {

struct PolyCommandHost {
    QWidget* owner = nullptr;                    // the view: parent of the dialogs
    CEditBox* edit = nullptr;                    // the editor's text
    IEditArea* area = nullptr;                   // where it is shown; null: nowhere
    IPrompter* prompter = nullptr;               // null: real boxes
    IFileDialogs* files = nullptr;               // the file and folder choosers
    std::string dictPath;                        // empty: the dictionary beside the executable
    QString directory;                           // where the file and folder choosers start
    std::function<void(const QString&)> status;  // the status bar; empty: nowhere
};

// The run over the whole text of `edit` in the progress dialog. On OK the text is replaced
// (not recorded in the edit history) and the caret stays on its line; returns the number of
// replacements, 0 when cancelled, -1 when the run stopped because the dictionary could no
// longer be read (the dialog has said so). With `context`, the polyphones the dictionary left
// that it reads otherwise than by default are respelt in the same change, and `contextFixed`
// (when given) says how many; it is left alone when nothing was replaced.
int RunPolyphoneDialog(CEditBox& edit, QWidget* parent = nullptr, const CPolyDict* dict = nullptr,
                       PolyMessageBox box = {}, const PolyContextModel* context = nullptr,
                       int64_t* contextFixed = nullptr);

void OnPolyphoneSettings(const PolyCommandHost& host);  // "多音字设置"
void OnPolyphoneText(const PolyCommandHost& host);      // "本文多音字处理"
void OnPolyphoneFile(const PolyCommandHost& host);      // "单文件"
void OnPolyphoneDir(const PolyCommandHost& host);       // "目录"
void OnPolyphoneAudit(const PolyCommandHost& host);     // "多音字检查"

// The boxes of `prompter` for the dialogs (the real ones when it is null).
PolyMessageBox BoxesOf(IPrompter* prompter);

// Serves the polyphone commands from `view`, through its prompter and file dialogs.
void RegisterPolyphoneCommands(CommandTarget& commands, CmkedView& view, IPrompter* prompter,
                               IFileDialogs* files);

}  // namespace qdm::ui
