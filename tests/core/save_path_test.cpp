#include <gtest/gtest.h>

#include "markup/qdm_path.h"

namespace {

TEST(SavePath, TheLastTxtOfTheFileNameBecomesQdm) {
    const std::pair<const char*, const char*> cases[] = {
        {"/books/a.txt", "/books/a.qdm"},
        {"a.txt.bak", "a.bak.qdm"},
        {"A.TXT", "A.TXT"},                      // no ".txt" in it: written back to itself
        {"notes.txt.d/ch1", "notes.txt.d/ch1"},  // a directory is never renamed
        {"books.txt/a.qdm", "books.txt/a.qdm"},
        {"books.txt/a.txt", "books.txt/a.qdm"},
        {"d/.txt", "d/.txt"},  // the ".txt" starts the name
        {".txt", ".txt"},
        {"a.txt.txt", "a.txt.qdm"},
    };
    for (const auto& [path, saved] : cases) EXPECT_EQ(qdm::QdmSavePath(path), saved) << path;
}

}  // namespace
