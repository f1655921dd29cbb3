// Bad input that meets Wallcine while it runs: a playlist of 100,000 rows (its start time and
// memory printed, only a clean start and exit asserted), "Save List" onto a file that cannot be
// written, a file deleted before its turn, and a file overwritten with noise while it plays.
#include <windows.h>
#include <psapi.h>

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
#include "win/unique_handle.h"

namespace wallcine::e2e {
namespace {

using namespace wallcine::app;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using Rows = std::vector<std::string>;

// Counts the starts of items from the position the playing control shows: a drop of the
// position is a new start (a loop, or play-next to another row).
class ItemStarts {
public:
    ItemStarts(const WallcineProcess& wallcine, HWND playing_control)
        : wallcine_(wallcine), playing_control_(playing_control) {}

    void Poll() {
        const std::optional<double> position = ShownPosition(wallcine_, playing_control_);
        if (!position) return;
        if (*position < last_ - 0.3) ++starts_;
        last_ = *position;
    }
    int Count() const noexcept { return starts_; }
    // The item started last has played a little: whatever its start showed is on screen by now.
    bool PlayingOn() const noexcept { return last_ > 0.3; }

private:
    const WallcineProcess& wallcine_;
    HWND playing_control_;
    double last_ = 0;  // the last position read, seconds
    int starts_ = 0;
};

void PrintMemory(const char* what, HANDLE process) {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (!::GetProcessMemoryInfo(process, &memory, sizeof memory)) {
        std::printf("%s: memory unknown (error %lu)\n", what, ::GetLastError());
        return;
    }
    const auto kib = [](SIZE_T bytes) { return static_cast<unsigned long long>(bytes / 1024); };
    std::printf("%s: working set %llu KiB (peak %llu KiB), committed %llu KiB (peak %llu KiB)\n", what,
                kib(memory.WorkingSetSize), kib(memory.PeakWorkingSetSize), kib(memory.PagefileUsage),
                kib(memory.PeakPagefileUsage));
}

// Starts Wallcine on a playlist, prints the time to the tray and the memory, and exits it.
void StartPrintAndExit(const std::string& playlist, size_t row_count) {
    DesktopSettingsForTest desktop;
    const DWORD start = ::GetTickCount();
    WallcineProcess wallcine(Quoted(playlist));
    MessageBoxWatch boxes(wallcine);
    // Patient: the time is measured here, never judged.
    const WallcineProcess::Forms forms = WaitUntilInTray(wallcine, boxes, 10 * 60 * 1000);
    ASSERT_NE(forms.main, nullptr) << "Wallcine did not get to the tray; " << DescribeState(wallcine) << "; "
                                   << boxes.Describe();
    const DWORD elapsed = ::GetTickCount() - start;
    const std::string what = std::to_string(row_count) + "-row playlist";
    std::printf("%s: in the tray %lu ms after the start\n", what.c_str(), elapsed);
    PrintMemory(what.c_str(), wallcine.Handle());
    EXPECT_EQ(Ask(Control(forms.playlist, kIdPlaylistRows), LB_GETCOUNT), static_cast<LRESULT>(row_count));
    ExitAndExpectDesktopBack(wallcine, forms.main, boxes);
    EXPECT_THAT(boxes.Seen(), IsEmpty()) << boxes.Describe();
}

TEST(BadInputTimingE2E, APlaylistOfAHundredThousandRowsStartsAndExitsCleanly) {
    ScratchDirectory scratch;
    // Rows that all play, so that only the length of the list is new here.
    const Rows clips{ClipPath("red-1s.avi"), ClipPath("green-1s.avi"), ClipPath("blue-1s.avi")};
    Rows rows;
    constexpr size_t kRowCount = 100000;
    rows.reserve(kRowCount);
    for (size_t row = 0; row < kRowCount; ++row) rows.push_back(clips[row % clips.size()]);
    // One row first, for comparison.
    StartPrintAndExit(scratch.Write("one.wcl", PlaylistBytes({clips.front()})), 1);
    StartPrintAndExit(scratch.Write("huge.wcl", PlaylistBytes(rows)), kRowCount);
}

// A target of "Save List" that cannot be written, made by the test; the skip reason when this
// system cannot make one of its kind.
struct UnwritableTarget {
    const char* name;
    std::function<std::string(const std::string& path, std::vector<std::unique_ptr<LockedFile>>& locks)> make;
};

void PrintTo(const UnwritableTarget& target, std::ostream* out) { *out << target.name; }

// Whether this process may open the file for writing.
bool Writable(const std::string& path) {
    const win::unique_hfile file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

const UnwritableTarget kUnwritableTargets[] = {
    {"ReadOnlyFile",
     [](const std::string& path, std::vector<std::unique_ptr<LockedFile>>&) -> std::string {
         EXPECT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
         // Wine keeps the attribute as the Unix file mode, which does not bind root.
         if (Writable(path)) return "this system lets programs write a read-only file (Wine run by root)";
         return {};
     }},
    {"FileHeldOpenByAnotherProgram",
     [](const std::string& path, std::vector<std::unique_ptr<LockedFile>>& locks) -> std::string {
         locks.push_back(std::make_unique<LockedFile>(path));
         return {};
     }},
};

class BadInputSaveListE2E : public ::testing::TestWithParam<UnwritableTarget> {};

TEST_P(BadInputSaveListE2E, OntoAFileThatCannotBeWrittenGivesOneBoxAndLeavesTheFileAsItWas) {
    ScratchDirectory scratch;
    const std::string kept = "a list that must stay\r\n";
    const std::string target = scratch.Write("target.wcl", kept);
    std::vector<std::unique_ptr<LockedFile>> locks;
    if (const std::string skip_reason = GetParam().make(target, locks); !skip_reason.empty())
        GTEST_SKIP() << skip_reason;

    DesktopSettingsForTest desktop;
    WallcineProcess wallcine(Quoted(ClipPath("grey-30s.avi")));
    MessageBoxWatch boxes(wallcine);
    const WallcineProcess::Forms forms = WaitUntilInTray(wallcine, boxes);
    ASSERT_NE(forms.main, nullptr) << "Wallcine did not get to the tray; " << DescribeState(wallcine);
    ::PostMessageA(forms.main, WM_COMMAND, kCmdPlaylist, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(forms.playlist); })) << "\"Playlist\" showed nothing";

