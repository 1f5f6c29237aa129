// Open, Save and Save As. Reading and writing are the model's; the view chooses the path,
// checks the markup before every save and reports what failed, with the path and the reason.
#include <QFile>
#include <QFileInfo>

#include "app/recent_files.h"
#include "app/view.h"
#include "editor/ui/edit_widget.h"
#include "markup/check.h"
#include "markup/qdm_path.h"
#include "uikit/file_dialogs.h"
#include "uikit/prompter.h"
#include "uikit/qt_text.h"

namespace qdm::ui {
namespace {

QString Reason(const qdm::IoStatus& status) {
    return QString::fromStdString(status.reason);
}

const QString kAppCaption = QStringLiteral("mked");

}  // namespace

QString CmkedView::DialogDirectory() const {
    const std::string current = m_edit.GetFilePath();
    if (!current.empty()) return QFileInfo(QFromPath(current)).absolutePath();
    return m_lastDialogDir;
}

void CmkedView::SetCurrentFile(const QString& path) {
    const QFileInfo info(path);
    m_strFileName = PathFromQ(info.fileName());
    m_lastDialogDir = info.absolutePath();
    m_services.recent->Add(path);
    emit captionChanged(Caption());
}

void CmkedView::OnFileOpen() {
    FileDialogRequest request;
    request.mode = FileDialogRequest::Open;
    request.directory = DialogDirectory();
    request.filters = BookFileFilters();
    const std::optional<QString> path = m_services.files->Choose(request);
    if (path) OpenPath(*path);
}

bool CmkedView::OpenPath(const QString& path) {
    bool hadNul = false;
    qdm::IoStatus status;
    {
        qdm::ui::MirrorBatch batch(m_editor->Mirror());
        status = m_edit.LoadFile(PathFromQ(path), &hadNul);
    }
    if (!status) {
        Box(QStringLiteral("无法打开文件“%1”：\n%2").arg(path, Reason(status)), kAppCaption);
        return false;
    }
    SetCurrentFile(path);
    if (hadNul) {
        Box(QStringLiteral("文件“%1”在第 %2 个字节处有一个空字符（NUL），只载入了它前面的文本。\n"
                           "如果保存到这个文件，它后面的内容将会丢失。")
                .arg(path)
                .arg(m_edit.Length()),
            kAppCaption);
    }
    return true;
}

// Checking renumbers the sections, so the text changes even when the save is refused.
bool CmkedView::CheckBeforeSave() {
    std::string message;
    const bool ok = m_editor->RunCommand([&] { return qdm::CheckDocument(m_edit, message); });
    if (!ok) Box(message, "QDM检查出错");
    return ok;
}

bool CmkedView::SaveTo(const QString& path) {
    const qdm::IoStatus status = m_edit.SaveFile(PathFromQ(path));
    if (!status) {
        Box(QStringLiteral("无法保存文件“%1”：\n%2\n磁盘上的文件没有被改动。")
                .arg(path, Reason(status)),
            kAppCaption);
    }
    return status.ok;
}

void CmkedView::OnFileSave() {
    if (!CheckBeforeSave()) return;
    const std::string current = m_edit.GetFilePath();
    if (!current.empty()) {
        SaveTo(QFromPath(qdm::QdmSavePath(current)));
        return;
    }
    FileDialogRequest request;
    request.mode = FileDialogRequest::Save;
    request.defaultSuffix = QStringLiteral("qdm");
    request.directory = DialogDirectory();
    request.filters = {{QStringLiteral("QDM文件(*.qdm)"), QStringLiteral("*.qdm")},
                       {QStringLiteral("所有文件(*.*)"), QStringLiteral("*.*")}};
    const std::optional<QString> path = m_services.files->Choose(request);
    if (path && SaveTo(*path)) SetCurrentFile(*path);
}

void CmkedView::OnFileSaveAs() {
    if (!CheckBeforeSave()) return;
    FileDialogRequest request;
    request.mode = FileDialogRequest::Save;
    request.defaultSuffix = QStringLiteral("qdm");
    request.proposedName = QFromPath(m_strFileName);
    request.directory = DialogDirectory();
    request.filters = {{QStringLiteral("qdm文件(*.qdm)"), QStringLiteral("*.qdm")},
                       {QStringLiteral("所有文件(*.*)"), QStringLiteral("*.*")}};
    const std::optional<QString> path = m_services.files->Choose(request);
    if (path && SaveTo(*path)) SetCurrentFile(*path);
}

}  // namespace qdm::ui
