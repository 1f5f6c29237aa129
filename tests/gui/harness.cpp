#include "harness.h"

#include <QApplication>
#include <QFile>
#include <QInputMethodEvent>
#include <QStatusBar>
#include <QTest>

#include "app/main_frame.h"
#include "app/view.h"
#include "editor/codec.h"
#include "editor/gbk.h"
#include "editor/ui/edit_area.h"
#include "editor/ui/unit_text.h"

namespace gbk = qdm::gbk;

namespace guitest {

std::optional<QString> FileDialogs::Choose(const qdm::ui::FileDialogRequest& request) {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    const QString answer = answers.front();
    answers.pop_front();
    if (answer.isEmpty()) return std::nullopt;
    return answer;
}

std::optional<qdm::ui::FontChoice> AppearanceDialogs::ChooseFont(
    const qdm::ui::FontRequest& request) {
    fontRequests.push_back(request);
    return fontDialog ? fontDialog->ChooseFont(request) : font;
}

std::optional<uint32_t> AppearanceDialogs::ChooseColor(uint32_t initial) {
    colorRequests.push_back(initial);
    return color;
}

std::optional<qdm::ui::ConfirmedText> EncodingPrompter::Ask(const QString& path,
                                                            std::string_view bytes,
                                                            qdm::Encoding detected) {
    qdm::ui::EncodingDialog dialog(nullptr, path, bytes, detected);
    requests.push_back({path, detected, dialog.windowTitle()});
    if (answer && !answer(dialog)) return std::nullopt;
    return dialog.TakeResult();
}

int Prompter::Ask(const QString& text, const QString& caption, const QStringList& buttons,
                  int escape) {
    questions.push_back({text, caption, buttons});
    if (answers.empty()) return escape;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

Editor::Editor(const QStringList& args) : Editor(args, {}, {}) {}

Editor::Editor(const QStringList& args, const QString& stateDir, std::deque<int> answers)
    : m_stateDir(stateDir.isEmpty() ? m_dir.filePath(QStringLiteral("state/mked")) : stateDir),
      m_app(qdm::ui::Services{&prompter, &files, &appearance, nullptr, &encoding},
            QFile::encodeName(m_stateDir).toStdString()) {
    prompter.answers = std::move(answers);
    m_app.InitInstance(args);
    QApplication::processEvents();
}

Editor::~Editor() = default;

qdm::ui::CMainFrame& Editor::frame() {
    return m_app.MainFrame();
}
qdm::ui::CmkedView& Editor::view() {
    return m_app.View();
}
qdm::ui::IEditArea& Editor::area() {
    return view().Area();
}
QAbstractScrollArea& Editor::widget() {
    return area().Widget();
}
qdm::CEditBox& Editor::model() {
    return view().Edit();
}

void Editor::SetText(const std::string& gbk, int32_t start, int32_t end) {
    {
        qdm::ui::EditBatch batch(area());
        model().SetText(gbk);
        model().ClearModified();
        model().SetSelection(start, end);
    }
    QApplication::processEvents();
}

void Editor::Select(int32_t start, int32_t end) {
    qdm::ui::EditBatch batch(area());
    model().SetSelection(start, end);
}

int32_t Editor::Caret() {
    int32_t s, e;
    model().GetSelection(s, e);
    return e;
}

void Editor::Key(int key, Qt::KeyboardModifiers mods) {
    QTest::keyClick(&widget(), static_cast<Qt::Key>(key), mods);
    QApplication::processEvents();
}

void Editor::Type(const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, &widget(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    QApplication::processEvents();
}

void Editor::Commit(const QString& text) {
    QInputMethodEvent e;
    e.setCommitString(text);
    QApplication::sendEvent(&widget(), &e);
    QApplication::processEvents();
}

bool Editor::Run(int id) {
    frame().UpdateCommandUI();
    QAction* a = frame().Action(id);
    if (!a || !a->isEnabled()) return false;
    a->trigger();
    QApplication::processEvents();
    return true;
}

bool Editor::Enabled(int id) {
    frame().UpdateCommandUI();
    QAction* a = frame().Action(id);
    return a && a->isEnabled();
}

QString Editor::Shown() {
    return area().ShownText();
}

QString Editor::ModelShown() {
    return qdm::ui::DecodeUnits(model().Text());
}

QString Editor::Status() {
    return frame().statusBar()->currentMessage();
}

int CaretLineShown(qdm::ui::IEditArea& area) {
    return area.CaretRect().top() / area.Widget().fontMetrics().lineSpacing();
}

std::string SectionLines(int lines) {
    std::string text;
    for (int i = 1; i <= lines; ++i) {
        const std::string n = std::to_string(i);
        text += "<vsection=" + n + ">" + gbk::Lit("行") + n + "</vsection>\r\n";
    }
    return text;
}

std::string G(const char* utf8) {
    return gbk::Lit(utf8);
}

QString U(const std::string& gbk) {
    return QString::fromStdString(gbk::ToUtf8(gbk));
}

std::string ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll().toStdString();
}

void WriteFile(const QString& path, const std::string& bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

}  // namespace guitest
