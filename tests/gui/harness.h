#pragma once
// A running editor with its dialogs answered by the test, and ways to type into it.
#include <QAbstractScrollArea>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/appearance_dialogs.h"
#include "editor/ui/encoding_dialog.h"
#include "uikit/file_dialogs.h"
#include "uikit/prompter.h"

namespace qdm {
class CEditBox;
namespace ui {
class IEditArea;
}
}  // namespace qdm

namespace qdm::ui {
class CMainFrame;
class CmkedView;
}  // namespace qdm::ui

namespace guitest {

struct Box {
    QString text;
    QString caption;
    QWidget* owner = nullptr;  // null: the main window
};

struct Question {
    QString text;
    QString caption;
    QStringList buttons;
};

struct Prompter : qdm::ui::IPrompter {
    std::vector<Box> boxes;
    std::vector<Question> questions;
    std::deque<int> answers;  // button indices; none left: the box is closed (Escape)
    void Message(const QString& text, const QString& caption) override {
        boxes.push_back({text, caption});
    }
    void MessageFor(QWidget* owner, const QString& text, const QString& caption) override {
        boxes.push_back({text, caption, owner});
    }
    int Ask(const QString& text, const QString& caption, const QStringList& buttons,
            int escape) override;
};

struct FileDialogs : qdm::ui::IFileDialogs {
    std::vector<qdm::ui::FileDialogRequest> requests;
    std::deque<QString> answers;  // an empty answer, or none left: cancelled
    std::optional<QString> Choose(const qdm::ui::FileDialogRequest& request) override;
};

struct AppearanceDialogs : qdm::ui::IAppearanceDialogs {
    std::vector<qdm::ui::FontRequest> fontRequests;
    std::vector<uint32_t> colorRequests;
    std::optional<qdm::ui::FontChoice> font;
    std::optional<uint32_t> color;
    // When set, the font dialog is this one (the real dialog, answered by the test).
    qdm::ui::IAppearanceDialogs* fontDialog = nullptr;
    std::optional<qdm::ui::FontChoice> ChooseFont(const qdm::ui::FontRequest& request) override;
    std::optional<uint32_t> ChooseColor(uint32_t initial) override;
};

// The encoding dialog is the real one, answered by `answer` as a user would set its widgets
// (false: 取消); without an answer it is accepted as it opened.
struct EncodingPrompter : qdm::ui::IEncodingPrompter {
    struct Request {
        QString path;
        qdm::Encoding detected;
        QString caption;
    };
    std::vector<Request> requests;
    std::function<bool(qdm::ui::EncodingDialog&)> answer;
    std::optional<qdm::ui::ConfirmedText> Ask(const QString& path, std::string_view bytes,
                                              qdm::Encoding detected) override;
};

class Editor {
  public:
    explicit Editor(const QStringList& args = {});
    // `stateDir`: where unsaved text is kept (empty: a directory of the editor's own);
    // `answers`: the questions start-up will ask.
    Editor(const QStringList& args, const QString& stateDir, std::deque<int> answers);
    ~Editor();

    qdm::ui::CMainFrame& frame();
    qdm::ui::CmkedView& view();
    qdm::ui::IEditArea& area();
    // The area's widget, where keys and input-method events go.
    QAbstractScrollArea& widget();
    qdm::CEditBox& model();
    qdm::ui::CmkedApp& app() { return m_app; }
    QString StateDir() const { return m_stateDir; }

    // Replaces the text (no record) as a load would, unmodified, and places the selection,
    // both in model bytes.
    void SetText(const std::string& gbk, int32_t start = 0, int32_t end = 0);
    void Select(int32_t start, int32_t end);
    int32_t Caret();
    // Key events as a keyboard sends them, through the accelerator table and the shortcuts.
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
    // Characters typed one key at a time (the key events carry the text).
    void Type(const QString& text);
    void Commit(const QString& text);
    // Runs a command as its menu item or button does; false when it is disabled.
    bool Run(int id);
    bool Enabled(int id);
    // What the widget shows, as GBK units would decode; must equal the model's text.
    QString Shown();
    QString ModelShown();
    QString Status();
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    Prompter prompter;
    FileDialogs files;
    AppearanceDialogs appearance;
    EncodingPrompter encoding;

  private:
    QTemporaryDir m_dir;
    QString m_stateDir;
    qdm::ui::CmkedApp m_app;
};

// The line of the edit area's window the caret is on (0: the top line shown).
int CaretLineShown(qdm::ui::IEditArea& area);
// A text of `lines` short lines, each the content of a numbered section: "<vsection=N>行N".
std::string SectionLines(int lines);

// GBK bytes of a UTF-8 literal, and back.
std::string G(const char* utf8);
QString U(const std::string& gbk);
std::string ReadFile(const QString& path);
void WriteFile(const QString& path, const std::string& bytes);

}  // namespace guitest
