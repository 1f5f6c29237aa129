#pragma once
// The open and save dialogs of the file commands, behind an interface tests can answer.
#include <QList>
#include <QString>
#include <optional>

class QWidget;

namespace qdm::ui {

struct FileFilter {
    QString name;      // shown to the user, e.g. "文本文件(*.txt;*.qdm)"
    QString patterns;  // separated by ';', e.g. "*.txt;*.qdm"
};

struct FileDialogRequest {
    enum Mode { Open, Save, Folder };  // Folder: an existing directory is chosen
    Mode mode = Open;
    QString title;          // empty: the mode's own title
    QString defaultSuffix;  // added when the user types a name without one
    QString proposedName;
    QString directory;          // where the dialog starts; empty: the working directory
    QList<FileFilter> filters;  // the first is selected
};

// The filters of every dialog that opens a book: "文本文件(*.txt;*.qdm)", then all files.
QList<FileFilter> BookFileFilters();

class IFileDialogs {
  public:
    virtual ~IFileDialogs() = default;
    // The chosen file's full path; nullopt when cancelled. A save dialog asks before it
    // returns an existing file.
    virtual std::optional<QString> Choose(const FileDialogRequest& request) = 0;
};

class QtFileDialogs : public IFileDialogs {
  public:
    explicit QtFileDialogs(QWidget* owner) : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }
    std::optional<QString> Choose(const FileDialogRequest& request) override;

  private:
    QWidget* m_owner;
};

}  // namespace qdm::ui
