// Sectioning a book straight from its file's bytes must leave the model exactly as loading
// the book and sectioning it does, for every outcome.
#include <gtest/gtest.h>

#include "editor/edit_box.h"
#include "editor/file_io.h"
#include "editor/undo_history.h"
#include "markup/auto_section.h"

namespace {

using qdm::CEditBox;

struct LoadCase {
    const char* name;
    std::string text;
    bool history;       // the model records edits (the editor), or not (qdm)
    int64_t limit = 0;  // a lowered size limit, 0 for none
};

struct Seen {
    qdm::AutoSectionOutcome outcome;
    std::string message, text, clipboard, path;
    int32_t start = -1, end = -1;
    bool modified = false;
    size_t records = 0;
};

Seen Observe(CEditBox& edit, qdm::AutoSectionOutcome outcome, std::string message) {
    Seen s{outcome, std::move(message), std::string(edit.Text()), edit.Clipboard().Text(),
           edit.GetFilePath()};
    edit.GetSelection(s.start, s.end);
    s.modified = edit.IsModified();
    s.records = static_cast<size_t>(edit.History().Count());
    return s;
}

TEST(LoadAutoSectioned, LeavesTheModelAsLoadingAndSectioningDoForEveryOutcome) {
    std::string lines;
    for (int i = 0; i < 300; ++i) lines += "line number " + std::to_string(i) + "\r\n";
    const std::vector<LoadCase> cases = {
        {"a book of lines", lines, false},
        {"an empty file", "", false},
        {"a short text, shorter than the string's own room", "ab\ncd", false},
        {"a text holding a section", "intro<vsection=1>a</vsection>", false},
        {"a model that records edits", lines, true},
        {"a result past the size limit", lines, false, 4096},
    };
    for (const LoadCase& c : cases) {
        qdm::SetMaxFileSize(c.limit);
        CEditBox loaded, direct;
        for (CEditBox* edit : {&loaded, &direct}) edit->SetHistoryEnabled(c.history);
        std::string loadedMessage, directMessage;
        loaded.LoadText(c.text, "book.txt");
        const auto loadedOutcome = qdm::AutoSection(loaded, loadedMessage);
        const auto directOutcome =
            qdm::LoadAutoSectioned(direct, c.text, "book.txt", directMessage);
        const Seen want = Observe(loaded, loadedOutcome, loadedMessage);
        const Seen got = Observe(direct, directOutcome, directMessage);
        EXPECT_EQ(got.outcome, want.outcome) << c.name;
        EXPECT_EQ(got.message, want.message) << c.name;
        EXPECT_EQ(got.text, want.text) << c.name;
        EXPECT_EQ(got.clipboard, want.clipboard) << c.name;
        EXPECT_EQ(got.path, want.path) << c.name;
        EXPECT_EQ(got.start, want.start) << c.name;
        EXPECT_EQ(got.end, want.end) << c.name;
        EXPECT_EQ(got.modified, want.modified) << c.name;
        EXPECT_EQ(got.records, want.records) << c.name;
    }
    qdm::SetMaxFileSize(0);
}

TEST(LoadAutoSectioned, GivesTheSectionedTextWhateverHeldTheSourceBefore) {
    std::string source = "first line here\r\nsecond line here\r\n";
    CEditBox edit;
    edit.SetHistoryEnabled(false);
    edit.SetText("something else entirely");
    std::string message;
    ASSERT_EQ(qdm::LoadAutoSectioned(edit, source, "b.txt", message),
              qdm::AutoSectionOutcome::Done);
    const std::string sectioned(edit.Text());
    source.assign(source.size(), 'x');  // the model holds its own bytes
    EXPECT_EQ(edit.Text(), sectioned);
    EXPECT_EQ(sectioned, qdm::AutoSectionText("first line here\r\nsecond line here\r\n"));
}

}  // namespace
