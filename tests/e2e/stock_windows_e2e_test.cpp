// Wallcine where DirectShow cannot parse MP4, as on stock Windows: these tests run in a Wine
// prefix of their own without Wine's GStreamer splitter (scripts/make-stock-prefix). There an
// MP4 gave the "Error" box before Wallcine had its own Media Foundation source; now it plays as
// the desktop background through that source, seeks, loops, and takes turns with an AVI in a
// playlist. A broken MP4 gives DirectShow's error as before, and an MP4 with sound only plays
// without a picture.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <dshow.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "clip_on_screen.h"
#include "desktop_settings.h"
#include "polling.h"
#include "remote_controls.h"
#include "screenshot.h"
#include "system_dialogs.h"
#include "test_files.h"
#include "testsrc_picture.h"
#include "wallcine_process.h"
#include "win/unique_handle.h"

namespace wallcine::e2e {
namespace {

using namespace wallcine::app;
using ::testing::Contains;

constexpr char kSourceName[] = "Wallcine Media Foundation Source";
// Between two captures a second apart the band and the counter change about 13% of the picture.
constexpr double kMovingFraction = 0.05;

// What RenderFile of this prefix's own DirectShow answers for a file, in a graph of its own.
HRESULT DirectShowRenderFile(const std::string& path) {
    win::com_init_scope com;
    IGraphBuilder* raw = nullptr;
    HRESULT hr = ::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                    reinterpret_cast<void**>(&raw));
    if (FAILED(hr)) return hr;
    const std::wstring wide(path.begin(), path.end());
    hr = raw->RenderFile(wide.c_str(), nullptr);
    raw->Release();
    return hr;
}

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(hr));
    return text;
}

// The playing control's position text, read while its slider stood still.
std::optional<double> ShownPosition(const WallcineProcess& wallcine, HWND control) {
    HWND slider = Control(control, kIdPosition);
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int thumb = TrackBarThumb(slider);
        const std::string text = StatusBarPanelText(wallcine.Handle(), Control(control, kIdStatusBar), 0);
        if (TrackBarThumb(slider) == thumb) return ParseTimeText(text, "Position: ");
    }
    return std::nullopt;
}

// The rows of the active filters window, opened from the menu.
std::vector<std::string> ActiveFilterNames(const WallcineProcess::Forms& forms) {
    ::PostMessageA(forms.main, WM_COMMAND, kCmdActiveFilters, 0);
    if (!WaitUntil([&] { return ::IsWindowVisible(forms.active_filters); })) return {};
    return ListBoxRows(Control(forms.active_filters, kIdFilterNames));
}

void ExitAndExpectTheDesktopBack(const WallcineProcess& wallcine, const WallcineProcess::Forms& forms) {
    ::PostMessageA(forms.main, WM_COMMAND, kCmdExit, 0);
    EXPECT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(ReadWallpaperValue(), kTestWallpaper) << "the wallpaper value did not come back";
    EXPECT_EQ(DesktopColourSeenByNewProcess(), kTestDesktopColour) << "the desktop colour did not come back";
}

TEST(StockWindowsE2E, DirectShowAloneCannotRenderAnMp4InThisPrefix) {
    const HRESULT mp4 = DirectShowRenderFile(ClipPath("clip.mp4"));
    std::printf("DirectShow's RenderFile of an MP4 here: $%s\n", Hex(mp4).c_str());
    EXPECT_TRUE(FAILED(mp4)) << "this prefix still parses MP4 through DirectShow: its tests would prove nothing";
    EXPECT_TRUE(SUCCEEDED(DirectShowRenderFile(ClipPath("clip-1s.avi")))) << "AVI keeps its own parser";
}

TEST(StockWindowsE2E, AnMp4PlaysAsTheDesktopBackgroundThroughTheOwnSourceAndSeeks) {
    DesktopSettingsForTest desktop;
    WallcineProcess wallcine(Quoted(ClipPath("clip-30s.mp4")));
    const WallcineProcess::Forms forms = wallcine.WaitUntilInTray();
    ASSERT_NE(forms.main, nullptr) << "Wallcine did not get to the tray";

    const RECT picture = LetterboxedPicture(test::kTestsrcWidth, test::kTestsrcHeight);
    const RECT visible = VisiblePicture(picture);
    ASSERT_TRUE(WaitUntil([] { return ReadWallpaperValue() == std::string(); }))
        << "desktop mode never emptied the wallpaper value";
    WaitUntil([&] { return ReadClipColours(CaptureScreen(visible), picture, visible).AllShown(); }, 5000);
    const ScreenCapture first = CaptureWholeScreen();
    ::Sleep(1000);
    const ScreenCapture second = CaptureWholeScreen();
    SaveCapture(second, "stock-windows-mp4-desktop");
    for (const ScreenCapture* capture : {&first, &second}) {
        const ClipColourReading reading = ReadClipColours(*capture, picture, visible);
        EXPECT_TRUE(reading.AllShown()) << "the desktop does not show the MP4's picture:" << reading.misses;
    }
    const double moved = ChangedFraction(first, second, visible);
    EXPECT_GE(moved, kMovingFraction) << "the desktop's picture does not move: " << moved * 100 << "% changed";

    // The slider dragged to 20 s, as a user does: the item goes on from there.
    HWND slider = Control(forms.playing_control, kIdPosition);
    Ask(slider, TBM_SETPOS, TRUE, 200);
    Ask(forms.playing_control, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 200), reinterpret_cast<LPARAM>(slider));
    std::optional<double> position;
    EXPECT_TRUE(WaitUntil([&] {
        position = ShownPosition(wallcine, forms.playing_control);
        return position && *position >= 20.0 && *position < 25.0;
    })) << "after the seek to 20 s the position shows " << position.value_or(-1);
    WaitUntil([&] { return ReadClipColours(CaptureScreen(visible), picture, visible).AllShown(); }, 5000);
    const ClipColourReading after_seek = ReadClipColours(CaptureScreen(visible), picture, visible);
    EXPECT_TRUE(after_seek.AllShown()) << "no picture after the seek:" << after_seek.misses;

    // Last: the window stays open above the desktop's picture.
    const std::vector<std::string> names = ActiveFilterNames(forms);
    EXPECT_THAT(names, Contains(kSourceName).Times(1)) << ::testing::PrintToString(names);
    EXPECT_THAT(names, Contains("Video_Window").Times(1));
    SaveScreenshot(forms.active_filters, "stock-windows-active-filters");

    ExitAndExpectTheDesktopBack(wallcine, forms);
}