    ClickButton(Control(forms.playlist, kIdSaveList));
    HWND save_dialog = WaitForFileDialog(wallcine);
    ASSERT_NE(save_dialog, nullptr) << "\"Save List\" showed no save dialog";
    ASSERT_TRUE(AnswerFileDialog(save_dialog, target)) << "the save dialog did not take " << target;

    EXPECT_TRUE(WaitUntil([&] {
        boxes.Poll();
        return !boxes.Seen().empty();
    })) << "no message about the file that could not be written";
    // A box shown right after the first would be on screen once the window has answered.
    Ask(forms.playlist, WM_NULL);
    boxes.Poll();

    locks.clear();
    EXPECT_EQ(ReadFileBytes(target), kept) << "the file was changed";
    ASSERT_FALSE(EndedOnItsOwnLeavingTheDesktop(wallcine)) << "the program must go on: " << DescribeState(wallcine);
    ASSERT_FALSE(boxes.Seen().empty());
    EXPECT_EQ(boxes.Seen().size(), 1u) << boxes.Describe();
    const SeenMessageBox& box = boxes.Seen().front();
    PrintMessage(std::string("Save List onto a ") + GetParam().name, box.text);
    EXPECT_EQ(box.caption, "Wallcine");
    EXPECT_TRUE(box.has_icon) << "an error box shows the error icon";
    EXPECT_THAT(box.text, HasSubstr("target.wcl")) << "a clear message names the file";

