// Nothing plays while nobody can see it: another program's maximized window over the desktop
// pauses the video (its position stops), closing that window plays it on from where it stopped,
// and a looping item and a playlist go on as before. How fast the pause comes is printed.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "app/control_ids.h"
#include "bad_input_run.h"
#include "desktop_settings.h"
#include "polling.h"
#include "remote_controls.h"
#include "test_files.h"
#include "wallcine_process.h"

namespace wallcine::e2e {
namespace {

// A window of this (driver) process, maximized over the desktop, as another program's would be.
class MaximizedWindow {
public:
    MaximizedWindow()
        : window_(::CreateWindowExA(0, "STATIC", "covering window", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300, nullptr,
                                    nullptr, nullptr, nullptr)) {
        ::ShowWindow(window_.get(), SW_MAXIMIZE);
        ::UpdateWindow(window_.get());
    }
    bool Maximized() const { return ::IsZoomed(window_.get()) != FALSE; }

private:
    win::unique_hwnd window_;
};

struct Playing {
    explicit Playing(const std::string& argument) : wallcine(argument) {
        forms = wallcine.WaitUntilInTray();
        if (!forms.main) return;
        on_desktop = WaitUntil([] { return ReadWallpaperValue() == std::string(); });
    }
    std::optional<double> Position() const { return ShownPosition(wallcine, forms.playing_control); }
    // The position moves on over `ms` milliseconds.
    bool Advancing(DWORD ms = 400) const {
        const auto before = Position();
        ::Sleep(ms);
        const auto after = Position();
        return before && after && *after != *before;
    }
    WallcineProcess wallcine;
    WallcineProcess::Forms forms;
    bool on_desktop = false;
};

void Exit(Playing& playing) {
    ::PostMessageA(playing.forms.main, WM_COMMAND, app::kCmdExit, 0);
    EXPECT_EQ(playing.wallcine.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(ReadWallpaperValue(), kTestWallpaper);
}

TEST(PauseWhenUnseenE2E, AMaximizedWindowPausesTheVideoAndClosingItPlaysOnFromThere) {
    DesktopSettingsForTest desktop;
    Playing playing(Quoted(ClipPath("clip-30s.avi")));
    ASSERT_TRUE(playing.on_desktop) << "the video never reached the desktop";
    ASSERT_TRUE(WaitUntil([&] { return playing.Advancing(); })) << "the item does not play";

    std::optional<double> paused_at;
    {
        MaximizedWindow cover;
        ASSERT_TRUE(cover.Maximized());
        const DWORD covered = ::GetTickCount();
        ASSERT_TRUE(WaitUntil([&] { return !playing.Advancing(300); }, 10000))
            << "the position goes on under a maximized window";
        std::printf("paused within %lu ms of the window being maximized\n", ::GetTickCount() - covered);
        paused_at = playing.Position();
        ::Sleep(1000);
        EXPECT_EQ(playing.Position(), paused_at) << "it stays paused while covered";
    }
    ASSERT_TRUE(paused_at.has_value());
    ASSERT_TRUE(WaitUntil([&] { return playing.Advancing(); })) << "closing the window did not play it on";
    const auto resumed = playing.Position();
    ASSERT_TRUE(resumed.has_value());
    EXPECT_GE(*resumed, *paused_at) << "it plays on from where it stopped, not from the start";
    EXPECT_LT(*resumed, *paused_at + 3.0);
    Exit(playing);
}

// After a pause and a resume, a single row loops and a playlist moves from row to row as before.
TEST(PauseWhenUnseenE2E, ALoopingItemAndAPlaylistGoOnAfterTheResume) {
    DesktopSettingsForTest desktop;
    ScratchDirectory scratch;
    const std::string red = ClipPath("red-1s.avi");
    const std::string green = ClipPath("green-1s.avi");
    struct Case {
        const char* name;
        std::string argument;
    };
    const Case cases[] = {
        {"single row", Quoted(red)},
        {"playlist", Quoted(scratch.Write("two.wcl", PlaylistBytes({red, green})))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Playing playing(c.argument);
        ASSERT_TRUE(playing.on_desktop);
        {
            MaximizedWindow cover;
            ASSERT_TRUE(WaitUntil([&] { return !playing.Advancing(300); }, 10000)) << "not paused";
        }
        ASSERT_TRUE(WaitUntil([&] { return playing.Advancing(); })) << "not resumed";
        // Over the next items: the position comes back near 0 (a loop or the next row), and the
        // playlist gets to its green row.
        const bool playlist = c.argument != Quoted(red);
        const HWND title = Control(playing.forms.playing_control, app::kIdTitle);
        bool restarted = false;
        bool green_seen = false;
        WaitUntil([&] {
            const auto position = playing.Position();
            restarted = restarted || (position && *position < 0.3);
            green_seen = green_seen || IsRotationOf(WindowText(title), TitleText(green));
            return restarted && (!playlist || green_seen);
        }, 10000);
        EXPECT_TRUE(restarted) << "the next item never started";
        if (playlist) {
            EXPECT_TRUE(green_seen) << "the playlist did not move on";
        }
        Exit(playing);
    }
}

}  // namespace
}  // namespace wallcine::e2e
