// Start-up of the real Wallcine.exe under Wine: the Windows 8 overlay switch (written once, the
// user told to restart, exit code 0), then a normal start with its four hidden windows.
#include <gtest/gtest.h>

#include "wallcine_process.h"

namespace wallcine::e2e {
namespace {

constexpr char kShimKey[] = "Software\\Microsoft\\Direct3D\\Shims\\EnableOverlays";
constexpr char kWarningCaption[] = "Wallcine - Windows 8 Warning";
constexpr char kWarningText[] =
    "Windows 8 Overlay registry patch completed. You should restart the program for changes to take effect.";
constexpr int kMessageBoxTextId = 0xFFFF;

void ExpectNormalStartAndClose(WallcineProcess& wallcine) {
    HWND main_window = wallcine.WaitForWindow("TForm1");
    ASSERT_NE(main_window, nullptr) << "the main window never appeared";
    for (const char* form : {"TForm1", "TForm2", "TForm3", "TForm4"}) {
        HWND window = wallcine.WaitForWindow(form);
        ASSERT_NE(window, nullptr) << form;
        EXPECT_FALSE(::IsWindowVisible(window)) << form << " must start hidden";
    }
    EXPECT_EQ(wallcine.FindWindowNow("#32770", kWarningCaption), nullptr);

    ::PostMessageA(main_window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
}

TEST(StartupE2E, OnWindows8TheFirstStartWritesTheOverlaySwitchAndTheNextOneRuns) {
    WineVersionForWallcine windows8("win8");
    const std::string exe = WallcineExePath();
    DeleteUserValue(kShimKey, exe);
    {
        WallcineProcess wallcine("ignored-because-the-patch-ends-the-start.avi");
        HWND warning = wallcine.WaitForWindow("#32770", kWarningCaption);
        ASSERT_NE(warning, nullptr) << "no overlay warning";
        char text[512] = {};
        ::GetDlgItemTextA(warning, kMessageBoxTextId, text, sizeof text);
        EXPECT_STREQ(text, kWarningText);
        // The value is written before the user is told, and no window exists yet.
        EXPECT_EQ(ReadUserDword(kShimKey, exe), std::optional<DWORD>(1));
        EXPECT_EQ(wallcine.FindWindowNow("TForm1"), nullptr);

        ::PostMessageA(warning, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
    }
    {
        WallcineProcess wallcine;
        ExpectNormalStartAndClose(wallcine);
    }
    EXPECT_EQ(ReadUserDword(kShimKey, exe), std::optional<DWORD>(1));
    DeleteUserValue(kShimKey, exe);
}

TEST(StartupE2E, OnWindows7TheRegistryIsLeftAlone) {
    WineVersionForWallcine windows7("win7");
    const std::string exe = WallcineExePath();
    DeleteUserValue(kShimKey, exe);
    WallcineProcess wallcine;
    ExpectNormalStartAndClose(wallcine);
    EXPECT_EQ(ReadUserDword(kShimKey, exe), std::nullopt);
}

}  // namespace
}  // namespace wallcine::e2e
