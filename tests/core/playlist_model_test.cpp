#include "core/playlist_model.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/errors.h"
#include "temp_dir.h"

namespace wallcine {
namespace {

using Rows = std::vector<std::string>;

// A reader over fixed playlist contents that records which files were read.
struct FakeReader {
    std::map<std::string, Rows> files;
    std::vector<std::string> reads;

    PlaylistReader AsReader() {
        return [this](const std::string& path) {
            reads.push_back(path);
            auto it = files.find(path);
            if (it == files.end()) throw EFOpenError(path);
            return it->second;
        };
    }
};

TEST(AppendSelection, ExpandsPlaylistFilesInPlace) {
    FakeReader fake{{{"list.wcl", {"x", "y"}}}, {}};
    Rows rows = {"old.avi"};
    AppendSelection(rows, {"a.avi", "list.wcl", "b.avi"}, fake.AsReader());
    EXPECT_EQ(rows, (Rows{"old.avi", "a.avi", "x", "y", "b.avi"}));
    EXPECT_EQ(fake.reads, (Rows{"list.wcl"}));
}

TEST(AppendSelection, NestedPlaylistAndUpperCaseExtensionAreNotExpanded) {
    FakeReader fake{{{"outer.wcl", {"inner.wcl", "", "c.avi"}}, {"inner.wcl", {"never"}}}, {}};
    Rows rows;
    AppendSelection(rows, {"outer.wcl", "CAPS.WCL", "outer.wcl"}, fake.AsReader());
    EXPECT_EQ(rows, (Rows{"inner.wcl", "", "c.avi", "CAPS.WCL", "inner.wcl", "", "c.avi"}));
    EXPECT_EQ(fake.reads, (Rows{"outer.wcl", "outer.wcl"}));
}

TEST(AppendSelection, ReaderErrorPropagatesAndKeepsEarlierRows) {
    FakeReader fake{{{"good.wcl", {"x"}}}, {}};
    Rows rows = {"old.avi"};
    EXPECT_THROW(AppendSelection(rows, {"a.avi", "good.wcl", "missing.wcl", "b.avi"}, fake.AsReader()),
                 EFOpenError);
    EXPECT_EQ(rows, (Rows{"old.avi", "a.avi", "x"}));
}

TEST(RebuildFromSelection, ReplacesExistingRows) {
    FakeReader fake{{{"list.wcl", {"x"}}}, {}};
    Rows rows = {"old.avi", "older.avi"};
    RebuildFromSelection(rows, {"list.wcl", "a.avi"}, fake.AsReader());
    EXPECT_EQ(rows, (Rows{"x", "a.avi"}));

    RebuildFromSelection(rows, {}, fake.AsReader());
    EXPECT_TRUE(rows.empty());
}

class AppendFromDiskTest : public test_support::TempDirTest {};

TEST_F(AppendFromDiskTest, DefaultReaderReadsPlaylistFiles) {
    WriteBytes("list.wcl", "x\r\ny\n");
    Rows rows;
    AppendSelection(rows, {"a.avi", PathOf("list.wcl"), "b.avi"});
    EXPECT_EQ(rows, (Rows{"a.avi", "x", "y", "b.avi"}));
    EXPECT_THROW(AppendSelection(rows, {PathOf("missing.wcl")}), EFOpenError);
}

TEST(EqualsIgnoringCase, FoldsAsciiLettersOnly) {
    EXPECT_TRUE(EqualsIgnoringCase("C:\\Films\\A.AVI", "c:\\films\\a.avi"));
    EXPECT_TRUE(EqualsIgnoringCase("", ""));
    EXPECT_FALSE(EqualsIgnoringCase("a.avi", "a.avi "));
    EXPECT_FALSE(EqualsIgnoringCase("[", "{"));  // 0x5B vs 0x7B: not letters
    EXPECT_FALSE(EqualsIgnoringCase("@", "`"));
}

TEST(FindNextItem, Table) {
    struct Case {
        Rows rows;
        std::string current;
        int matched, next;
    };
    const Case cases[] = {
        {{"A", "B", "A", "C"}, "A", 0, 1},  // first match wins
        {{"A", "B", "A", "C"}, "C", 3, 0},  // last row wraps
        {{"A", "B", "A", "C"}, "Z", -1, 0},  // not in the list: start over
        {{"a.avi", "B.avi", "b.AVI"}, "b.avi", 1, 2},  // case-insensitive, first found
        {{"only"}, "only", 0, 0},
        {{"only"}, "other", -1, 0},
        {{"", "x"}, "", 0, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindFirstRowIgnoringCase(c.rows, c.current), c.matched) << c.current;
        const NextItem next = FindNextItem(c.rows, c.current);
        EXPECT_EQ(next.matchedIndex, c.matched) << c.current;
        EXPECT_EQ(next.nextIndex, c.next) << c.current;
    }
}

// The row last started, where known, carries the rule past duplicates; a row that no longer names
// the current item (moved, or chosen by the user) is not taken for it.
TEST(FindNextItem, GoesOnFromThePlayingRowWhenItNamesTheCurrentItem) {
    struct Case {
        Rows rows;
        std::string current;
        int playing_row;
        int matched, next;
    };
    const Case cases[] = {
        {{"A", "A", "B"}, "A", 1, 1, 2},    // the second copy plays: B is next, not the second copy again
        {{"A", "A", "B"}, "A", 0, 0, 1},
        {{"A", "A", "B"}, "A", -1, 0, 1},   // unknown: the first match
        {{"A", "B", "A"}, "a", 2, 2, 0},    // the match ignores case here too
        {{"A", "B", "C"}, "A", 2, 0, 1},    // row 2 is not the current item: the first match
        {{"A", "B"}, "A", 5, 0, 1},         // out of range: the first match
    };
    for (const Case& c : cases) {
        const NextItem next = FindNextItem(c.rows, c.current, EqualsIgnoringCase, c.playing_row);
        EXPECT_EQ(next.matchedIndex, c.matched) << c.current << " at " << c.playing_row;
        EXPECT_EQ(next.nextIndex, c.next) << c.current << " at " << c.playing_row;
    }
}

TEST(FindNextItem, EmptyListIsAnIndexError) {
    EXPECT_EQ(FindFirstRowIgnoringCase({}, "a"), -1);
    try {
        FindNextItem({}, "a");
        ADD_FAILURE() << "no error for an empty list";
    } catch (const EListError& e) {
        EXPECT_EQ(e.index(), 0);
        EXPECT_STREQ(e.what(), "List index out of bounds (0)");
    }
}

}  // namespace
}  // namespace wallcine