    ExitAndExpectDesktopBack(wallcine, forms.main, boxes);
    EXPECT_EQ(boxes.Seen().size(), 1u) << boxes.Describe();
}

INSTANTIATE_TEST_SUITE_P(Targets, BadInputSaveListE2E, ::testing::ValuesIn(kUnwritableTargets),
                         [](const ::testing::TestParamInfo<UnwritableTarget>& info) { return info.param.name; });

// The playlist [a, b] of one-second clips: b is deleted while a plays. Then a starts again at
// each of b's turns; after the second, the test waits until a plays on, so that a box the turn
// might bring is on screen by then.
TEST(BadInputTimingE2E, AFileDeletedBeforeItsTurnGivesOneBoxAndThePreviousRowPlaysAgain) {
    ScratchDirectory scratch;
    const std::string a = scratch.Write("a.avi", ReadFileBytes(ClipPath("red-1s.avi")));
    const std::string b = scratch.Write("b.avi", ReadFileBytes(ClipPath("green-1s.avi")));
    const std::string playlist = scratch.Write("ab.wcl", PlaylistBytes({a, b}));

    DesktopSettingsForTest desktop;
    WallcineProcess wallcine(Quoted(playlist));
    MessageBoxWatch boxes(wallcine);
    const WallcineProcess::Forms forms = WaitUntilInTray(wallcine, boxes);
    ASSERT_NE(forms.main, nullptr) << "Wallcine did not get to the tray; " << DescribeState(wallcine);
    ASSERT_TRUE(ShowPlayingControl(forms)) << "\"Playing Control\" showed nothing";
    // Play-next waits for the supervision, which starts a second after the tray icon: a still plays.
    ASSERT_EQ(RowOfTitle(forms.playing_control, {a, b}), 0) << "a is not playing";
    ASSERT_TRUE(::DeleteFileA(b.c_str())) << "cannot delete b: error " << ::GetLastError();

    ItemStarts starts(wallcine, forms.playing_control);
    WaitUntil([&] {
        if (wallcine.WaitForExit(0)) return true;
        boxes.Poll();
        starts.Poll();
        return starts.Count() >= 2 && starts.PlayingOn();
    });
    ASSERT_FALSE(EndedOnItsOwnLeavingTheDesktop(wallcine)) << DescribeState(wallcine) << "; " << starts.Count()
                                          << " starts of a seen; " << boxes.Describe();
    EXPECT_GE(starts.Count(), 2) << "a did not start again at b's turns";
    EXPECT_EQ(RowOfTitle(forms.playing_control, {a, b}), 0) << "the title must be a's";
    ExitAndExpectDesktopBack(wallcine, forms.main, boxes);
    ASSERT_EQ(boxes.Seen().size(), 1u) << boxes.Describe();
    PrintMessage("a file deleted before its turn", boxes.Seen().front().text);
    EXPECT_EQ(boxes.Seen().front().caption, "Wallcine");
    EXPECT_THAT(boxes.Seen().front().text, ClearMessage());
}

// The playlist [victim, green]: the victim, a copy of a two-second clip, is overwritten with noise
// while it plays, where the system lets another program write a file that is being played, or
// else as soon as its turn has ended and the player has let go of it. Its later turns may fail
// (one box at most) or play what is left; nothing may crash or hang.
TEST(BadInputTimingE2E, AFileOverwrittenWithNoiseWhileItPlaysCrashesNothingAndGivesOneBoxAtMost) {
    ScratchDirectory scratch;
    const std::string clip_bytes = ReadFileBytes(ClipPath("clip.avi"));
    const std::string victim = scratch.Write("victim.avi", clip_bytes);
    const std::string green = ClipPath("green-1s.avi");
    const std::string playlist = scratch.Write("victim.wcl", PlaylistBytes({victim, green}));

    DesktopSettingsForTest desktop;
    WallcineProcess wallcine(Quoted(playlist));
    MessageBoxWatch boxes(wallcine);
    const WallcineProcess::Forms forms = WaitUntilInTray(wallcine, boxes);
    ASSERT_NE(forms.main, nullptr) << "Wallcine did not get to the tray; " << DescribeState(wallcine);
    ASSERT_TRUE(ShowPlayingControl(forms)) << "\"Playing Control\" showed nothing";
    ASSERT_EQ(RowOfTitle(forms.playing_control, {victim, green}), 0) << "the victim is not playing";

    const std::string noise = RandomBytes(4, clip_bytes.size());
    bool overwritten_while_playing = WriteFileBytes(win::AnsiToWide(victim), noise);
    const DWORD error = ::GetLastError();
    if (overwritten_while_playing) {
        std::printf("the playing file was overwritten while it played\n");
    } else {
        ASSERT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << "cannot write the victim";
        std::printf("the playing file is locked against writing while it plays; overwritten after its turn\n");
        WaitUntil([&] {
            if (wallcine.WaitForExit(0)) return true;
            boxes.Poll();
            return RowOfTitle(forms.playing_control, {victim, green}) == 1;
        });
        ASSERT_FALSE(EndedOnItsOwnLeavingTheDesktop(wallcine)) << DescribeState(wallcine);
        ASSERT_EQ(RowOfTitle(forms.playing_control, {victim, green}), 1) << "green never came";
        ASSERT_TRUE(WriteFileBytes(win::AnsiToWide(victim), noise)) << "error " << ::GetLastError();
    }

    // Four starts of an item: at least one more turn of the victim after the noise.
    ItemStarts starts(wallcine, forms.playing_control);
    const bool went_on = WaitUntil(
        [&] {
            if (wallcine.WaitForExit(0)) return true;
            boxes.Poll();
            starts.Poll();
            return starts.Count() >= 4 && starts.PlayingOn();
        },
        30000);
    ASSERT_FALSE(EndedOnItsOwnLeavingTheDesktop(wallcine)) << DescribeState(wallcine) << "; " << starts.Count()
                                          << " item starts seen after the noise; " << boxes.Describe();
    std::printf("after the noise: %d item starts seen, %s\n", starts.Count(), went_on ? "playing on" : "stalled");
    Ask(forms.main, WM_NULL);  // the program still answers
    ExitAndExpectDesktopBack(wallcine, forms.main, boxes);
    EXPECT_LE(boxes.Seen().size(), 1u) << boxes.Describe();
    for (const SeenMessageBox& box : boxes.Seen()) PrintMessage("a file overwritten with noise", box.text);
}

}  // namespace
}  // namespace wallcine::e2e
