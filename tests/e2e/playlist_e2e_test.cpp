// The playlist under Wine's real DirectShow: three one-second rows play in turn and wrap round,
// each new row selected; "Load File" of a playlist file through the open dialog; deleting,
// dragging and "Save List" through the save dialog, down to the bytes on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/control_ids.h"
#include "desktop_settings.h"
#include "playing_title.h"
#include "polling.h"
#include "remote_controls.h"
#include "screenshot.h"
#include "system_dialogs.h"
#include "test_files.h"
#include "wallcine_process.h"

namespace wallcine::e2e {
namespace {

using namespace wallcine::app;
using Rows = std::vector<std::string>;

constexpr int kRowHeight = 13;

// Wallcine's windows, and the playlist rows, once it plays and its tray icon is there.
struct RunningWallcine {
    HWND main_window = nullptr;
    HWND playlist = nullptr;
    HWND rows = nullptr;
    HWND control = nullptr;
};

RunningWallcine WaitUntilRunning(const WallcineProcess& wallcine) {
    const WallcineProcess::Forms forms = wallcine.WaitUntilInTray();
    return {forms.main, forms.playlist, Control(forms.playlist, kIdPlaylistRows), forms.playing_control};
}

std::string Title(const RunningWallcine& running) { return PlayingTitle(running.control); }

// Each change goes to the next row, after the last comes row 0, and it came round at least once.
void ExpectRowsInTurnWrappingRound(const std::vector<int>& changes, int row_count, const char* what) {
    for (size_t i = 1; i < changes.size(); ++i)
        EXPECT_EQ(changes[i], (changes[i - 1] + 1) % row_count) << what << ": change " << i;
    const bool wrapped = std::adjacent_find(changes.begin(), changes.end(), [&](int from, int to) {
                             return from == row_count - 1 && to == 0;
                         }) != changes.end();
    EXPECT_TRUE(wrapped) << what << " never went from the last row to row 0";
}

TEST(PlaylistE2E, ThreeRowsPlayInTurnWrapRoundAndEachNewRowIsSelected) {
    ScratchDirectory scratch;
    const Rows colours{ClipPath("red-1s.avi"), ClipPath("green-1s.avi"), ClipPath("blue-1s.avi")};
    const std::string playlist_file = scratch.Write("colours.wcl", PlaylistBytes(colours));
    DesktopSettingsForTest desktop;
    WallcineProcess wallcine(Quoted(playlist_file));
    const RunningWallcine running = WaitUntilRunning(wallcine);
    ASSERT_NE(running.main_window, nullptr) << "Wallcine did not start";
    EXPECT_EQ(ListBoxRows(running.rows), colours);

    ::PostMessageA(running.main_window, WM_COMMAND, kCmdPlaylist, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(running.playlist); })) << "\"Playlist\" showed nothing";
    EXPECT_EQ(WindowText(running.playlist), "Playlist");

    // Watch the selected row and the title until both have come round to row 0 again. (The
    // title is the program's own until the first item change sets one.)
    std::vector<int> selections;
    std::vector<int> titles;
    WaitUntil(
        [&] {
            KeepChange(selections, ListBoxSelection(running.rows));
            const int title_row = RowOfTitle(running.control, colours);
            if (!titles.empty() || title_row != -1) KeepChange(titles, title_row);
            return selections.size() >= 5 && titles.size() >= 5;
        },
        60000);
    // The window shows the playing row selected from the start (no "none" at all).
    EXPECT_EQ(std::count(selections.begin(), selections.end(), -1), 0) << "a moment with no row selected";
    EXPECT_EQ(std::count(titles.begin(), titles.end(), -1), 0) << "a title of no row";
    ExpectRowsInTurnWrappingRound(selections, 3, "selected row");
    ExpectRowsInTurnWrappingRound(titles, 3, "title");
    EXPECT_EQ(ListBoxRows(running.rows), colours) << "playing must not change the rows";
    SaveScreenshot(running.playlist, "playlist");

    ::PostMessageA(running.main_window, WM_COMMAND, kCmdExit, 0);
    EXPECT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
}

