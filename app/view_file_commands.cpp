// Open, Save and Save As. Reading and writing are the model's; the view chooses the path,
// checks the markup before every save and reports what failed, with the path and the reason.
#include <QFile>
#include <QFileInfo>

#include "app/recent_files.h"
#include "app/view.h"
#include "editor/encoding_detect.h"
#include "editor/file_io.h"
#include "editor/line_column.h"
#include "editor/text_buffer.h"
#include "editor/ui/edit_area.h"
#include "editor/ui/encoding_dialog.h"
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
    if (!MayReplaceText()) return;
    FileDialogRequest request;
    request.mode = FileDialogRequest::Open;
    request.directory = DialogDirectory();
    request.filters = BookFileFilters();
    const std::optional<QString> path = m_services.files->Choose(request);
    if (path) OpenPath(*path);
}

bool CmkedView::OpenPath(const QString& path) {
    // Mapped, not read: a book in another encoding is converted straight from the file. A
    // FIFO or a device is refused: reading it would hold the window until it ends, if ever.
    qdm::MappedFile file;
    const qdm::IoStatus status = file.OpenRegular(PathFromQ(path));
    if (!status) {
        Box(QStringLiteral("无法打开文件“%1”：\n%2").arg(path, Reason(status)), kAppCaption);
        return false;
    }
    LoadBytes(path, file.Bytes(), false);
    return true;
}

void CmkedView::LoadBytes(const QString& path, std::string_view bytes, bool ask) {
    const qdm::Encoding detected = qdm::DetectEncoding(bytes);
    if (detected == qdm::Encoding::Gbk && !ask) return LoadGbk(path, bytes);
    std::optional<ConfirmedText> confirmed = m_services.encoding->Ask(path, bytes, detected);
    if (!confirmed) return;  // cancelled: nothing changes
    if (confirmed->fileBytes) return LoadGbk(path, bytes);
    if (confirmed->report.from == qdm::Encoding::Gbk) {
        // Its line breaks or characters changed as the preview showed; a NUL still ends it.
        LoadGbk(path, confirmed->text);
        emit statusMessage(ConversionStatus(confirmed->report));
        return;
    }
    {
        qdm::ui::EditBatch batch(*m_area);
        m_edit.LoadText(std::move(confirmed->text), PathFromQ(path));
    }
    SetCurrentFile(path);
    emit statusMessage(ConversionStatus(confirmed->report));
}

// As the file's bytes are, up to the first NUL.
void CmkedView::LoadGbk(const QString& path, std::string_view bytes) {
    const size_t nul = bytes.find('\0');
    std::string text = qdm::NewTextBuffer(std::min(nul, bytes.size()));
    text.append(bytes.substr(0, nul));
    {
        qdm::ui::EditBatch batch(*m_area);
        m_edit.LoadText(std::move(text), PathFromQ(path));
    }
    SetCurrentFile(path);
    if (nul != std::string_view::npos) {
        // The text ends where the NUL stood; the user finds the place by line and column.
        const qdm::LineColumn at = qdm::Locate(m_edit.Text(), m_edit.Text().size());
        Box(QStringLiteral("文件“%1”第 %2 行第 %3 列（第 %4 个字节）是一个空字符（NUL），"
                           "只载入了它前面的文本。\n"
                           "如果保存到这个文件，它后面的内容将会丢失。")
                .arg(path)
                .arg(at.line)
                .arg(at.column)
                .arg(qint64{m_edit.Length()} + 1),
            kAppCaption);
    }
}

void CmkedView::OnFileReopenWithEncoding() {
    // Taken first: saving a .txt moves the text to its .qdm, and the user asked for this file.
    const QString path = QFromPath(m_edit.GetFilePath());
    if (!MayReplaceText()) return;
    qdm::MappedFile file;
    const qdm::IoStatus status = file.OpenRegular(PathFromQ(path));
    if (!status) {
        Box(QStringLiteral("无法打开文件“%1”：\n%2").arg(path, Reason(status)), kAppCaption);
        return;
    }
    LoadBytes(path, file.Bytes(), true);
}

bool CmkedView::MayReplaceText() {
    if (!m_edit.IsModified()) return true;
    // A text that never had a file goes by the document's name.
    const QString name = m_strFileName.empty() ? kAppCaption : QFromPath(m_strFileName);
    const int answer = m_services.prompter->Ask(
        QStringLiteral("是否保存对 %1 的修改?").arg(name), kAppCaption,
        {QStringLiteral("保存"), QStringLiteral("不保存"), QStringLiteral("取消")}, 2);
    if (answer == 0) return SaveText();
    return answer == 1;
}

void CmkedView::RestoreText(std::string text, const std::string& path, const std::string& name) {
    {
        qdm::ui::EditBatch batch(*m_area);
        m_edit.RestoreText(std::move(text), path);
    }
    m_strFileName = name;
    if (!path.empty()) m_lastDialogDir = QFileInfo(QFromPath(path)).absolutePath();
    RefreshModified();
    emit captionChanged(Caption());
}

// Checking renumbers the sections, so the text changes even when the save is refused.
bool CmkedView::CheckBeforeSave() {
    std::string message;
    const bool ok = m_area->RunCommand([&] { return qdm::CheckDocument(m_edit, message); });
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
    RefreshModified();
    return status.ok;
}

void CmkedView::OnFileSave() {
    SaveText();
}

bool CmkedView::SaveText() {
    if (!CheckBeforeSave()) return false;
    const std::string current = m_edit.GetFilePath();
    if (!current.empty()) return SaveTo(QFromPath(qdm::QdmSavePath(current)));
    FileDialogRequest request;
    request.mode = FileDialogRequest::Save;
    request.defaultSuffix = QStringLiteral("qdm");
    request.directory = DialogDirectory();
    request.filters = {{QStringLiteral("QDM文件(*.qdm)"), QStringLiteral("*.qdm")},
                       {QStringLiteral("所有文件(*.*)"), QStringLiteral("*.*")}};
    const std::optional<QString> path = m_services.files->Choose(request);
    if (!path || !SaveTo(*path)) return false;
    SetCurrentFile(*path);
    return true;
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
