#include <gtest/gtest.h>

#include <random>

#include "editor/gbk.h"
#include "markup/outline.h"

namespace {

using qdm::OutlineIndex;
using qdm::OutlineRegion;
using qdm::OutlineTag;

// ---- the reference: the reading rules transcribed plainly, without the index's shortcuts ----

const char* const kStrings[2][5] = {
    {"<vsection=", "<vreadernote>", "<vauthornote>", "<vtrans>", "<vemph>"},
    {"</vsection>", "</vreadernote>", "</vauthornote>", "</vtrans>", "</vemph>"}};

std::vector<OutlineTag> ReferenceTags(const std::string& text) {
    std::vector<OutlineTag> tags;
    for (size_t i = 0; i < text.size();) {
        bool found = false;
        for (int end = 0; end < 2 && !found; ++end)
            for (int k = 0; k < 5 && !found; ++k) {
                const std::string s = kStrings[end][k];
                if (text.compare(i, s.size(), s) != 0) continue;
                int32_t len = static_cast<int32_t>(s.size());
                if (k == 0 && !end)  // numbered: a ">" within 20 bytes, no CR, LF or "<" first
                    for (size_t g = i + len; g < std::min(text.size(), i + 20); ++g) {
                        if (text[g] == '\r' || text[g] == '\n' || text[g] == '<') break;
                        if (text[g] == '>') {
                            len = static_cast<int32_t>(g + 1 - i);
                            break;
                        }
                    }
                tags.push_back({static_cast<int32_t>(i), static_cast<int16_t>(len),
                                static_cast<int8_t>(k + 1), end == 1});
                i += len;
                found = true;
            }
        if (!found) ++i;
    }
    return tags;
}

// Each region ends at the first later tag that is a begin string of its level or a higher one,
// its own end string, or the end string of a region around it.
std::vector<OutlineRegion> ReferenceRegions(const std::string& text) {
    const std::vector<OutlineTag> tags = ReferenceTags(text);
    std::vector<OutlineRegion> regions;
    std::vector<size_t> closer;  // index of the tag that ends each region, or tags.size()
    for (size_t i = 0; i < tags.size(); ++i) {
        const OutlineTag& t = tags[i];
        if (t.isEnd) continue;
        const int32_t level = qdm::OutlineLevel(t.kind);
        int32_t parent = -1;
        for (int32_t k = static_cast<int32_t>(regions.size()) - 1; k >= 0 && parent < 0; --k)
            if (qdm::OutlineLevel(regions[k].kind) < level && closer[k] > i) parent = k;
        std::vector<int32_t> aroundKinds;
        for (int32_t a = parent; a >= 0; a = regions[a].parent)
            aroundKinds.push_back(regions[a].kind);
        OutlineRegion r{t.kind,
                        t.pos,
                        t.pos + t.len,
                        static_cast<int32_t>(text.size()),
                        0,
                        static_cast<int16_t>(t.kind == 1 && t.len > 10 ? t.len - 11 : 0),
                        parent,
                        0};
        size_t j = i + 1;
        for (; j < tags.size(); ++j) {
            const OutlineTag& u = tags[j];
            if (!u.isEnd && qdm::OutlineLevel(u.kind) <= level) break;
            if (u.isEnd && u.kind == t.kind) {
                r.endLen = u.len;
                break;
            }
            if (u.isEnd && std::count(aroundKinds.begin(), aroundKinds.end(), u.kind)) break;
        }
        if (j < tags.size()) r.end = tags[j].pos;
        int32_t row = 0;
        for (const OutlineRegion& q : regions) row += q.parent == parent;
        r.row = row;
        regions.push_back(r);
        closer.push_back(j);
    }
    return regions;
}

// ---- generated books ---------------------------------------------------------------------

// Prose, line breaks, every tag string, numbered and unnumbered section tags, and the broken
// pieces a user leaves while typing tags.
std::string GeneratedBook(std::mt19937& rng, int pieces) {
    static const char* const kPieces[] = {"<vsection=",
                                          "<vsection=12>",
                                          "<vsection=7\r\n>",
                                          "<vsection=1234567890>",
                                          "</vsection>",
                                          "<vreadernote>",
                                          "</vreadernote>",
                                          "<vauthornote>",
                                          "</vauthornote>",
                                          "<vtrans>",
                                          "</vtrans>",
                                          "<vemph>",
                                          "</vemph>",
                                          "<vsect",
                                          "</vemp",
                                          "<",
                                          ">",
                                          "\r\n",
                                          "\xD6\xD0\xCE\xC4",
                                          "\xB5\x3C",
                                          "abc",
                                          "\x81"};
    std::string text;
    for (int i = 0; i < pieces; ++i) text += kPieces[rng() % std::size(kPieces)];
    return text;
}

std::string SoundBook(std::mt19937& rng, int sections) {
    std::string text = "\xC7\xB0\xD1\xD4\r\n";  // 前言
    for (int s = 1; s <= sections; ++s) {
        text += "\r\n<vsection=" + (rng() % 5 ? std::to_string(s) + ">" : std::string()) + "\r\n";
        text += "\xB5\xDA" + std::to_string(s) + "\xD5\xC2";
        if (rng() % 2) text += "<vreadernote>\xD7\xA2<vemph>\xD6\xD8</vemph></vreadernote>";
        if (rng() % 3 == 0) text += "<vemph>a</vemph><vtrans>b</vtrans>";
        text += "\r\n</vsection> \r\n";
    }
    return text;
}

void ExpectSameAsReference(const std::string& text, const OutlineIndex& index) {
    EXPECT_EQ(index.Tags(), ReferenceTags(text));
    const std::vector<OutlineRegion> want = ReferenceRegions(text);
    ASSERT_EQ(index.Regions().size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(index.Region(i), want[i]) << "region " << i;
    for (int32_t parent = -1; parent < index.Size(); ++parent)
        for (int32_t row = 0; row < index.ChildCount(parent); ++row) {
            const int32_t child = index.Child(parent, row);
            EXPECT_EQ(index.Region(child).parent, parent);
            EXPECT_EQ(index.Region(child).row, row);
        }
}

TEST(Outline, ReadsGeneratedBooksAsTheReferenceDoes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 400; ++round) {
        const std::string text =
            round % 4 ? GeneratedBook(rng, 1 + round % 60) : SoundBook(rng, 1 + round % 30);
        OutlineIndex index;
        index.Build(text);
        SCOPED_TRACE(round);
        ExpectSameAsReference(text, index);
        if (HasFailure()) return;
    }
}

struct Shape {
    const char* name;
    std::string text;
    std::vector<std::vector<int32_t>> regions;  // kind, begin, end, endLen, numberLen, parent
};

TEST(Outline, ReadsNestingNumbersAndBrokenTags) {
    const Shape shapes[] = {
        {"numbered section with a note holding emphasis",
         "<vsection=3>a<vreadernote><vemph>b</vemph></vreadernote></vsection>",
         {{1, 0, 56, 11, 1, -1}, {2, 13, 42, 14, 0, 0}, {5, 26, 34, 8, 0, 1}}},
        {"unnumbered section", "<vsection=\r\nx</vsection>", {{1, 0, 13, 11, 0, -1}}},
        {"a new section cuts off the open one",
         "<vsection=1>a<vsection=2>b",
         {{1, 0, 13, 0, 1, -1}, {1, 13, 26, 0, 1, -1}}},
        {"a section end closes the note left open",
         "<vsection=1><vtrans>a</vsection>",
         {{1, 0, 21, 11, 1, -1}, {4, 12, 21, 0, 0, 0}}},
        {"stray end strings close nothing",
         "</vemph><vauthornote>a</vtrans></vauthornote>",
         {{3, 8, 31, 14, 0, -1}}},
        {"notes outside sections stand at the top",
         "<vemph>a</vemph><vtrans>b",
         {{5, 0, 8, 8, 0, -1}, {4, 16, 25, 0, 0, -1}}},
        {"a note begin closes a note of another kind",
         "<vreadernote>a<vauthornote>b",
         {{2, 0, 14, 0, 0, -1}, {3, 14, 28, 0, 0, -1}}},
    };
    for (const Shape& s : shapes) {
        OutlineIndex index;
        index.Build(s.text);
        ASSERT_EQ(index.Size(), static_cast<int32_t>(s.regions.size())) << s.name;
        for (size_t i = 0; i < s.regions.size(); ++i) {
            const OutlineRegion& r = index.Region(static_cast<int32_t>(i));
            EXPECT_EQ(
                (std::vector<int32_t>{r.kind, r.begin, r.end, r.endLen, r.numberLen, r.parent}),
                s.regions[i])
                << s.name << ", region " << i;
        }
    }
}

// Random edits followed by an update, one by one or a few merged into one: the index always
// equals a fresh reading, and typing plain text away from the tags never reads the text again.
TEST(Outline, UpdatesAfterEditsAsAFreshReadingWould) {
    std::mt19937 rng(11);
    static const char* const kInserts[] = {"x",          "\xD6\xD0", "\r\n",    "<",
                                           ">",          "1",        "<vemph>", "</vsection>",
                                           "<vsection=", "ection=",  "/"};
    for (int round = 0; round < 60; ++round) {
        std::string text = round % 2 ? SoundBook(rng, 8) : GeneratedBook(rng, 40);
        OutlineIndex index;
        index.Build(text);
        for (int step = 0; step < 40; ++step) {
            qdm::MergedEdit edit;
            for (int n = round % 3 ? 1 : 1 + rng() % 4; n > 0; --n) {
                const int32_t pos = static_cast<int32_t>(rng() % (text.size() + 1));
                const int32_t removed =
                    std::min<int32_t>(static_cast<int32_t>(rng() % 4), text.size() - pos);
                const std::string ins = rng() % 3 ? kInserts[rng() % std::size(kInserts)] : "";
                text.replace(pos, removed, ins);
                edit.Add(pos, removed, static_cast<int32_t>(ins.size()));
            }
            index.Update(text, edit.pos, edit.removed, edit.inserted);
            OutlineIndex fresh;
            fresh.Build(text);
            ASSERT_EQ(index.Tags(), fresh.Tags()) << round << "/" << step;
            ASSERT_EQ(index.Regions(), fresh.Regions()) << round << "/" << step;
        }
    }
    std::string text = "<vsection=1>\r\nab</vsection>";
    OutlineIndex index;
    index.Build(text);
    text.insert(12, "x");  // right after the begin tag: the content grows
    EXPECT_TRUE(index.Update(text, 12, 0, 1));
    EXPECT_EQ(index.Region(0).contentStart, 12);
    EXPECT_EQ(index.Region(0).end, 17);
    text.insert(17, "y");  // right before the end string
    EXPECT_TRUE(index.Update(text, 17, 0, 1));
    EXPECT_EQ(index.Region(0).end, 18);
    text.replace(0, 2, "<v");  // the same bytes again, inside a tag
    EXPECT_FALSE(index.Update(text, 0, 2, 2));
}

TEST(Outline, FindsTheInnermostRegionAroundAPosition) {
    std::mt19937 rng(3);
    for (int round = 0; round < 100; ++round) {
        const std::string text = round % 2 ? SoundBook(rng, 5) : GeneratedBook(rng, 30);
        OutlineIndex index;
        index.Build(text);
        for (int32_t pos = 0; pos <= static_cast<int32_t>(text.size()); ++pos) {
            int32_t want = -1;  // the last region by begin that holds pos is the innermost
            for (int32_t i = 0; i < index.Size(); ++i)
                if (index.Region(i).begin <= pos && pos < index.Region(i).SpanEnd()) want = i;
            ASSERT_EQ(index.Innermost(pos), want) << round << " at " << pos;
        }
    }
}

TEST(Outline, PreviewsTheContentFromItsFirstVisibleCharacter) {
    const std::string text = "<vsection=1>\r\n \xD6\xD0\r\n\r\nab\tc</vsection>";
    OutlineIndex index;
    index.Build(text);
    EXPECT_EQ(qdm::ContentPreview(text, index.Region(0), 30), "\xD6\xD0 ab c");
    EXPECT_EQ(qdm::ContentPreview(text, index.Region(0), 3), "\xD6\xD0 a");
    EXPECT_EQ(qdm::ContentPreview(text, index.Region(0), 2), "\xD6\xD0 ");
    const std::string nested = "<vtrans> <vemph>a</vemph> b</vtrans>";  // inner tags left out
    index.Build(nested);
    EXPECT_EQ(qdm::ContentPreview(nested, index.Region(0), 30), "a b");
    const std::string lone = "<vemph>\xD6";  // a lead byte cut off by the end of the text
    index.Build(lone);
    EXPECT_EQ(qdm::ContentPreview(lone, index.Region(0), 30), "\xD6");
}

}  // namespace
