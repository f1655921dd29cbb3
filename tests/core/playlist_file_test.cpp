#include "core/playlist_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/errors.h"
#include "temp_dir.h"

namespace wallcine {
namespace {

using Rows = std::vector<std::string>;
using namespace std::string_literals;

TEST(IsPlaylistFile, ExtensionRules) {
    struct Case {
        const char* path;
        bool playlist;
    };
    const Case cases[] = {
        {"list.wcl", true},
        {"C:\\films\\list.wcl", true},
        {".wcl", true},
        {"a.b.wcl", true},
        {"list.WCL", false},  // case-sensitive: a media file
        {"list.Wcl", false},
        {"list.wcl ", false},
        {"list.wclx", false},
        {"list.wcl.avi", false},
        {"list", false},
        {"", false},
        {"C:\\a.wcl\\clip", false},  // the dot belongs to a folder name
        {"dir.wcl:stream", false},
        {"C:list.wcl", true},
        {"dir.x/list.wcl", true},
        {"dir.wcl/clip", false},     // '/' is not a separator: extension is ".wcl/clip"
    };
    for (const Case& c : cases) EXPECT_EQ(IsPlaylistFile(c.path), c.playlist) << c.path;
}

TEST(FileExtension, StopsAtBackslashAndColonOnly) {
    EXPECT_EQ(FileExtension("C:\\a.b\\c.avi"), ".avi");
    EXPECT_EQ(FileExtension("C:\\a.b\\c"), "");
    EXPECT_EQ(FileExtension("a.b/c"), ".b/c");
    EXPECT_EQ(FileExtension("clip."), ".");
}

TEST(ParsePlaylistText, LineEndsAndEmptyRows) {
    struct Case {
        std::string text;
        Rows rows;
    };
    const Case cases[] = {
        {"", {}},
        {"\r\n", {""}},
        {"\r", {""}},
        {"\n", {""}},
        {"a", {"a"}},
        {"x\r\ny\r\n", {"x", "y"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},      // LF CR is two ends
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"  spaced path.avi \t\r\n", {"  spaced path.avi \t"}},  // kept as written
        {"\xe9t\xe9.avi\r\n", {"\xe9t\xe9.avi"}},                // 8-bit bytes pass through
    };
    for (const Case& c : cases) EXPECT_EQ(ParsePlaylistText(c.text), c.rows) << ::testing::PrintToString(c.text);
}

TEST(ParsePlaylistText, NulEndsTheText) {
    EXPECT_EQ(ParsePlaylistText("a\r\nb\0c\r\nd\r\n"s), (Rows{"a", "b"}));
    EXPECT_EQ(ParsePlaylistText("a\r\n\0b"s), (Rows{"a"}));
    EXPECT_EQ(ParsePlaylistText("a\r\0\nb"s), (Rows{"a"}));  // CR before NUL ends the row alone
    EXPECT_EQ(ParsePlaylistText("\0a\r\n"s), Rows{});
}

TEST(FormatPlaylistText, EveryRowEndsWithCrLf) {
    EXPECT_EQ(FormatPlaylistText({}), "");
    EXPECT_EQ(FormatPlaylistText({""}), "\r\n");
    EXPECT_EQ(FormatPlaylistText({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

class PlaylistFileTest : public test_support::TempDirTest {};

TEST_F(PlaylistFileTest, WriteThenReadRoundTrips) {
    const std::vector<Rows> lists = {
        {},
        {""},
        {"", ""},
        {"C:\\films\\a.avi", "", "  b.mpg ", "c.wcl"},
    };
    for (const Rows& rows : lists) {
        WritePlaylistFile(PathOf("list.wcl"), rows);
        EXPECT_EQ(ReadBytes("list.wcl"), FormatPlaylistText(rows));
        EXPECT_EQ(ReadPlaylistFile(PathOf("list.wcl")), rows);
    }
}

TEST_F(PlaylistFileTest, WriteReplacesLongerFile) {
    WriteBytes("list.wcl", std::string(1000, 'x'));
    WritePlaylistFile(PathOf("list.wcl"), {"a"});
    EXPECT_EQ(ReadBytes("list.wcl"), "a\r\n");
}

TEST_F(PlaylistFileTest, ReadsAllLineEndFormsAndStopsAtNul) {
    WriteBytes("mixed.wcl", "a\rb\nc\r\nd\0e\r\n"s);
    EXPECT_EQ(ReadPlaylistFile(PathOf("mixed.wcl")), (Rows{"a", "b", "c", "d"}));
}

TEST_F(PlaylistFileTest, ReadsFileLargerThanOneBuffer) {
    Rows rows;
    for (int i = 0; i < 5000; ++i) rows.push_back("C:\\clips\\clip" + std::to_string(i) + ".avi");
    WriteBytes("big.wcl", FormatPlaylistText(rows));
    EXPECT_EQ(ReadPlaylistFile(PathOf("big.wcl")), rows);
}

TEST_F(PlaylistFileTest, CannotOpenMissingFileOrDirectory) {
    std::filesystem::create_directory(dir_ / "folder.wcl");
    for (const std::string& path : {PathOf("missing.wcl"), PathOf("folder.wcl")}) {
        try {
            ReadPlaylistFile(path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.what(), "Cannot open file " + path);
            EXPECT_EQ(e.path(), path);
        }
        EXPECT_THROW(FirstPlaylistEntry(path), EFOpenError);
    }
}

TEST_F(PlaylistFileTest, CannotCreateInMissingDirectoryOrOverDirectory) {
    std::filesystem::create_directory(dir_ / "folder.wcl");
    for (const std::string& path : {PathOf("no_such_dir/list.wcl"), PathOf("folder.wcl")}) {
        try {
            WritePlaylistFile(path, {"a"});
            ADD_FAILURE() << "no error for " << path;
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.what(), "Cannot create file " + path);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir_ / "no_such_dir"));
}

TEST(WritePlaylistFile, FailureAfterOpeningIsReported) {
    // /dev/full opens fine but every write fails with "no space left".
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    EXPECT_THROW(WritePlaylistFile("/dev/full", {"a.avi", "b.avi"}), EWriteError);
}

TEST_F(PlaylistFileTest, FirstPlaylistEntry) {
    WriteBytes("two.wcl", "\r\nsecond\r\n");
    EXPECT_EQ(FirstPlaylistEntry(PathOf("two.wcl")), "");

    WriteBytes("one.wcl", "only");
    EXPECT_EQ(FirstPlaylistEntry(PathOf("one.wcl")), "only");

    for (const std::string& bytes : {""s, "\0a\r\n"s}) {
        WriteBytes("empty.wcl", bytes);
        try {
            FirstPlaylistEntry(PathOf("empty.wcl"));
            ADD_FAILURE() << "no error for an empty playlist";
        } catch (const EListError& e) {
            EXPECT_STREQ(e.what(), "List index out of bounds (0)");
        }
    }
}

}  // namespace
}  // namespace wallcine
