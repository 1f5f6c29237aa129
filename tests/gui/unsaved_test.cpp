// A modified text is never replaced or closed without asking, and the caption says when
// the text is modified.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <functional>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/recent_files.h"
#include "app/view.h"
#include "editor/edit_box.h"
#include "harness.h"

namespace {

using namespace qdm::ui;
using namespace guitest;

const std::string kBook = G("<vsection=1>\r\n第一章\r\n</vsection> \r\n");
const std::string kOther = G("另一本书\r\n");
constexpr int kSave = 0, kDiscard = 1, kCancel = 2;

QString Caption(Editor& ed) {
    return ed.frame().windowTitle();
}

// An editor that opened b.txt and then a.txt, and typed into a.txt.
void OpenAndType(Editor& ed, const std::string& book = kBook) {
    WriteFile(ed.Path("a.txt"), book);
    WriteFile(ed.Path("b.txt"), kOther);
    ed.files.answers = {ed.Path("b.txt"), ed.Path("a.txt")};
    ASSERT_TRUE(ed.Run(ID_FILE_OPEN));
    ASSERT_TRUE(ed.Run(ID_FILE_OPEN));
    ASSERT_EQ(ed.app().Recent().Files().value(1), ed.Path("b.txt"));
    ed.Type(QStringLiteral("改"));
    ASSERT_TRUE(ed.model().IsModified());
}

TEST(Unsaved, TheCaptionCarriesAStarWhileTheTextDiffersFromTheSavedOne) {
    Editor ed;
    EXPECT_EQ(Caption(ed), QStringLiteral("QDM文件编辑器---Norvane科技有限公司"));
    ed.Type(QStringLiteral("x"));
    EXPECT_EQ(Caption(ed), QStringLiteral("QDM文件编辑器---Norvane科技有限公司*"));

    ed.prompter.answers = {kDiscard};
    OpenAndType(ed);
    EXPECT_EQ(Caption(ed), QStringLiteral("a.txt*"));
    ed.Key(Qt::Key_Z, Qt::ControlModifier);  // back to the text as loaded
    EXPECT_EQ(Caption(ed), QStringLiteral("a.txt"));
    ed.Type(QStringLiteral("改"));
    EXPECT_EQ(Caption(ed), QStringLiteral("a.txt*"));
    ASSERT_TRUE(ed.Run(ID_FILE_SAVE));
    EXPECT_EQ(Caption(ed), QStringLiteral("a.txt"));
    // A check that renumbers nothing and Undo past the save.
    ASSERT_TRUE(ed.Run(ID_CHECK_MARKUP));
    EXPECT_EQ(Caption(ed), QStringLiteral("a.txt"));
    ed.Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Caption(ed), QStringLiteral("a.txt*"));
}

struct Action {
    const char* name;
    std::function<void(Editor&)> run;
    // Whether the action went through: the text replaced or the window closed.
    std::function<bool(Editor&)> done;
};

bool ShowsIntroduction(Editor& ed) {
    return ed.model().Text().substr(0, 1) == "\t";
}
bool ShowsOther(Editor& ed) {
    return ed.model().Text() == kOther;
}
bool Closed(Editor& ed) {
    return !ed.frame().isVisible();
}

const Action kActions[] = {
    {"New", [](Editor& ed) { ed.Run(ID_FILE_NEW); }, ShowsIntroduction},
    {"Open",
     [](Editor& ed) {
         ed.files.answers = {ed.Path("b.txt")};
         ed.Run(ID_FILE_OPEN);
     },
     ShowsOther},
    {"a recent file", [](Editor& ed) { ed.Run(ID_FILE_MRU_FILE1 + 1); }, ShowsOther},
    {"Exit", [](Editor& ed) { ed.Run(ID_APP_EXIT); }, Closed},
    {"the close box",
     [](Editor& ed) {
         ed.frame().close();
         QApplication::processEvents();
     },
     Closed},
};

