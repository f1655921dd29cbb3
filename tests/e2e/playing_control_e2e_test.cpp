// The playing control window (TForm2) as the user meets it: a left button press on the tray icon
// shows it, and its title, slider and status texts follow the item, here a one-row playlist that
// loops.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "app/control_ids.h"
#include "desktop_settings.h"
#include "polling.h"
#include "remote_controls.h"
#include "screenshot.h"
#include "test_files.h"
#include "wallcine_process.h"

namespace wallcine::e2e {
namespace {

using namespace wallcine::app;

// What the window shows at one moment.
struct ControlReading {
    std::string position_text;  // panel 0
    std::string duration_text;  // panel 1
    int thumb;                  // the position slider, tenths of a second
    std::optional<double> Position() const { return ParseTimeText(position_text, "Position: "); }
    std::optional<double> Duration() const { return ParseTimeText(duration_text, "Duration: "); }
};

// The tick may run between two of the reads: a reading counts when the slider did not move
// while the texts were read.
ControlReading ReadControl(const WallcineProcess& wallcine, HWND control) {
    HWND status_bar = Control(control, kIdStatusBar);
    HWND slider = Control(control, kIdPosition);
    ControlReading reading{};
    for (int attempt = 0; attempt < 10; ++attempt) {
        reading.thumb = TrackBarThumb(slider);
        reading.position_text = StatusBarPanelText(wallcine.Handle(), status_bar, 0);
        reading.duration_text = StatusBarPanelText(wallcine.Handle(), status_bar, 1);
        if (TrackBarThumb(slider) == reading.thumb) break;
    }
    return reading;
}

TEST(PlayingControlE2E, TrayLeftButtonShowsItAndItsTextsFollowALoopingItem) {
    DesktopSettingsForTest desktop;
    const std::string clip = ClipPath("red-1s.avi");
    WallcineProcess wallcine(Quoted(clip));
    const WallcineProcess::Forms forms = wallcine.WaitUntilInTray();
    ASSERT_NE(forms.main, nullptr) << "Wallcine did not get to the tray";
    HWND main_window = forms.main;
    HWND control = forms.playing_control;
    HWND playlist = forms.playlist;

    // Moves, releases, double clicks and other buttons over the icon, and other icons' messages,
    // show nothing. The "Playlist" command posted after them is handled after them.
    for (LPARAM mouse : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_MBUTTONDOWN})
        ::PostMessageA(main_window, kWmTrayNotify, kTrayIconId, mouse);
    ::PostMessageA(main_window, kWmTrayNotify, kTrayIconId + 1, WM_LBUTTONDOWN);
    ::PostMessageA(main_window, WM_COMMAND, kCmdPlaylist, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(playlist); }));
    EXPECT_FALSE(::IsWindowVisible(control)) << "a mouse message other than a left button press showed it";
    ::PostMessageA(playlist, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(playlist); })) << "closing the playlist window must hide it";
    EXPECT_NE(wallcine.FindWindowNow("TForm3"), nullptr) << "closing the playlist window must not destroy it";

    ::PostMessageA(main_window, kWmTrayNotify, kTrayIconId, WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(control); })) << "the left button showed nothing";
    EXPECT_EQ(WindowText(control), " Wallcine Player 2.1");
    EXPECT_TRUE(IsRotationOf(WindowText(Control(control, kIdTitle)), TitleText(clip)))
        << "title: \"" << WindowText(Control(control, kIdTitle)) << "\"";
    EXPECT_EQ(TrackBarMax(Control(control, kIdPosition)), 10) << "one second is ten steps of the slider";

    // Watch the texts for a few loops of the one-second item: each reading agrees with the
    // slider, the duration stays one second, the position runs up and starts again, and the
    // title scrolls.
    std::vector<double> positions;
    std::set<std::string> titles;
    int restarts = 0;
    WaitUntil(
        [&] {
            const ControlReading reading = ReadControl(wallcine, control);
            const std::optional<double> position = reading.Position();
            if (!position) return false;  // the first tick has not written it yet
            const std::optional<double> duration = reading.Duration();
            EXPECT_TRUE(duration && std::fabs(*duration - 1.0) < 0.05)
                << "duration text for a one-second clip: \"" << reading.duration_text << "\"";
            // At the end of the item the loop has already put the slider back to 0.
            const bool at_end = duration && *position >= *duration;
            if (!(at_end && reading.thumb == 0)) {
                EXPECT_NEAR(reading.thumb, *position * 10, 1.0)
                    << "the slider does not follow the position text \"" << reading.position_text << "\"";
            }
            if (!positions.empty() && *position < positions.back() - 0.3) {
                ++restarts;
                EXPECT_LT(*position, 0.5) << "a loop starts the item again from its beginning";
            }
            positions.push_back(*position);
            titles.insert(WindowText(Control(control, kIdTitle)));
            return restarts >= 3 || ::testing::Test::HasFailure();
        },
        30000);
    EXPECT_GE(restarts, 3) << "the one-row playlist did not loop; positions seen: " << positions.size();
    EXPECT_GE(titles.size(), 3u) << "the title does not scroll";
    for (const std::string& title : titles) EXPECT_TRUE(IsRotationOf(title, TitleText(clip))) << '"' << title << '"';
    // It went on playing: the positions after the last restart rise again.
    EXPECT_TRUE(WaitUntil([&] {
        const std::optional<double> position = ReadControl(wallcine, control).Position();
        return position && *position > 0.3;
    })) << "after the last restart it stopped playing";
    EXPECT_EQ(ListBoxRows(Control(playlist, kIdPlaylistRows)), std::vector<std::string>{clip});
    SaveScreenshot(control, "playing-control");

    ::PostMessageA(main_window, WM_COMMAND, kCmdExit, 0);
    EXPECT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace wallcine::e2e
