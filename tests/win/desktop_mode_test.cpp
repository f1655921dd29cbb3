// Desktop mode through a recorder of the desktop services: what is saved, emptied, coloured and
// restored, in which order, and what is left alone.
#include <gtest/gtest.h>

#include "fakes/desktop_services_recorder.h"
#include "fakes/fake_shell_windows.h"
#include "fakes/test_windows.h"
#include "video/video_window.h"
#include "win/unique_handle.h"

namespace wallcine::video {
namespace {

using test::DesktopServicesRecorder;
using Calls = std::vector<std::string>;

const std::string kDesktopKey = "HKCU\\Control Panel\\Desktop";

// A parent form with the video window filling it, as the main window holds it.
class DesktopModeTest : public ::testing::Test {
protected:
    DesktopModeTest() {
        window_ = std::make_unique<TDSVideoWindowEx2>(Parent(), "Video_Window");
        window_->AlignToParentClient();
        window_->OnOverlayVisible = [this](TDSVideoWindowEx2& sender, bool visible) {
            EXPECT_EQ(&sender, window_.get());
            visibility_events_.push_back(visible);
        };
        services_.colors[COLOR_BACKGROUND] = RGB(0, 78, 152);
        services_.monitor_bounds = {{0, 0, 1280, 1024}, {1280, 0, 2560, 1024}};
    }

    void StoreWallpaper(const std::string& file) {
        services_.keys.insert(kDesktopKey);
        services_.values[{kDesktopKey, "WallPaper"}] = win::RegistryValue::String(file);
    }
    std::string StoredWallpaper() { return services_.values[{kDesktopKey, "WallPaper"}].AsString(); }
    Calls CallsStartingWith(const std::string& prefix) {
        Calls matching;
        for (const auto& call : services_.calls)
            if (call.starts_with(prefix)) matching.push_back(call);
        return matching;
    }

    static HWND Parent() { return test::SuiteParentWindow(); }

