#include "uikit/file_dialogs.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

namespace qdm::ui {
namespace {

// The size, type and date columns in Chinese: Qt writes them in the system's locale (the C
// locale gives "bytes" and English month names) and its Chinese translation has no "Folder"
// nor "%1 File". The default locale is Chinese (translations.h).
class ChineseColumns : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() < 1 || index.column() > 3)
            return QIdentityProxyModel::data(index, role);
        const QFileInfo info = files->fileInfo(mapToSource(index));
        const QLocale locale;
        switch (index.column()) {
            case 1:
                return info.isDir() ? QIdentityProxyModel::data(index, role)
                                    : QVariant(locale.formattedDataSize(info.size()));
            case 2:
                if (info.isDir()) return QStringLiteral("文件夹");
                return info.suffix().isEmpty() ? QStringLiteral("文件")
                                               : info.suffix() + QStringLiteral(" 文件");
            default:
                return locale.toString(info.lastModified(), QLocale::ShortFormat);
        }
    }
};

}  // namespace

std::optional<QString> QtFileDialogs::Choose(const FileDialogRequest& request) {
    QFileDialog dialog(m_owner);
    dialog.setProxyModel(
        new ChineseColumns(&dialog));  // Qt's own dialog; a native one is the desktop's
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
