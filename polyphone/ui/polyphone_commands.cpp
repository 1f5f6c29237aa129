#include "polyphone/ui/polyphone_commands.h"

#include <QFileDialog>
#include <memory>

#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "polyphone/poly_caret.h"
#include "polyphone/poly_file.h"
#include "polyphone/ui/dialog_duoyinzi_set.h"
#include "polyphone/ui/dialog_poly_dir.h"
#include "polyphone/ui/dialog_poly_procing.h"
#include "polyphone/ui/poly_ui_text.h"

namespace qdm {
namespace {

std::unique_ptr<CPolyDict> MakeDict(const PolyCommandHost& host) {
    return host.dictPath.empty() ? std::make_unique<CPolyDict>()
                                 : std::make_unique<CPolyDict>(host.dictPath);
}

void ShowResult(const PolyCommandHost& host, int64_t count) {
    const std::string text = gbk::Format(gbk::Lit("处理多音字%d个!"), std::to_string(count));
    OrRealBox(host.message)(host.owner, QFromGbk(text), QLit("多音字处理结果"));
}

// A file the command could not process is named with the reason; it keeps its content.
void ShowFileRefused(const PolyCommandHost& host, const std::string& path,
                     const std::string& reason) {
    OrRealBox(host.message)(host.owner,
                            QLit("文件未处理:") + QLatin1Char('\n') + QFromPath(path) +
                                QStringLiteral(": ") + QString::fromStdString(reason),
                            QLit("多音字处理结果"));
}

// "description|patterns|...||" as Qt's name filters; the description is what the user sees.
QString QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

QString RealOpenFile(QWidget* owner, const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileName(owner, title, QString(), QtNameFilters(filter), nullptr,
                                        QFileDialog::HideNameFilterDetails);
}

QString RealChooseFolder(QWidget* owner, const QString& title) {
    return QFileDialog::getExistingDirectory(owner, title);
}

}  // namespace

QString PolyphoneFileFilter() {
    return QLit("文本文件(*.txt;*.qdm)|*.txt;*.qdm|所有文件(*.*)|*.*||");
}

int RunPolyphoneDialog(CEditBox& edit, QWidget* parent, const CPolyDict* dict, PolyMessageBox box) {
    const CPolyDict fallback;
    std::string text;
    edit.GetText(text);
    CDialogPOLYP_PROCING dialog(&text, dict ? *dict : fallback, std::move(box), parent);
    if (dialog.exec() != QDialog::Accepted) return 0;
    int32_t start = 0, end = 0;
    edit.GetSelection(start, end);
    const int32_t caret = CaretAfterReplacement(edit.Text(), start, text);
    edit.SetText(std::move(text));
    edit.SetSelection(caret, caret);
    edit.ScrollToCaret();
    return static_cast<int>(dialog.Count());
}

void OnPolyphoneSettings(const PolyCommandHost& host) {
    const std::unique_ptr<CPolyDict> dict = MakeDict(host);
    CDialogDuoyinziSet dialog(*dict, host.message, host.owner);
    dialog.exec();
}

void OnPolyphoneText(const PolyCommandHost& host) {
    const std::unique_ptr<CPolyDict> dict = MakeDict(host);
    const int n = RunPolyphoneDialog(*host.edit, host.owner, dict.get(), host.message);
    ShowResult(host, n);
}

void OnPolyphoneFile(const PolyCommandHost& host) {
    const auto openFile = host.openFile ? host.openFile : &RealOpenFile;
    const QString chosen = openFile(host.owner, QString(), PolyphoneFileFilter());
    if (chosen.isEmpty()) return;
    const std::string path = PathFromQ(chosen);
    const std::unique_ptr<CPolyDict> dict = MakeDict(host);
    std::string text, reason;
    if (IsDictionaryFile(*dict, path))
        return ShowFileRefused(host, path, poly_reason::IsDictionary());
    // An empty file is a text too: it runs (to no effect) like any other.
    if (!LoadFileForPolyphone(path, text, reason) && reason != poly_reason::Empty())
        return ShowFileRefused(host, path, reason);

    CDialogPOLYP_PROCING dialog(&text, *dict, host.message, host.owner);
    if (dialog.exec() != QDialog::Accepted) return;
    if (const IoStatus io = WriteFileAtomic(path, text); !io)
        return ShowFileRefused(host, path, poly_reason::CannotWrite(io));
    ShowResult(host, dialog.Count());
}

void OnPolyphoneDir(const PolyCommandHost& host) {
    const auto chooseFolder = host.chooseFolder ? host.chooseFolder : &RealChooseFolder;
    const QString chosen = chooseFolder(host.owner, QLit("请选择书籍目录..."));
    if (chosen.isEmpty()) return;
    const std::unique_ptr<CPolyDict> dict = MakeDict(host);
    CDialogPolyDir dialog(*dict, PathFromQ(chosen), host.owner);
    dialog.exec();
}

}  // namespace qdm
