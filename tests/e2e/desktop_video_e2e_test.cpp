// The video as the desktop background, seen on the screen: in desktop mode the moving clip fills
// the desktop, letterboxed; a window opened afterwards stays above it; "Exit" takes the picture
// away again with the settings desktop mode changed.
//
// What the screen shows is read from captures of the screen DC, which in Wine's virtual desktop
// hold every process's windows as the desktop composes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "clip_on_screen.h"
#include "desktop_settings.h"
#include "polling.h"
#include "remote_controls.h"
#include "screenshot.h"
#include "test_files.h"
#include "testsrc_picture.h"
#include "wallcine_process.h"

namespace wallcine::e2e {
namespace {

using namespace wallcine::app;

// ffmpeg's "testsrc" picture, 320x240, for 30 s: it does not loop while a test looks at it.
constexpr char kClip[] = "clip-30s.avi";
constexpr int kClipWidth = test::kTestsrcWidth;
constexpr int kClipHeight = test::kTestsrcHeight;
constexpr char kLayerClass[] = "TWallpaperLayer";

// The clip's colour points (testsrc_picture.h) all showing their colour is what a plain desktop,
// a black screen, or a picture in the wrong place cannot do. (A picture stretched over the whole
// screen would still match; the black bar above a letterboxed one tells them apart.)
using test::ColourText;
using test::kBlack;
using test::NearColour;

// The points a plain black desktop would match.
constexpr int kBlackClipPoints = 1;
// The middle of the band that scrolls across the whole width.
constexpr int kScrollingBandY = 195;

// The virtual desktop's own colour (Wine paints RGB(37,111,149)) and the test's,
// RGB(0x12,0x34,0x56), are further than the colour tolerance from every point's colour, black
// included.

// Between two frames a second apart the band and the counter change about 13% of the picture;
// a still screen changes nothing. The thresholds sit well inside both.
constexpr double kMovingFraction = 0.05;
constexpr double kStillFraction = 0.005;

bool Inside(const RECT& rect, POINT point) { return ::PtInRect(&rect, point) != FALSE; }

// The points of the black bar above a letterboxed picture, across the screen's width.
std::vector<POINT> LetterboxBarPoints(const RECT& picture) {
    std::vector<POINT> points;
    if (picture.top < 8) return points;
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    for (int i = 0; i < 8; ++i) points.push_back({::MulDiv(2 * i + 1, width, 16), picture.top / 2});
    return points;
}

// Checks that a capture shows the clip's picture where letterboxing puts it, with black above.
void ExpectShowsTheClip(const ScreenCapture& capture, const RECT& picture, const char* which) {
    ASSERT_FALSE(capture.Empty()) << "cannot read the screen";
    const ClipColourReading reading = ReadClipColours(capture, picture, VisiblePicture(picture));
    EXPECT_EQ(reading.shown, reading.checked)
        << which << ": the desktop does not show the clip's colours where its letterboxed picture lies;"
        << reading.misses;
    std::string not_black;
    for (POINT at : LetterboxBarPoints(picture)) {
        const COLORREF shown = capture.PixelAt(at.x, at.y);
        if (!NearColour(shown, kBlack))
            not_black += " (" + std::to_string(at.x) + "," + std::to_string(at.y) + ") " + ColourText(shown) + ";";
    }
    EXPECT_TRUE(not_black.empty()) << which << ": the bar above the letterboxed picture is not black at" << not_black;
}

// Waits until desktop mode has emptied the wallpaper value, then gives the picture a few seconds
// to appear (the layer comes with the registry change, the first frame a moment later). Whether
// it appeared is for the caller's checks to say.
bool WaitForDesktopMode(const RECT& picture) {
    if (!WaitUntil([] { return ReadWallpaperValue() == std::string(); })) return false;
    const RECT visible = VisiblePicture(picture);
    WaitUntil(
        [&] {
            const ClipColourReading reading = ReadClipColours(CaptureScreen(visible), picture, visible);
            return reading.checked > 0 && reading.shown == reading.checked;
        },
        5000);
    return true;
}

// Top-level windows from the top of the z-order down.
std::vector<HWND> ZOrder() {
    std::vector<HWND> windows;
    for (HWND window = ::GetTopWindow(nullptr); window; window = ::GetWindow(window, GW_HWNDNEXT))
        windows.push_back(window);
    return windows;
}

std::string RectText(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    char text[64];
    std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", rect.left, rect.top, rect.right, rect.bottom);
    return text;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

// Wallcine started with the long clip, in the tray, and in desktop mode with its picture up.
class DesktopVideoE2E : public ::testing::Test {
protected:
    void SetUp() override {
        forms = wallcine.WaitUntilInTray();
        ASSERT_NE(forms.main, nullptr) << "Wallcine did not get to the tray";
        ASSERT_TRUE(WaitForDesktopMode(picture)) << "desktop mode never emptied the wallpaper value";
    }

    DesktopSettingsForTest desktop;
    WallcineProcess wallcine{Quoted(ClipPath(kClip))};
    WallcineProcess::Forms forms{};
    const RECT picture = LetterboxedPicture(kClipWidth, kClipHeight);
};

TEST_F(DesktopVideoE2E, TheMovingClipFillsTheDesktopLetterboxedUntilExit) {

    const ScreenCapture first = CaptureWholeScreen();
    ::Sleep(1000);
    const ScreenCapture second = CaptureWholeScreen();
    SaveCapture(first, "desktop-video-1");
    SaveCapture(second, "desktop-video-2");
    EXPECT_NE(wallcine.FindWindowNow(kLayerClass), nullptr) << "no " << kLayerClass << " window holds the video";
    ExpectShowsTheClip(first, picture, "first capture");
    ExpectShowsTheClip(second, picture, "second capture");
    const double moved = ChangedFraction(first, second, VisiblePicture(picture));
    std::printf("%.1f%% of the desktop's picture changed in a second\n", moved * 100);
    EXPECT_GE(moved, kMovingFraction) << "the desktop's picture does not move: " << moved * 100
                                      << "% of it changed in a second";

    ::PostMessageA(forms.main, WM_COMMAND, kCmdExit, 0);
    EXPECT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(ReadWallpaperValue(), kTestWallpaper) << "the wallpaper value did not come back";
    EXPECT_EQ(DesktopColourSeenByNewProcess(), kTestDesktopColour) << "the desktop colour did not come back";
    EXPECT_EQ(::FindWindowA(kLayerClass, nullptr), nullptr) << "the video's layer outlived the program";

    // The desktop shows no picture any more: nothing moves, and the clip's colours are gone (a
    // plain black desktop still matches the black bar). A last frame left on the screen would
    // keep them.
    const ScreenCapture before = CaptureWholeScreen();
    ::Sleep(1000);
    const ScreenCapture after = CaptureWholeScreen();
    SaveCapture(after, "desktop-after-exit");
    ASSERT_FALSE(after.Empty()) << "cannot read the screen";
    const RECT visible = VisiblePicture(picture);
    const double changed = ChangedFraction(before, after, visible);
    EXPECT_LE(changed, kStillFraction) << "the desktop still moves after the exit: " << changed * 100 << "% changed";
    const ClipColourReading reading = ReadClipColours(after, picture, visible);
    EXPECT_LE(reading.shown, kBlackClipPoints)
        << "the desktop still shows the clip's colours after the exit at " << reading.shown << " of "
        << reading.checked << " points";
}

// Whether the capture shows every colour point of the clip laid over `picture` (inside what
// the taskbar leaves visible).
bool ShowsTheClipAt(const ScreenCapture& capture, const RECT& picture) {
    const ClipColourReading reading = ReadClipColours(capture, picture, VisiblePicture(picture));
    return reading.checked > 0 && reading.shown == reading.checked;
}

// Whether the bar above the letterboxed picture is black at every point (no picture there).
bool BarIsBlack(const ScreenCapture& capture, const RECT& letterboxed) {
    const std::vector<POINT> points = LetterboxBarPoints(letterboxed);
    return !points.empty() && std::all_of(points.begin(), points.end(), [&](POINT at) {
        return NearColour(capture.PixelAt(at.x, at.y), kBlack);
    });
}

TEST_F(DesktopVideoE2E, StretchMovieSwitchesThePictureAtOnceAndBack) {
    // Stretched, the picture covers the bars too: the clip's points lie where the whole screen
    // puts them (close to, but not, the letterboxed places) and the bar above is no longer black.
    const RECT whole_screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ASSERT_TRUE(BarIsBlack(CaptureWholeScreen(), picture)) << "no black bar above the picture before the switch";

    ::PostMessageA(forms.main, WM_COMMAND, kCmdStretchMovie, 0);
    EXPECT_TRUE(WaitUntil(
        [&] {
            const ScreenCapture now = CaptureWholeScreen();
            return !BarIsBlack(now, picture) && ShowsTheClipAt(now, whole_screen);
        },
        3000))
        << "\"Stretch Movie\" did not stretch the picture over the whole desktop";
    SaveCapture(CaptureWholeScreen(), "desktop-video-stretched");

    ::PostMessageA(forms.main, WM_COMMAND, kCmdStretchMovie, 0);
    EXPECT_TRUE(WaitUntil(
        [&] {
            const ScreenCapture now = CaptureWholeScreen();
            return BarIsBlack(now, picture) && ShowsTheClipAt(now, picture);
        },
        3000))
        << "the second \"Stretch Movie\" did not letterbox the picture again";

    ::PostMessageA(forms.main, WM_COMMAND, kCmdExit, 0);
    EXPECT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(DesktopVideoE2E, AWindowOpenedAfterwardsStaysAboveTheVideo) {

    HWND control = forms.playing_control;
    ::PostMessageA(forms.main, kWmTrayNotify, kTrayIconId, WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(control); })) << "the playing control did not open";

    // Put the window's picture panel, which never changes, over the band that scrolls across the
    // whole video: if the video showed through the window, the panel's place would change between
    // captures. (Moving keeps the window's place in the z-order.)
    HWND panel = Control(control, kIdPicturePanel);
    ASSERT_NE(panel, nullptr);
    RECT window_rect{};
    RECT panel_rect{};
    ::GetWindowRect(control, &window_rect);
    ::GetWindowRect(panel, &panel_rect);
    const POINT band = ScreenPoint(picture, kClipWidth / 2, kScrollingBandY);
    ::SetWindowPos(control, nullptr, band.x - (panel_rect.left + panel_rect.right) / 2 + window_rect.left,
                   band.y - (panel_rect.top + panel_rect.bottom) / 2 + window_rect.top, 0, 0,
                   SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
    ::GetWindowRect(control, &window_rect);
    ::GetWindowRect(panel, &panel_rect);
    ASSERT_TRUE(Inside(panel_rect, band)) << "the panel did not move over the band";
    // Let the window repaint at its new place before the first capture.
    Ask(control, WM_NULL);
    ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(300);

    // Over two seconds of playing: the window's panel stays the same while the video around the
    // window moves, and the clip's colours that would lie under the window do not show there.
    std::vector<ScreenCapture> captures;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) ::Sleep(1000);
        captures.push_back(CaptureWholeScreen());
        ASSERT_FALSE(captures.back().Empty()) << "cannot read the screen";
    }
    SaveCapture(captures.back(), "desktop-video-with-window");
    const RECT visible = VisiblePicture(picture);
    for (size_t i = 1; i < captures.size(); ++i) {
        const double panel_changed = ChangedFraction(captures[i - 1], captures[i], panel_rect);
        EXPECT_LE(panel_changed, kStillFraction)
            << "the window's picture changed between captures " << i << " and " << i + 1 << ": "
            << panel_changed * 100 << "% of it";
        const double video_moved = ChangedFraction(captures[i - 1], captures[i], visible, window_rect);
        EXPECT_GE(video_moved, kMovingFraction)
            << "the video around the window does not move between captures " << i << " and " << i + 1 << ": "
            << video_moved * 100 << "% changed";
    }
    for (const ScreenCapture& capture : captures) {
        const ClipColourReading under_window = ReadClipColours(capture, picture, window_rect);
        EXPECT_GE(under_window.checked, 2) << "the window covers too few of the points this test checks";
        EXPECT_EQ(under_window.shown, 0) << "the video shows through the window at " << under_window.shown
                                         << " of " << under_window.checked << " points";
    }

