// What Qt itself shows is Chinese as well: the font, colour and file dialogs through the real
// adapters, the overwrite question and the edit area's context menu.
#include <QAbstractButton>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTreeView>
#include <memory>

#include "app/appearance_dialogs.h"
#include "editor/ui/edit_area.h"
#include "polyphone_test_util.h"
#include "uikit/file_dialogs.h"

namespace {

using polytest::ModalUser;

template <class T>
QStringList TextsOf(QWidget* w) {
    QStringList texts;
    for (T* child : w->findChildren<T*>())
        if (child->isVisibleTo(w) && !child->text().isEmpty()) texts << child->text();
    return texts;
}

bool HasHan(const QString& s) {
    return std::any_of(s.begin(), s.end(),
                       [](QChar c) { return c >= u'\u4E00' && c <= u'\u9FFF'; });
}

// Every visible label and button of `w` that says something in words says it in Chinese.
void ExpectChinese(QWidget* w, const char* what) {
    const QStringList texts = TextsOf<QLabel>(w) + TextsOf<QAbstractButton>(w);
    EXPECT_FALSE(texts.isEmpty()) << what;
    for (const QString& t : texts) {
        // An English word has small letters; "HTML" is a name.
        const bool words = std::any_of(t.begin(), t.end(),
                                       [](QChar c) { return c.unicode() < 0x80 && c.isLower(); });
        if (words) {
            EXPECT_TRUE(HasHan(t)) << what << ": " << t.toStdString();
        }
    }
}

TEST(FontDialog, OpensOnSongtiInChineseAndOkWithoutChangesKeepsIt) {
    qdm::ui::QtAppearanceDialogs dialogs(nullptr);
    QString opened;
    ModalUser user([&](QDialog* d) {
        auto* dialog = qobject_cast<QFontDialog*>(d);
        if (!dialog) return false;
        opened = dialog->currentFont().family();
        ExpectChinese(dialog, "font dialog");
        // The sample is Chinese: Qt has no translation of its Latin one.
        for (QLineEdit* edit : dialog->findChildren<QLineEdit*>())
            EXPECT_NE(edit->text(), QStringLiteral("AaBbYyZz"));
        dialog->accept();
        return true;
    });
    const std::optional<qdm::ui::FontChoice> choice =
        dialogs.ChooseFont({QStringLiteral("宋体"), -22});
    ASSERT_TRUE(choice);
    EXPECT_EQ(opened, QStringLiteral("宋体"));
    EXPECT_EQ(choice->face, QStringLiteral("宋体"));
    EXPECT_GT(choice->sizeTenths, 140);
    EXPECT_LT(choice->sizeTenths, 180);
}

TEST(ColourDialog, OpensOnTheTextColourInChinese) {
    qdm::ui::QtAppearanceDialogs dialogs(nullptr);
    QColor opened;
    ModalUser user([&](QDialog* d) {
        auto* dialog = qobject_cast<QColorDialog*>(d);
        if (!dialog) return false;
        opened = dialog->currentColor();
        ExpectChinese(dialog, "colour dialog");
        dialog->accept();
        return true;
    });
    EXPECT_EQ(dialogs.ChooseColor(0x336699), std::optional<uint32_t>(0x336699));
    EXPECT_EQ(opened, QColor(0x33, 0x66, 0x99));
}

TEST(FileDialog, SpeaksChineseAndAsksInChineseBeforeReplacingAFile) {
    QTemporaryDir dir;
    guitest::WriteFile(dir.filePath(QStringLiteral("a.qdm")), "old");
    qdm::ui::QtFileDialogs dialogs(nullptr);
    qdm::ui::FileDialogRequest request;
    request.mode = qdm::ui::FileDialogRequest::Save;
    request.directory = dir.path();
    request.proposedName = QStringLiteral("a.qdm");
    request.filters = {{QStringLiteral("QDM文件(*.qdm)"), QStringLiteral("*.qdm")}};
    QString question;
    bool accepted = false;
    ModalUser user([&](QDialog* d) {
        if (auto* box = qobject_cast<QMessageBox*>(d)) {
            question = box->text();
            ExpectChinese(box, "overwrite question");
            box->button(QMessageBox::Yes)->click();
            return true;
        }
        auto* dialog = qobject_cast<QFileDialog*>(d);
        if (!dialog || accepted) return false;
        accepted = true;
        ExpectChinese(dialog, "file dialog");
        // Accepting asks first, the file exists; the question runs in a loop of its own, in
        // which this timer must tick again.
        QTimer::singleShot(0, d, [d] { d->accept(); });
        return false;
    });
    EXPECT_EQ(dialogs.Choose(request),
              std::optional<QString>(dir.filePath(QStringLiteral("a.qdm"))));
    EXPECT_TRUE(question.contains(QStringLiteral("a.qdm")));
    EXPECT_TRUE(HasHan(question)) << question.toStdString();
}

TEST(FileDialog, WritesSizesTypesAndDatesInChinese) {
    QTemporaryDir dir;
    guitest::WriteFile(dir.filePath(QStringLiteral("a.qdm")), "abc");
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    qdm::ui::QtFileDialogs dialogs(nullptr);
    qdm::ui::FileDialogRequest request;
    request.directory = dir.path();
    request.filters = qdm::ui::BookFileFilters();
    QMap<QString, QStringList> rows;
    ModalUser user([&](QDialog* d) {
        auto* view = d->findChild<QTreeView*>(QStringLiteral("treeView"));
        if (!view) return false;
        const QAbstractItemModel* model = view->model();
        rows.clear();
        for (int r = 0; r < model->rowCount(view->rootIndex()); ++r) {
            QStringList columns;
            for (int c = 0; c < 4; ++c)
                columns << model->index(r, c, view->rootIndex()).data().toString();
            rows[columns.first()] = columns;
        }
        if (rows.size() < 2) return false;  // the folder is read in the background
        d->reject();
        return true;
    });
    EXPECT_EQ(dialogs.Choose(request), std::nullopt);
    ASSERT_EQ(rows.size(), 2) << rows.keys().join(u' ').toStdString();
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const QDateTime modified = QFileInfo(dir.filePath(QStringLiteral("a.qdm"))).lastModified();
    EXPECT_EQ(
        rows[QStringLiteral("a.qdm")],
        (QStringList{QStringLiteral("a.qdm"), QStringLiteral("3 字节"), QStringLiteral("qdm 文件"),
                     chinese.toString(modified, QLocale::ShortFormat)}));
    EXPECT_EQ(rows[QStringLiteral("sub")].value(2), QStringLiteral("文件夹"));
    EXPECT_FALSE(std::any_of(rows[QStringLiteral("sub")][3].begin(),
                             rows[QStringLiteral("sub")][3].end(),
                             [](QChar c) { return c.isLetter() && c.unicode() < 0x80; }));
}

TEST(EditAreaContextMenu, IsChineseAndPromisesNoKeysThatDoNothing) {
    guitest::Editor ed;
    ed.SetText(guitest::G("文字"), 0, 2);
    std::unique_ptr<QMenu> menu(ed.area().CreateContextMenu({}));
    QStringList names;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) continue;
        names << a->objectName();
        EXPECT_TRUE(HasHan(a->text())) << a->text().toStdString();
        const bool frameKey = a->objectName() == u"edit-cut" || a->objectName() == u"edit-copy" ||
                              a->objectName() == u"edit-paste";
        // Select All keeps Ctrl+A, which the edit area does handle.
        EXPECT_EQ(a->text().contains(u'\t'), !frameKey && a->objectName() == u"select-all")
            << a->text().toStdString();
        if (frameKey) {
            EXPECT_TRUE(a->shortcut().isEmpty());
        }
    }
    for (const char* name : {"edit-cut", "edit-copy", "edit-paste", "select-all"})
        EXPECT_TRUE(names.contains(QLatin1String(name))) << name;
    // The widget's own history is switched off: its undo and redo could never run.
    EXPECT_FALSE(names.contains(QStringLiteral("edit-undo")));
    EXPECT_FALSE(names.contains(QStringLiteral("edit-redo")));
    EXPECT_FALSE(menu->actions().first()->isSeparator());
}

}  // namespace
