#pragma once
// The four polyphone commands of the main view: the dictionary settings, the run over the
// editor's text, the run over one chosen file and the run over a directory tree. The view
// hands them what they need from the window; tests hand them answering stand-ins for the
// message box and the file and folder choosers.
#include <QString>
#include <functional>

#include "polyphone/poly_dict.h"
#include "polyphone/ui/poly_prompt.h"

class QWidget;

namespace qdm {

class CEditBox;

struct PolyCommandHost {
    QWidget* owner = nullptr;  // the view: owner of the boxes, parent of the dialogs
    CEditBox* edit = nullptr;  // the editor's text
    PolyMessageBox message;    // empty: real boxes
    // The chosen file's path, or an empty string when the chooser was dismissed; empty: the
    // real chooser.
    std::function<QString(QWidget* owner, const QString& title, const QString& filter)> openFile;
    // The chosen directory, or an empty string when the chooser was dismissed; empty: the
    // real chooser.
    std::function<QString(QWidget* owner, const QString& title)> chooseFolder;
    // The dictionary; empty: the file beside the executable.
    std::string dictPath;
};

// The run over the whole text of `edit` in the progress dialog. On OK the text is replaced
// (not recorded in the edit history) and the caret stays on its line; returns the number of
// replacements, 0 when cancelled.
int RunPolyphoneDialog(CEditBox& edit, QWidget* parent = nullptr, const CPolyDict* dict = nullptr,
                       PolyMessageBox box = {});

void OnPolyphoneSettings(const PolyCommandHost& host);  // "多音字设置"
void OnPolyphoneText(const PolyCommandHost& host);      // "本文多音字处理"
void OnPolyphoneFile(const PolyCommandHost& host);      // "单文件"
void OnPolyphoneDir(const PolyCommandHost& host);       // "目录"

// The file chooser's filter, in the form "description|patterns|...||".
QString PolyphoneFileFilter();

}  // namespace qdm