TEST(PlaylistE2E, LoadFileThenDeleteDragAndSaveTheRows) {
    ScratchDirectory scratch;
    const std::string grey = ClipPath("grey-30s.avi");
    const std::string red = ClipPath("red-1s.avi");
    const std::string green = ClipPath("green-1s.avi");
    const std::string blue = ClipPath("blue-1s.avi");
    const std::string playlist_file = scratch.Write("four.wcl", PlaylistBytes({grey, red, green, blue}));
    DesktopSettingsForTest desktop;
    const std::string first_clip = ClipPath("blue-1s.avi");
    WallcineProcess wallcine(Quoted(first_clip));
    const RunningWallcine running = WaitUntilRunning(wallcine);
    ASSERT_NE(running.main_window, nullptr) << "Wallcine did not start";
    EXPECT_EQ(ListBoxRows(running.rows), Rows{first_clip});

    // "Load File" of a playlist file: its entries become the rows, its first entry plays.
    ::PostMessageA(running.main_window, WM_COMMAND, kCmdLoadFile, 0);
    HWND open_dialog = WaitForFileDialog(wallcine);
    ASSERT_NE(open_dialog, nullptr) << "\"Load File\" showed no open dialog";
    ASSERT_TRUE(AnswerFileDialog(open_dialog, playlist_file));
    EXPECT_TRUE(WaitUntil([&] { return ListBoxRows(running.rows) == Rows{grey, red, green, blue}; }))
        << "rows after \"Load File\": " << ListBoxRows(running.rows).size();
    EXPECT_TRUE(WaitUntil([&] { return IsRotationOf(Title(running), TitleText(grey)); }))
        << "title after \"Load File\": \"" << Title(running) << "\"";
    EXPECT_TRUE(WaitUntil([&] { return TrackBarMax(Control(running.control, kIdPosition)) == 300; }))
        << "the slider's range is not the new item's: " << TrackBarMax(Control(running.control, kIdPosition));

    ::PostMessageA(running.main_window, WM_COMMAND, kCmdPlaylist, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(running.playlist); }));
    EXPECT_EQ(ListBoxSelection(running.rows), 0) << "showing the window selects the playing row";

    // Deleting a row that is not playing: the selection moves to the row now in its place, or
    // row 0 after the last row; the grey item plays on.
    HWND delete_button = Control(running.playlist, kIdDeleteFromList);
    Ask(running.rows, LB_SETCURSEL, 3);
    ClickButton(delete_button);
    EXPECT_TRUE(WaitUntil([&] { return ListBoxRows(running.rows) == Rows{grey, red, green}; }))
        << "\"Delete from List\" of the last row";
    EXPECT_EQ(ListBoxSelection(running.rows), 0);
    EXPECT_TRUE(IsRotationOf(Title(running), TitleText(grey))) << "deleting another row changed the item";

    // Dragging row 0 onto row 2.
    DragListBoxRow(running.rows, 0, 2, kRowHeight);
    EXPECT_TRUE(WaitUntil([&] { return ListBoxRows(running.rows) == Rows{red, green, grey}; }))
        << "dragging row 0 onto row 2";
    SaveScreenshot(running.playlist, "playlist-edited");

    // "Save List": the proposed name, the default extension added, every row and CR LF.
    ClickButton(Control(running.playlist, kIdSaveList));
    HWND save_dialog = WaitForFileDialog(wallcine);
    ASSERT_NE(save_dialog, nullptr) << "\"Save List\" showed no save dialog";
    EXPECT_EQ(FileDialogName(save_dialog), "Movies1.wcl");
    ASSERT_TRUE(AnswerFileDialog(save_dialog, scratch.PathOf("saved")));
    const std::string expected_bytes = PlaylistBytes({red, green, grey});
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(scratch.PathOf("saved.wcl")) == expected_bytes; }))
        << "saved: \"" << ReadFileBytes(scratch.PathOf("saved.wcl")) << "\"";

    // Deleting the playing row plays row 0 from its start.
    Ask(running.rows, LB_SETCURSEL, 2);
    ClickButton(delete_button);
    EXPECT_TRUE(WaitUntil([&] { return ListBoxRows(running.rows) == Rows{red, green}; }))
        << "\"Delete from List\" of the playing row";
    EXPECT_TRUE(WaitUntil([&] { return IsRotationOf(Title(running), TitleText(red)); }))
        << "deleting the playing row did not play row 0; title \"" << Title(running) << "\"";

    ::PostMessageA(running.main_window, WM_COMMAND, kCmdExit, 0);
    EXPECT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace wallcine::e2e
