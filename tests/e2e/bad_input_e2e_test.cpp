// Bad input given to the real Wallcine.exe, as tables of cases: a first item that cannot be
// played (the system-modal "Error" box, then the program ends), a bad row in the middle of a
// playlist (one "Wallcine" box, playback goes on past it, no second box), and names with
// characters that are fine and must simply play. Each case also checks that nothing crashed or
// hung and that the desktop settings are as the test set them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "bad_input_run.h"
#include "desktop_settings.h"
#include "playing_title.h"
#include "polling.h"
#include "remote_controls.h"
#include "start_error_box.h"
#include "system_dialogs.h"
#include "test_files.h"
#include "wallcine_process.h"
#include "win/code_page.h"

namespace wallcine::e2e {
namespace {

using ::testing::EndsWith;
using ::testing::Eq;
using ::testing::HasSubstr;
using ::testing::Matcher;
using Rows = std::vector<std::string>;

// Where a case makes its input: a scratch directory, and the files it keeps locked for the run.
struct InputPlace {
    ScratchDirectory scratch;
    std::vector<std::unique_ptr<LockedFile>> locks;

    std::string Lock(const std::string& path) {
        locks.push_back(std::make_unique<LockedFile>(path));
        return path;
    }
};

std::string ClipBytes(const char* name) { return ReadFileBytes(ClipPath(name)); }
std::string FirstHalfOf(const std::string& bytes) { return bytes.substr(0, bytes.size() / 2); }

// Bad files, each made in the place under the name given.
std::string TextFile(InputPlace& place, const std::string& name) {
    return place.scratch.Write(name, "These are notes about a holiday, not a video.\r\n");
}
std::string NoiseFile(InputPlace& place, const std::string& name) {
    return place.scratch.Write(name, RandomBytes(1, 64 * 1024));
}
// An MP4 whose index (moov) follows its media: cut in half it has no index at all.
std::string HalfMp4(InputPlace& place, const std::string& name) {
    return place.scratch.Write(name, FirstHalfOf(ClipBytes("clip-index-last.mp4")));
}
// A real clip at a path longer than MAX_PATH.
std::string ClipAtLongPath(InputPlace& place) {
    const std::string path = MakeLongPath(place.scratch.MakeFolder("deep"), "red.avi");
    EXPECT_TRUE(WriteFileBytes(win::AnsiToWide(path), ClipBytes("red-1s.avi")));
    return path;
}
// A clip under a name outside the ANSI code page, as UTF-8 bytes in a playlist row (a playlist
// saved by an editor that writes UTF-8): the 8-bit reading names another, missing file.
std::string Utf8RowOfCyrillicClip(InputPlace& place) {
    const std::wstring clip = place.scratch.Write(std::wstring(L"\u0412\u0438\u0434\u0435\u043e.avi"),
                                                  ClipBytes("red-1s.avi"));
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, clip.data(), static_cast<int>(clip.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, clip.data(), static_cast<int>(clip.size()), utf8.data(), size, nullptr,
                          nullptr);
    return utf8;
}

// --- A bad first item: the "Error" box, then the program ends --------------------------------------

// The argument a case gives, or why the case cannot be made here.
struct Argument {
    std::wstring path;
    std::string skip_reason;
};
Argument Ansi(const std::string& path) { return {win::AnsiToWide(path), {}}; }

// A file of that name and content, when the ANSI code page lacks some character of the name.
Argument FileNamedOutsideTheCodePage(InputPlace& place, const std::wstring& name, const std::string& bytes) {
    if (!AnsiCodePageLacks(name))
        return {{}, "the ANSI code page (" + std::to_string(::GetACP()) + ") has every character of the name"};
    return {place.scratch.Write(name, bytes), {}};
}

struct StartCase {
    const char* name;
    std::function<Argument(InputPlace&)> make_argument;
    Matcher<const std::string&> text;
    // A damaged file that the system may still play: a normal start is then right too.
    bool may_play = false;
};

void PrintTo(const StartCase& start_case, std::ostream* out) { *out << start_case.name; }

const Matcher<const std::string&> kNoFirstEntry = Eq("List index out of bounds (0)");

const StartCase kStartCases[] = {
    {"MissingFile",
     [](InputPlace& place) { return Ansi(place.scratch.PathOf("missing.avi")); },
     // The system's text for the code, then the code: HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND).
     ::testing::AllOf(EndsWith(" ($80070002)."), ::testing::SizeIs(::testing::Gt(sizeof " ($80070002).")))},
    {"Folder", [](InputPlace& place) { return Ansi(place.scratch.MakeFolder("folder")); }, ClearMessage()},
    {"ZeroByteFile", [](InputPlace& place) { return Ansi(place.scratch.Write("empty.avi", "")); }, ClearMessage()},
    {"TextFileNamedAvi", [](InputPlace& place) { return Ansi(TextFile(place, "notes.avi")); }, ClearMessage()},
    {"RandomBytesNamedMp4", [](InputPlace& place) { return Ansi(NoiseFile(place, "noise.mp4")); }, ClearMessage()},
    {"FileLockedByAnotherProgram",
     [](InputPlace& place) { return Ansi(place.Lock(place.scratch.Write("locked.avi", ClipBytes("red-1s.avi")))); },
     ClearMessage()},
    // With its index first, the first half of an MP4 holds a whole index and a second of media.
    {"Mp4CutInHalf",
     [](InputPlace& place) { return Ansi(place.scratch.Write("half.mp4", FirstHalfOf(ClipBytes("clip.mp4")))); },
     ClearMessage(), true},
    {"Mp4CutInHalfBeforeItsIndex", [](InputPlace& place) { return Ansi(HalfMp4(place, "half.mp4")); },
     ClearMessage()},
    // Windows' ANSI calls stop at MAX_PATH; Wine's do not, and play the clip: either is right.
    {"PathLongerThanMaxPath", [](InputPlace& place) { return Ansi(ClipAtLongPath(place)); }, ClearMessage(), true},
    {"NameInCyrillic",
     [](InputPlace& place) {
         return FileNamedOutsideTheCodePage(place, L"\u0412\u0438\u0434\u0435\u043e.avi", ClipBytes("red-1s.avi"));
     },
     HasSubstr("code page")},
    {"NameInChinese",
     [](InputPlace& place) { return FileNamedOutsideTheCodePage(place, L"\u89c6\u9891.avi", ClipBytes("red-1s.avi")); },
     HasSubstr("code page")},
    {"MissingPlaylistWithPrintfDirectivesInItsName",
     [](InputPlace& place) { return Ansi(place.scratch.PathOf("missing %s%n%x.wcl")); },
     // A clear message names the file, verbatim.
     HasSubstr("missing %s%n%x.wcl")},
    {"PlaylistLockedByAnotherProgram",
     [](InputPlace& place) {
         return Ansi(place.Lock(place.scratch.Write("locked.wcl", PlaylistBytes({ClipPath("red-1s.avi")}))));
     },
     ClearMessage()},
    {"PlaylistNamedInCyrillic",
     [](InputPlace& place) {
         return FileNamedOutsideTheCodePage(place, L"\u0421\u043f\u0438\u0441\u043e\u043a.wcl",
                                            PlaylistBytes({ClipPath("red-1s.avi")}));
     },
     HasSubstr("code page")},
    {"EmptyPlaylist", [](InputPlace& place) { return Ansi(place.scratch.Write("empty.wcl", "")); }, kNoFirstEntry},
    // Blank lines are rows (empty ones): the first names no file.
    {"PlaylistOfBlankLines",
     [](InputPlace& place) { return Ansi(place.scratch.Write("blank.wcl", "\r\n\r\n\n\r\n")); },
     HasSubstr("row is empty")},
    {"PlaylistOfNuls",
     [](InputPlace& place) { return Ansi(place.scratch.Write("nuls.wcl", std::string(4096, '\0'))); },
     ClearMessage()},
    {"PlaylistOfRandomBytes",
     [](InputPlace& place) {
         // Noise with NULs and line ends here and there; the first byte starts a row.
         std::string noise = RandomBytes(2, 16 * 1024);
         noise.front() = 'x';
         return Ansi(place.scratch.Write("noise.wcl", noise));
     },
     ClearMessage()},
    {"PlaylistOfOneHugeLine",
     [](InputPlace& place) {
         std::string line = RandomBytes(3, 100 * 1024);
         for (char& byte : line) byte = static_cast<char>('!' + static_cast<unsigned char>(byte) % 90);
         return Ansi(place.scratch.Write("one-line.wcl", line));
     },
     ClearMessage()},
    {"PlaylistWhoseFirstRowIsLongerThanMaxPath",
     [](InputPlace& place) {
         const Rows rows{ClipAtLongPath(place), ClipPath("red-1s.avi")};
         return Ansi(place.scratch.Write("long-row.wcl", PlaylistBytes(rows)));
     },
     ClearMessage(), true},
    {"PlaylistListingItself",
     [](InputPlace& place) {
         const std::string self = place.scratch.PathOf("self.wcl");
         return Ansi(place.scratch.Write("self.wcl", PlaylistBytes({self})));
     },
     ClearMessage()},
    {"PlaylistOfAMissingPlaylist",
     [](InputPlace& place) {
         return Ansi(place.scratch.Write("outer.wcl", PlaylistBytes({place.scratch.PathOf("missing.wcl")})));
     },
     ClearMessage()},
    {"PlaylistRowInUtf8",
     [](InputPlace& place) {
         return Ansi(place.scratch.Write("utf8.wcl", PlaylistBytes({Utf8RowOfCyrillicClip(place)})));
     },
     ClearMessage()},
};

class BadInputStartE2E : public ::testing::TestWithParam<StartCase> {};

// The damaged file that may play: started, it must play on until "Exit" ends it cleanly.
void ExpectItPlaysAndExitsCleanly(const WallcineProcess& wallcine) {
    MessageBoxWatch boxes(wallcine);
    const WallcineProcess::Forms forms = WaitUntilInTray(wallcine, boxes);
    ASSERT_NE(forms.main, nullptr) << "neither the \"Error\" box nor the tray; " << DescribeState(wallcine);
    EXPECT_TRUE(WaitUntil([&] {
        boxes.Poll();
        const std::optional<double> position = ShownPosition(wallcine, forms.playing_control);
        return position && *position > 0.3;
    })) << "it started but does not play";
    ExitAndExpectDesktopBack(wallcine, forms.main, boxes);
    EXPECT_THAT(boxes.Seen(), ::testing::IsEmpty()) << boxes.Describe();
}

TEST_P(BadInputStartE2E, ShowsTheErrorBoxAndEndsWithTheDesktopUntouched) {
    InputPlace place;
    const Argument argument = GetParam().make_argument(place);
    if (!argument.skip_reason.empty()) GTEST_SKIP() << argument.skip_reason;
    if (!GetParam().may_play) {
        const std::string text = ErrorTextOfStartWith(Quoted(argument.path));
        PrintMessage(GetParam().name, text);
        EXPECT_THAT(text, GetParam().text);
        return;
    }
    DesktopSettingsForTest desktop;
    WallcineProcess wallcine(Quoted(argument.path));
    WaitUntil([&] {
        return WaitForMessageBox(wallcine, "Error", 0) || wallcine.WaitForExit(0) ||
               wallcine.FindWindowNow("TForm4");
    });
    if (WaitForMessageBox(wallcine, "Error", 0)) {
        const std::string text = ErrorTextOfStart(wallcine);
        PrintMessage(GetParam().name, text);
        EXPECT_THAT(text, GetParam().text);
    } else {
        std::printf("%s: no box, it plays\n", GetParam().name);
        ExpectItPlaysAndExitsCleanly(wallcine);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BadInputStartE2E, ::testing::ValuesIn(kStartCases),
                         [](const ::testing::TestParamInfo<StartCase>& info) { return info.param.name; });

// --- A bad row in the middle of a playlist: one box, and playback goes on past it -------------------

struct RowCase {
    const char* name;
    // The bad row; `playlist` is the path of the playlist file that will hold it.
    std::function<std::string(InputPlace&, const std::string& playlist)> make_row;
    // A playlist row is read when the playlist is, so its error comes at the start, not at its turn.
    bool reported_at_start = false;
    // A row the system may still play (Wine plays paths longer than MAX_PATH): no box is right too.
    bool may_play = false;
};

void PrintTo(const RowCase& row_case, std::ostream* out) { *out << row_case.name; }

const RowCase kRowCases[] = {
    {"MissingFile", [](InputPlace& place, const std::string&) { return place.scratch.PathOf("missing.avi"); }},
    {"Folder", [](InputPlace& place, const std::string&) { return place.scratch.MakeFolder("folder"); }},
    {"ZeroByteFile", [](InputPlace& place, const std::string&) { return place.scratch.Write("empty.avi", ""); }},
    {"TextFileNamedAvi", [](InputPlace& place, const std::string&) { return TextFile(place, "notes.avi"); }},
    {"RandomBytesNamedMp4", [](InputPlace& place, const std::string&) { return NoiseFile(place, "noise.mp4"); }},
    {"Mp4CutInHalfBeforeItsIndex", [](InputPlace& place, const std::string&) { return HalfMp4(place, "half.mp4"); }},
    {"FileLockedByAnotherProgram",
     [](InputPlace& place, const std::string&) {
         return place.Lock(place.scratch.Write("locked.avi", ClipBytes("blue-1s.avi")));
     }},
    {"PathLongerThanMaxPath", [](InputPlace& place, const std::string&) { return ClipAtLongPath(place); }, false,
     true},
    {"RowInUtf8", [](InputPlace& place, const std::string&) { return Utf8RowOfCyrillicClip(place); }},
    {"ThePlaylistItself", [](InputPlace&, const std::string& playlist) { return playlist; }},
    {"MissingPlaylist",
     [](InputPlace& place, const std::string&) { return place.scratch.PathOf("missing.wcl"); }, true},
};

class BadInputPlaylistRowE2E : public ::testing::TestWithParam<RowCase> {};

// The playlist [red, bad, green] of one-second clips. The playing control window is shown and its
// title followed: a change from red to green is a turn of the bad row passed. After the second
// such turn the test waits for red once more, so that a box that turn might bring is on screen by
// then.
TEST_P(BadInputPlaylistRowE2E, OneBoxThenTheNextGoodRowPlaysAndTheNextRoundSkipsItQuietly) {
    InputPlace place;
    const std::string playlist = place.scratch.PathOf("list.wcl");
    const std::string red = ClipPath("red-1s.avi");
    const std::string green = ClipPath("green-1s.avi");
    place.scratch.Write("list.wcl", PlaylistBytes({red, GetParam().make_row(place, playlist), green}));

    DesktopSettingsForTest desktop;
    WallcineProcess wallcine(Quoted(playlist));
    MessageBoxWatch boxes(wallcine);
    const WallcineProcess::Forms forms = WaitUntilInTray(wallcine, boxes);
    ASSERT_NE(forms.main, nullptr) << "Wallcine did not get to the tray; " << DescribeState(wallcine) << "; "
                                   << boxes.Describe();
    const size_t boxes_at_tray = boxes.Seen().size();
    ASSERT_TRUE(ShowPlayingControl(forms)) << "\"Playing Control\" showed nothing";

    constexpr int kRed = 0, kGreen = 1;
    std::vector<int> titles;
    int turns_passed = 0;
    size_t boxes_before_first_turn = 0;
    WaitUntil(
        [&] {
            if (wallcine.WaitForExit(0)) return true;
            boxes.Poll();
            const int row = RowOfTitle(forms.playing_control, {red, green});
            if (row < 0 || (!titles.empty() && titles.back() == row)) return false;
            titles.push_back(row);
            if (titles.size() >= 2 && titles[titles.size() - 2] == kRed && row == kGreen) {
                if (++turns_passed == 1) boxes_before_first_turn = boxes.Seen().size();
            }
            return turns_passed >= 2 && row == kRed;
        },
        30000);
    ASSERT_FALSE(EndedOnItsOwnLeavingTheDesktop(wallcine)) << DescribeState(wallcine) << "; titles seen: "
                                          << ::testing::PrintToString(titles) << "; " << boxes.Describe();
    EXPECT_GE(turns_passed, 2) << "playback did not go from red to green past the bad row twice; titles seen: "
                               << ::testing::PrintToString(titles) << "; rows: "
                               << ::testing::PrintToString(ListBoxRows(Control(forms.playlist, app::kIdPlaylistRows)));
    ExitAndExpectDesktopBack(wallcine, forms.main, boxes);

    if (GetParam().may_play && boxes.Seen().empty()) return;
    ASSERT_EQ(boxes.Seen().size(), 1u) << boxes.Describe();
    const SeenMessageBox& box = boxes.Seen().front();
    PrintMessage(GetParam().name, box.text);
    EXPECT_EQ(box.caption, "Wallcine");
    EXPECT_TRUE(box.has_icon) << "an error box shows the error icon";
    EXPECT_THAT(box.text, ClearMessage());
    if (GetParam().reported_at_start) {
        EXPECT_EQ(boxes_before_first_turn, 1u) << "the bad playlist row must be reported when the playlist is read";
    } else {
        EXPECT_EQ(boxes_at_tray, 0u) << "the bad row must be reported at its turn, not at the start";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BadInputPlaylistRowE2E, ::testing::ValuesIn(kRowCases),
                         [](const ::testing::TestParamInfo<RowCase>& info) { return info.param.name; });

// --- Names that are fine: they play, their title shows, no box --------------------------------------

struct NameCase {
    const char* name;
    // File names of clips made for the case; one is the argument, several make a playlist.
    std::vector<std::string> clip_names;
    // The playlist's name when there is one.
    const char* playlist_name = nullptr;
};

void PrintTo(const NameCase& name_case, std::ostream* out) { *out << name_case.name; }

const NameCase kNameCases[] = {
    {"SpacesHashAndPercent", {"my clip #1 100%.avi"}},
    {"PrintfDirectives", {"clip %s%n%x %d.avi"}},
    {"PlaylistRowsWithSpacesHashAndPercent", {"my clip #1 100%.avi", "clip %s%n #2.avi"}, "rows.wcl"},
    {"PlaylistNamedWithSpacesHashAndPercent", {"red.avi", "green.avi"}, "my list #2 50%.wcl"},
};

class BadInputNamesE2E : public ::testing::TestWithParam<NameCase> {};

TEST_P(BadInputNamesE2E, PlayWithTheirTitleShownAndNoBox) {
    static const char* const kClips[] = {"red-1s.avi", "green-1s.avi"};
    InputPlace place;
    Rows clips;
    for (const std::string& name : GetParam().clip_names)
        clips.push_back(place.scratch.Write(name, ClipBytes(kClips[clips.size() % 2])));
    const std::string argument = GetParam().playlist_name
                                     ? place.scratch.Write(GetParam().playlist_name, PlaylistBytes(clips))
                                     : clips.front();

    DesktopSettingsForTest desktop;
    WallcineProcess wallcine(Quoted(argument));
    MessageBoxWatch boxes(wallcine);
    const WallcineProcess::Forms forms = WaitUntilInTray(wallcine, boxes);
    ASSERT_NE(forms.main, nullptr) << "Wallcine did not get to the tray; " << DescribeState(wallcine) << "; "
                                   << boxes.Describe();
    ASSERT_TRUE(ShowPlayingControl(forms)) << "\"Playing Control\" showed nothing";
    // Every clip's title in turn.
    for (const std::string& clip : clips) {
        EXPECT_TRUE(WaitUntil([&] {
            boxes.Poll();
            return IsRotationOf(PlayingTitle(forms.playing_control), TitleText(clip));
        })) << "the title never showed " << clip << "; it shows \"" << PlayingTitle(forms.playing_control) << "\"";
    }
    ExitAndExpectDesktopBack(wallcine, forms.main, boxes);
    EXPECT_THAT(boxes.Seen(), ::testing::IsEmpty()) << boxes.Describe();
}

INSTANTIATE_TEST_SUITE_P(Cases, BadInputNamesE2E, ::testing::ValuesIn(kNameCases),
                         [](const ::testing::TestParamInfo<NameCase>& info) { return info.param.name; });

}  // namespace
}  // namespace wallcine::e2e
