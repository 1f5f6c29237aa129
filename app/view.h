#pragma once
// CmkedView: the main window's only view. It holds the text model (shown and edited through
// the edit area that covers the whole view) and the name of the current file, and it
// serves the editor's own commands.
#include <QWidget>
#include <memory>
#include <string>
#include <string_view>

#include "app/command_router.h"
#include "app/services.h"
#include "editor/edit_box.h"
#include "editor/ui/system_clipboard.h"
#include "markup/tags.h"

namespace qdm::ui {
class IEditArea;
class FindSession;
class FindReplaceDialog;
class GoToDialog;
}  // namespace qdm::ui

namespace qdm::ui {

class IPrompter;
class IFileDialogs;
class IAppearanceDialogs;
class RecentFiles;

class CmkedView : public QWidget {
    Q_OBJECT
  public:
    CmkedView(const Services& services, QWidget* parent = nullptr);
    ~CmkedView() override;

    // The edit area that shows the model.
    qdm::ui::IEditArea& Area() { return *m_area; }
    // The text model the edit area shows.
    qdm::CEditBox& Edit() { return m_edit; }
    const CommandTarget& Commands() const { return m_commands; }
    // The main window's caption: the current file's name, or the default caption, with "*"
    // after it while the text is modified.
    QString Caption() const;
    // The size of the form the view was laid out for; the frame shrinks to it at start-up.
    QSize TemplateSize() const;

    // Puts the introduction text into the edit area (start-up and New).
    void OnInitialUpdate();
    // New: the introduction text in a document that has no file, so neither the caption nor
    // Save names the book that was open before.
    void StartUnnamedText();
    // Loads a file as Open does once the user has chosen it; false when it cannot be read
    // (the user has been told why). A text in another encoding than GBK is converted once the
    // user confirms it in the encoding dialog; cancelling it changes nothing.
    bool OpenPath(const QString& path);
    // Before the text is replaced or the window closes: a modified text is offered for
    // saving (保存 / 不保存 / 取消). False when the action must not go on: the user cancelled,
    // or the check or the save failed.
    bool MayReplaceText();
    // Save as the command does; true when the text was written.
    bool SaveText();
    // Puts back a kept text with the file it belonged to; it stays modified.
    void RestoreText(std::string text, const std::string& path, const std::string& name);

    // ---- command handlers ------------------------------------------------------------------
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnFileReopenWithEncoding();
    void OnInsertSection();
    void OnReverseSection();
    void OnInsertReaderNote();
    void OnInsertAuthorNote();
    void OnInsertTrans();
    void OnInsertEmph();
    void OnCheckMarkup();
    void OnAutoProcess();
    void OnFont();
    void OnColor();
    void OnEditUndo();
    void OnEditRedo();
    // 查找 and 替换: the one 查找和替换 dialog.
    void OnEditFind();
    // F3 and Shift+F3: the last search again; the dialog when there was none.
    void OnFindAgain(bool backward);
    void OnEditGoTo();

    // Where a file dialog starts: the current book's folder, else the last one used.
    QString DialogDirectory() const;

    // The dialogs while they exist (created on first use), for tests.
    FindReplaceDialog* FindDialog() const { return m_findDialog; }
    GoToDialog* GoTo() const { return m_goTo; }

  signals:
    void captionChanged(const QString& caption);
    // The text became modified or stopped being so.
    void modifiedChanged(bool modified);
    // Something that decides whether a command can run has changed.
    void commandStateChanged();
    // A short message for the status bar.
    void statusMessage(const QString& text);
    // The frame should shrink so that the view is no larger than `size`.
    void fitFrameRequested(const QSize& size);

  private:
    void RegisterCommands();
    void RegisterFindCommands();
    void GoTo(bool section, int number);
    void InsertMarkup(qdm::TagNumber kind);  // refusals shown under the kind's caption
    bool CheckBeforeSave();
    bool SaveTo(const QString& path);
    void SetCurrentFile(const QString& path);
    // Open's work once the file is read: a GBK text as it is, any other through the encoding
    // dialog (always, with `ask`), where cancelling changes nothing.
    void LoadBytes(const QString& path, std::string_view bytes, bool ask);
    void LoadGbk(const QString& path, std::string_view bytes);
    // Tells the window when the modified state has changed.
    void RefreshModified();
    void Box(std::string_view gbkText, const char* captionUtf8);
    void Box(const QString& text, const QString& caption);

    Services m_services;
    CommandTarget m_commands;
    qdm::ui::SystemClipboard m_clipboard;

    qdm::CEditBox m_edit;

  public:
    // Name of the current file without its directory, in the file system's own bytes; empty
    // until Open, Save As, or a Save that asked for a name succeeds.
    std::string m_strFileName;

  private:
    std::unique_ptr<qdm::ui::IEditArea> m_area;
    QString m_lastDialogDir;
    bool m_shownModified = false;
    std::unique_ptr<FindSession> m_find;
    FindReplaceDialog* m_findDialog = nullptr;
    GoToDialog* m_goTo = nullptr;
};

}  // namespace qdm::ui