TEST(StockWindowsE2E, ASingleMp4Loops) {
    DesktopSettingsForTest desktop;
    WallcineProcess wallcine(Quoted(ClipPath("clip.mp4")));
    const WallcineProcess::Forms forms = wallcine.WaitUntilInTray();
    ASSERT_NE(forms.main, nullptr) << "Wallcine did not get to the tray";

    // The 2 s item: the position runs up and starts again from the beginning, again and again.
    std::vector<double> positions;
    int restarts = 0;
    WaitUntil(
        [&] {
            const std::optional<double> position = ShownPosition(wallcine, forms.playing_control);
            if (!position) return false;
            if (!positions.empty() && *position < positions.back() - 0.3) {
                ++restarts;
                EXPECT_LT(*position, 0.8) << "a loop starts the item again from its beginning";
            }
            positions.push_back(*position);
            return restarts >= 3;
        },
        30000);
    EXPECT_GE(restarts, 3) << "the MP4 did not loop; " << positions.size() << " positions seen";
    const double highest = positions.empty() ? 0 : *std::max_element(positions.begin(), positions.end());
    EXPECT_GE(highest, 1.5) << "the item never got near its end";
    ExitAndExpectTheDesktopBack(wallcine, forms);
}

TEST(StockWindowsE2E, APlaylistTakesTurnsBetweenAvisAndAnMp4) {
    ScratchDirectory scratch;
    const std::vector<std::string> rows{ClipPath("red-1s.avi"), ClipPath("blue-1s.mp4"), ClipPath("green-1s.avi")};
    const std::string playlist = scratch.Write("mixed.wcl", PlaylistBytes(rows));
    DesktopSettingsForTest desktop;
    WallcineProcess wallcine(Quoted(playlist));
    const WallcineProcess::Forms forms = wallcine.WaitUntilInTray();
    ASSERT_NE(forms.main, nullptr) << "Wallcine did not get to the tray";

    // The title names the playing row: each change goes to the next row, the MP4 among them, and
    // it comes round to the first row again. A row that could not play would be skipped.
    HWND title = Control(forms.playing_control, kIdTitle);
    std::vector<int> changes;
    WaitUntil(
        [&] {
            const std::string shown = WindowText(title);
            for (size_t row = 0; row < rows.size(); ++row) {
                if (!IsRotationOf(shown, TitleText(rows[row]))) continue;
                if (changes.empty() || changes.back() != static_cast<int>(row)) changes.push_back(static_cast<int>(row));
            }
            return changes.size() >= 5;
        },
        60000);
    ASSERT_GE(changes.size(), 5u) << "the playlist did not go round";
    for (size_t i = 1; i < changes.size(); ++i)
        EXPECT_EQ(changes[i], (changes[i - 1] + 1) % 3) << "change " << i << " skipped a row";
    EXPECT_EQ(WaitForMessageBox(wallcine, "Error", 0), nullptr) << "a row could not be played";
    ExitAndExpectTheDesktopBack(wallcine, forms);
}

TEST(StockWindowsE2E, ABrokenMp4GivesDirectShowsError) {
    const std::string broken = ClipPath("broken.mp4");
    const HRESULT directshow = DirectShowRenderFile(broken);
    ASSERT_TRUE(FAILED(directshow));

    DesktopSettingsForTest desktop;
    WallcineProcess wallcine(Quoted(broken));
    HWND box = WaitForMessageBox(wallcine, "Error");
    ASSERT_NE(box, nullptr) << "no \"Error\" box";
    const std::string text = MessageBoxText(box);
    EXPECT_THAT(text, ::testing::EndsWith(" ($" + Hex(directshow) + ")."));
    DismissMessageBox(box);
    EXPECT_TRUE(wallcine.WaitForExit().has_value()) << "the program did not end after the error";
    EXPECT_EQ(ReadWallpaperValue(), kTestWallpaper);
}

TEST(StockWindowsE2E, AnMp4WithSoundOnlyPlaysWithoutAPicture) {
    DesktopSettingsForTest desktop;
    WallcineProcess wallcine(Quoted(ClipPath("sound-only.mp4")));
    const WallcineProcess::Forms forms = wallcine.WaitUntilInTray();
    ASSERT_NE(forms.main, nullptr) << "Wallcine did not get to the tray";
    std::optional<double> position;
    EXPECT_TRUE(WaitUntil([&] {
        position = ShownPosition(wallcine, forms.playing_control);
        return position && *position > 0.3;
    })) << "the sound does not play on";
    EXPECT_EQ(WaitForMessageBox(wallcine, "Error", 0), nullptr);
    const std::vector<std::string> names = ActiveFilterNames(forms);
    EXPECT_THAT(names, Contains(kSourceName).Times(1)) << ::testing::PrintToString(names);
    ExitAndExpectTheDesktopBack(wallcine, forms);
}

}  // namespace
}  // namespace wallcine::e2e