    // The taskbar shows on the screen, not the layer's black bar: Wine's X driver never lowers a
    // window, so a layer put at the bottom would still cover the windows shown before it.
    if (HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr); taskbar && ::IsWindowVisible(taskbar)) {
        RECT bar{};
        ::GetWindowRect(taskbar, &bar);
        long black = 0;
        long counted = 0;
        for (int y = bar.top; y < bar.bottom; ++y)
            for (int x = bar.left; x < bar.right; ++x, ++counted)
                if (NearColour(captures.back().PixelAt(x, y), kBlack, 16)) ++black;
        EXPECT_LT(black * 2, counted) << "the taskbar at " << RectText(taskbar) << " is hidden under the video's layer";
    }

    // In the z-order the window comes before the layer, and the layer is the last visible window
    // (the taskbar, too, stays above the video).
    const std::vector<HWND> z_order = ZOrder();
    const auto layer =
        std::find_if(z_order.begin(), z_order.end(), [](HWND window) { return ClassOf(window) == kLayerClass; });
    const bool has_layer = layer != z_order.end();
    EXPECT_TRUE(has_layer) << "no " << kLayerClass << " window holds the video";
    EXPECT_NE(std::find(z_order.begin(), layer, control), layer) << "the playing control lies below the video's layer";
    if (has_layer) {
        for (auto below = std::next(layer); below != z_order.end(); ++below)
            EXPECT_FALSE(::IsWindowVisible(*below)) << "the visible window \"" << WindowText(*below) << "\" of class "
                                                    << ClassOf(*below) << " at " << RectText(*below)
                                                    << " lies below the video's layer";
    }

    ::PostMessageA(forms.main, WM_COMMAND, kCmdExit, 0);
    EXPECT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace wallcine::e2e