TEST(Unsaved, EveryActionThatDropsTheTextAsksAndFollowsTheAnswer) {
    for (const Action& action : kActions) {
        for (int answer : {kSave, kDiscard, kCancel}) {
            SCOPED_TRACE(std::string(action.name) + " answered " + std::to_string(answer));
            Editor ed;
            OpenAndType(ed);
            const std::string typed(ed.model().Text());
            ed.prompter.answers = {answer};
            action.run(ed);

            ASSERT_EQ(ed.prompter.questions.size(), 1u);
            const guitest::Question& q = ed.prompter.questions[0];
            EXPECT_EQ(q.text, QStringLiteral("是否保存对 a.txt 的修改?"));
            EXPECT_EQ(q.caption, QStringLiteral("mked"));
            EXPECT_EQ(q.buttons, QStringList({QStringLiteral("保存"), QStringLiteral("不保存"),
                                              QStringLiteral("取消")}));
            EXPECT_EQ(ReadFile(ed.Path("a.qdm")), answer == kSave ? typed : "<missing>");
            EXPECT_EQ(action.done(ed), answer != kCancel);
            if (answer == kCancel) {
                EXPECT_EQ(ed.model().Text(), typed);
                EXPECT_EQ(Caption(ed), QStringLiteral("a.txt*"));
                EXPECT_EQ(ed.files.requests.size(), 2u);  // Open never got to its dialog
            }
            EXPECT_TRUE(ed.prompter.boxes.empty());
        }
    }
}

TEST(Unsaved, ARefusedCheckOrAFailedSaveCancelsTheAction) {
    {
        Editor ed;  // markup fault: the check refuses, nothing is written
        OpenAndType(ed, G("<vsection=1>\r\n没有结束\r\n"));
        ed.prompter.answers = {kSave};
        ed.Run(ID_FILE_NEW);
        EXPECT_FALSE(ShowsIntroduction(ed));
        ASSERT_EQ(ed.prompter.boxes.size(), 1u);
        EXPECT_EQ(ed.prompter.boxes[0].caption, QStringLiteral("QDM检查出错"));
        EXPECT_EQ(ReadFile(ed.Path("a.qdm")), "<missing>");
    }
    {
        Editor ed;  // the save fails: a directory stands where the file should go
        OpenAndType(ed);
        QDir(ed.Path("")).mkdir(QStringLiteral("a.qdm"));
        ed.prompter.answers = {kSave};
        ed.Run(ID_APP_EXIT);
        EXPECT_FALSE(Closed(ed));
        ASSERT_EQ(ed.prompter.boxes.size(), 1u);
        EXPECT_TRUE(ed.prompter.boxes[0].text.contains(ed.Path("a.qdm")));
        EXPECT_TRUE(ed.model().IsModified());
    }
    {
        Editor ed;  // a text without a file: its save dialog is cancelled
        ed.Type(QStringLiteral("x"));
        ed.prompter.answers = {kSave};
        ed.Run(ID_FILE_NEW);
        ASSERT_EQ(ed.prompter.questions.size(), 1u);
        EXPECT_EQ(ed.prompter.questions[0].text, QStringLiteral("是否保存对 mked 的修改?"));
        EXPECT_EQ(ed.files.requests.size(), 1u);
        EXPECT_EQ(ed.model().Text().substr(0, 2), "x\t");
    }
}

TEST(Unsaved, ATextThatOnlyRanThroughCommandsThatChangedNothingIsNotAskedFor) {
    Editor ed;
    WriteFile(ed.Path("a.txt"), kBook);
    ed.files.answers = {ed.Path("a.txt")};
    ASSERT_TRUE(ed.Run(ID_FILE_OPEN));
    ASSERT_TRUE(ed.Run(ID_CHECK_MARKUP));  // renumbers to the same numbers
    ed.Select(0, 0);
    ed.Key(Qt::Key_Backspace);  // nothing before the caret
    ed.Run(ID_FILE_NEW);
    EXPECT_TRUE(ed.prompter.questions.empty());
    EXPECT_TRUE(ShowsIntroduction(ed));
    EXPECT_EQ(Caption(ed), QStringLiteral("QDM文件编辑器---Norvane科技有限公司"));
}

}  // namespace
