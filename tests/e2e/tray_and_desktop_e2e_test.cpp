// Wallcine from start to "Exit": it lives in the tray with its windows hidden, puts the video on
// the desktop a second after playback starts, lists the graph's filters on demand, and gives the
// wallpaper, the desktop colour and the tray back when it ends.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "app/control_ids.h"
#include "desktop_settings.h"
#include "polling.h"
#include "remote_controls.h"
#include "screenshot.h"
#include "test_files.h"
#include "tray_probe.h"
#include "wallcine_process.h"

namespace wallcine::e2e {
namespace {

using namespace wallcine::app;
using ::testing::Contains;

TEST(TrayAndDesktopE2E, LivesInTheTrayTakesTheDesktopAndGivesItBackAtExit) {
    DesktopSettingsForTest desktop;
    const std::string clip = ClipPath("grey-30s.avi");
    WallcineProcess wallcine(Quoted(clip));

    const WallcineProcess::Forms forms = wallcine.WaitUntilInTray();
    ASSERT_NE(forms.main, nullptr) << "Wallcine did not get to the tray";
    const DWORD icon_seen = ::GetTickCount();
    // Desktop mode waits a second after the icon is added: the wallpaper is still the user's.
    EXPECT_EQ(ReadWallpaperValue(), kTestWallpaper);
    for (HWND window : {forms.main, forms.playing_control, forms.playlist, forms.active_filters})
        EXPECT_FALSE(::IsWindowVisible(window)) << WindowText(window) << " must stay hidden";

    ASSERT_TRUE(WaitUntil([] { return ReadWallpaperValue() == std::string(); }))
        << "desktop mode never emptied the wallpaper value";
    std::printf("desktop mode %lu ms after the tray icon\n", ::GetTickCount() - icon_seen);

    HWND filters = forms.active_filters;
    ::PostMessageA(forms.main, WM_COMMAND, kCmdActiveFilters, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(filters); })) << "\"Active Filters\" showed nothing";
    EXPECT_EQ(WindowText(filters), "Active Directshow Filters");
    const std::vector<std::string> names = ListBoxRows(Control(filters, kIdFilterNames));
    // The video window's own renderer under the component's name, once, and what the graph
    // builder added for the file: at least a source and a splitter or decoder.
    EXPECT_THAT(names, Contains("Video_Window").Times(1));
    EXPECT_GE(names.size(), 3u) << ::testing::PrintToString(names);
    SaveScreenshot(filters, "active-filters");

    ::PostMessageA(forms.main, WM_COMMAND, kCmdExit, 0);
    EXPECT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(ReadWallpaperValue(), kTestWallpaper) << "the wallpaper value did not come back";
    EXPECT_EQ(DesktopColourSeenByNewProcess(), kTestDesktopColour) << "the desktop colour did not come back";
    // (Wine's tray also drops the icons of a destroyed window by itself, so under Wine this holds
    // whether or not the program removed its icon; on Windows a forgotten icon would stay.)
    EXPECT_FALSE(TrayHoldsIcon(forms.main, kTrayIconId)) << "the tray icon outlived the program";
}

}  // namespace
}  // namespace wallcine::e2e