    DesktopServicesRecorder services_;
    win::ScopedDesktopServices use_recorder_{services_};
    test::FakeShellWindows shell_;
    win::ScopedShellWindows use_shell_{shell_};
    std::unique_ptr<TDSVideoWindowEx2> window_;
    std::vector<bool> visibility_events_;
};

TEST_F(DesktopModeTest, EnterEmptiesTheWallpaperAndColoursTheDesktopThenLeaveRestoresBoth) {
    StoreWallpaper("C:\\Windows\\Web\\Wallpaper\\img0.jpg");
    window_->ColorKeyReported(0x00100010);  // as the mixer reports it

    window_->EnterDesktopModeOn(reinterpret_cast<HMONITOR>(2));
    EXPECT_TRUE(window_->DesktopMode());
    EXPECT_EQ(window_->DesktopMonitor(), reinterpret_cast<HMONITOR>(2));
    EXPECT_EQ(StoredWallpaper(), "");
    EXPECT_EQ(services_.colors[COLOR_BACKGROUND], 0x00100010u);
    // The user's values are written down (the restore journal, completed last) before anything
    // changes. (The version then tells where the wallpaper layer goes: no overlay in this test.)
    const std::string journal = "HKCU\\Software\\Wallcine\\Restore";
    EXPECT_EQ(services_.calls,
              (Calls{"QueryRegistryValue " + kDesktopKey + " [WallPaper]", "GetSysColor 1",
                     "DeleteRegistryKey " + journal, "SetRegistryValue " + journal + " [WallPaper] type 1",
                     "SetRegistryValue " + journal + " [WallPaperExisted] type 4",
                     "SetRegistryValue " + journal + " [DesktopColor] type 4",
                     "SetRegistryValue " + journal + " [Complete] type 4",
                     "SetRegistryValue " + kDesktopKey + " [WallPaper] type 1", "SystemParametersInfoA 20 0 null 2",
                     "SetSysColors 1 $00100010", "GetVersion"}));
    // The video window now lies in the hidden desktop form, over the second monitor.
    EXPECT_EQ(window_->Parent(), window_->DesktopFormHandle());
    EXPECT_FALSE(::IsWindowVisible(window_->DesktopFormHandle()));
    RECT form{};
    ::GetWindowRect(window_->DesktopFormHandle(), &form);
    EXPECT_EQ(form.left, 1280);
    EXPECT_EQ(form.right, 2560);
    EXPECT_FALSE(window_->OverlayVisible());

    services_.calls.clear();
    window_->LeaveDesktopMode();
    EXPECT_FALSE(window_->DesktopMode());
    EXPECT_EQ(StoredWallpaper(), "C:\\Windows\\Web\\Wallpaper\\img0.jpg");
    EXPECT_EQ(services_.colors[COLOR_BACKGROUND], RGB(0, 78, 152));
    EXPECT_EQ(CallsStartingWith("SystemParametersInfoA"), Calls{"SystemParametersInfoA 20 0 null 2"});
    // Given back in the reverse order, and the journal goes once everything is back.
    EXPECT_EQ(services_.calls.front(), "SetSysColors 1 $00984E00");
    EXPECT_EQ(services_.calls.back(), "DeleteRegistryKey " + journal);
    EXPECT_EQ(window_->Parent(), Parent());
    EXPECT_TRUE(window_->OverlayVisible());
    EXPECT_EQ(visibility_events_, (std::vector<bool>{false, true}));
}

TEST_F(DesktopModeTest, AMissingWallpaperValueIsNeverWrittenButTheColourStillChanges) {
    window_->ColorKeyReported(0x00100010);
    window_->EnterDesktopModeOn(reinterpret_cast<HMONITOR>(1));
    window_->LeaveDesktopMode();
    EXPECT_TRUE(CallsStartingWith("SetRegistryValue " + kDesktopKey).empty());
    EXPECT_FALSE(services_.values.contains({kDesktopKey, "WallPaper"}));
    EXPECT_EQ(CallsStartingWith("SetSysColors"), (Calls{"SetSysColors 1 $00100010", "SetSysColors 1 $00984E00"}));
}

TEST_F(DesktopModeTest, AKeyTheMixerNeverReportedLeavesTheDesktopColourAlone) {
    // 0x1FFFFFFF is "no colour": handed to the system it would paint the desktop some colour
    // nobody chose, and nothing would show through it.
    ASSERT_EQ(window_->ColorKey(), clNone);
    window_->EnterDesktopModeOn(reinterpret_cast<HMONITOR>(1));
    EXPECT_EQ(services_.colors[COLOR_BACKGROUND], RGB(0, 78, 152));
    window_->LeaveDesktopMode();
    EXPECT_TRUE(CallsStartingWith("SetSysColors").empty());
    EXPECT_EQ(services_.colors[COLOR_BACKGROUND], RGB(0, 78, 152));
}

TEST_F(DesktopModeTest, EnteringTwiceKeepsTheFirstSavedSettings) {
    StoreWallpaper("mine.bmp");
    window_->ColorKeyReported(0x00100010);
    window_->EnterDesktopModeOn(reinterpret_cast<HMONITOR>(1));
    const size_t calls_after_first = services_.calls.size();
    window_->EnterDesktopModeOn(reinterpret_cast<HMONITOR>(2));
    EXPECT_EQ(services_.calls.size(), calls_after_first);
    EXPECT_EQ(window_->DesktopMonitor(), reinterpret_cast<HMONITOR>(1));
    window_->LeaveDesktopMode();
    EXPECT_EQ(StoredWallpaper(), "mine.bmp");
    EXPECT_EQ(services_.colors[COLOR_BACKGROUND], RGB(0, 78, 152));
}

TEST_F(DesktopModeTest, LeavingWithoutEnteringTouchesNoSettingButShowsTheOverlayAgain) {
    StoreWallpaper("mine.bmp");
    window_->LeaveDesktopMode();
    EXPECT_TRUE(CallsStartingWith("SetRegistryValue " + kDesktopKey).empty());
    EXPECT_TRUE(CallsStartingWith("SetSysColors").empty());
    EXPECT_TRUE(CallsStartingWith("SystemParametersInfoA").empty());
    EXPECT_TRUE(window_->OverlayVisible());
    EXPECT_EQ(visibility_events_, std::vector<bool>{true});
}

TEST_F(DesktopModeTest, EnterDesktopModeUsesTheWindowsMonitorOrElseTheNearestOne) {
    window_->EnterDesktopMode();
    EXPECT_EQ(window_->DesktopMonitor(), reinterpret_cast<HMONITOR>(1));
    window_->LeaveDesktopMode();

    // The list no longer holds the window's monitor (a display was just unplugged): desktop
    // mode still covers the monitor nearest to the window instead of having none.
    services_.window_monitor = reinterpret_cast<HMONITOR>(7);
    window_->EnterDesktopMode();
    EXPECT_TRUE(window_->DesktopMode());
    EXPECT_EQ(window_->DesktopMonitor(), reinterpret_cast<HMONITOR>(7));
    window_->LeaveDesktopMode();
}

TEST_F(DesktopModeTest, DestroyingTheWindowInDesktopModeRestoresTheSettings) {
    StoreWallpaper("mine.bmp");
    window_->ColorKeyReported(0x00100010);
    window_->EnterDesktopModeOn(reinterpret_cast<HMONITOR>(1));
    window_.reset();
    EXPECT_EQ(StoredWallpaper(), "mine.bmp");
    EXPECT_EQ(services_.colors[COLOR_BACKGROUND], RGB(0, 78, 152));
}

}  // namespace
}  // namespace wallcine::video
