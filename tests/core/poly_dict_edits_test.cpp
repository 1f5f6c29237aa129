// The settings dialog's changes are replayed on the dictionary file as it is when it saves:
// only the lines concerned change, whatever else the file holds or gained meanwhile.
#include <gtest/gtest.h>

#include <string>

#include "polyphone/poly_dict_edit.h"

namespace {

using qdm::PolyDictEdits;
using qdm::PolyDictText;

struct EditCase {
    const char* name;
    std::string file;  // the file when the dialog saves
    void (*edit)(PolyDictEdits&);
    std::string expected;
};

TEST(PolyDictEdits, ChangesOnlyTheirLinesOfTheFileAsItIsWhenSaved) {
    const EditCase cases[] = {
        {"a change in place keeps CR LF neighbours and the unterminated tail",
         "a=>1\r\nb=>2\nbad line\ntail", [](PolyDictEdits& e) { e.Replace(1, "b=>2", "b=>3"); },
         "a=>1\r\nb=>3\nbad line\ntail"},
        {"a move down and a move to the end stop before the tail", "a\nb\nc\ntail",
         [](PolyDictEdits& e) {
             e.Move(0, 1, "a");
             e.Move(0, 2, "b");
         },
         "a\nc\nb\ntail"},
        {"a line another program put first is found by its text", "new\na\nb\n",
         [](PolyDictEdits& e) {
             e.Replace(0, "a", "A");
             e.Move(1, 0, "b");
         },
         "b\nnew\nA\n"},
        {"a line removed meanwhile is neither changed nor moved", "a\nc\n",
         [](PolyDictEdits& e) {
             e.Replace(1, "b", "B");
             e.Move(1, 0, "b");
             e.Remove(1, "b");
         },
         "a\nc\n"},
        {"additions, changes and moves replay in the order they were made", "x\ny",
         [](PolyDictEdits& e) {
             e.Add("z");
             e.Replace(1, "z", "Z");
             e.Move(1, 0, "Z");
         },
         "Z\nx\ny\n"},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        PolyDictEdits edits;
        c.edit(edits);
        PolyDictText text(c.file);
        edits.ApplyTo(text);
        EXPECT_EQ(text.Bytes(), c.expected);
    }
}

}  // namespace
