#include "uikit/file_dialogs.h"

#include <QFileDialog>

namespace qdm::ui {

std::optional<QString> QtFileDialogs::Choose(const FileDialogRequest& request) {
    QFileDialog dialog(m_owner);
    const bool save = request.mode == FileDialogRequest::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setWindowTitle(save ? QStringLiteral("另存为") : QStringLiteral("打开"));
    if (request.mode == FileDialogRequest::Folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    }
    if (!request.title.isEmpty()) dialog.setWindowTitle(request.title);
    // Qt reads the patterns from the last parentheses, separated by spaces; the name the user
    // sees keeps its own form because the details are hidden.
    QStringList filters;
    for (const FileFilter& f : request.filters)
        filters << QStringLiteral("%1 (%2)").arg(f.name, QString(f.patterns).replace(u';', u' '));
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) dialog.selectNameFilter(filters.first());
    if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.directory.isEmpty()) dialog.setDirectory(request.directory);
    if (!request.proposedName.isEmpty()) dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QList<FileFilter> BookFileFilters() {
    return {{QStringLiteral("文本文件(*.txt;*.qdm)"), QStringLiteral("*.txt;*.qdm")},
            {QStringLiteral("所有文件(*.*)"), QStringLiteral("*.*")}};
}

}  // namespace qdm::ui
