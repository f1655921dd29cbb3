// Start-up of the real Wallcine.exe under Wine: the Windows 8 overlay switch (written once, the
// user told to restart, exit code 0), then a normal start with its four hidden windows; and a
// start without an argument, whose open dialog the user cancels or answers with three files.
#include <gtest/gtest.h>

#include "app/control_ids.h"
#include "desktop_settings.h"
#include "polling.h"
#include "remote_controls.h"
#include "system_dialogs.h"
#include "test_files.h"
#include "wallcine_process.h"

namespace wallcine::e2e {
namespace {

constexpr char kShimKey[] = "Software\\Microsoft\\Direct3D\\Shims\\EnableOverlays";
constexpr char kWarningCaption[] = "Wallcine - Windows 8 Warning";
constexpr char kWarningText[] =
    "Windows 8 Overlay registry patch completed. You should restart the program for changes to take effect.";

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

// The Windows versions Wine can report. The manifest's supportedOS entries let Wallcine see the
// true version: 6.3 on Windows 8.1, 10.0 on Windows 10 and 11 (without them all three say 6.2,
// and Windows 10 and 11 would get the Windows 8 switch and its restart).
class StartupOnWindows8 : public ::testing::TestWithParam<const char*> {};
class StartupOnOtherWindows : public ::testing::TestWithParam<const char*> {};

TEST_P(StartupOnWindows8, TheFirstStartWritesTheOverlaySwitchAndTheNextOneRuns) {
    WineVersionForWallcine version(GetParam());
    const std::string exe = WallcineExePath();
    DeleteUserValue(kShimKey, exe);
    {
        WallcineProcess wallcine("ignored-because-the-patch-ends-the-start.avi");
        HWND warning = WaitForMessageBox(wallcine, kWarningCaption);
        ASSERT_NE(warning, nullptr) << "no overlay warning";
        EXPECT_EQ(MessageBoxText(warning), kWarningText);
        // The value is written before the user is told, and no window exists yet.
        EXPECT_EQ(ReadUserDword(kShimKey, exe), std::optional<DWORD>(1));
        EXPECT_EQ(wallcine.FindWindowNow("TForm1"), nullptr);

        DismissMessageBox(warning);
        EXPECT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
    }
    {
        DesktopSettingsForTest desktop;
        WallcineProcess wallcine(Quoted(ClipPath("red-1s.avi")));
        ExpectNormalStartAndClose(wallcine);
    }
    EXPECT_EQ(ReadUserDword(kShimKey, exe), std::optional<DWORD>(1));
    DeleteUserValue(kShimKey, exe);
}

TEST_P(StartupOnOtherWindows, TheRegistryIsLeftAlone) {
    WineVersionForWallcine version(GetParam());
    const std::string exe = WallcineExePath();
    DeleteUserValue(kShimKey, exe);
    DesktopSettingsForTest desktop;
    WallcineProcess wallcine(Quoted(ClipPath("red-1s.avi")));
    ExpectNormalStartAndClose(wallcine);
    EXPECT_EQ(ReadUserDword(kShimKey, exe), std::nullopt);
}

const auto kVersionName = [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); };
INSTANTIATE_TEST_SUITE_P(Versions, StartupOnWindows8, ::testing::Values("win8", "win81"), kVersionName);
INSTANTIATE_TEST_SUITE_P(Versions, StartupOnOtherWindows, ::testing::Values("win7", "win10", "win11"), kVersionName);

TEST(StartupE2E, WithoutAnArgumentTheOpenDialogAsksAndCancellingEndsQuietly) {
    DesktopSettingsForTest desktop;
    WallcineProcess wallcine;
    HWND open_dialog = WaitForFileDialog(wallcine);
    ASSERT_NE(open_dialog, nullptr) << "no open dialog";
    ::PostMessageA(open_dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(wallcine.FindWindowNow("#32770"), nullptr) << "no message after a cancel";
}

TEST(StartupE2E, ThreeFilesChosenTogetherInTheOpenDialogBecomeTheRowsAndTheFirstPlays) {
    DesktopSettingsForTest desktop;
    WallcineProcess wallcine;
    HWND open_dialog = WaitForFileDialog(wallcine);
    ASSERT_NE(open_dialog, nullptr) << "no open dialog";
    EXPECT_EQ(FileDialogType(open_dialog), "All video files") << "the first filter is selected at first";
    ASSERT_TRUE(AnswerFileDialogWithFiles(open_dialog, BuildPath("media"),
                                          {"grey-30s.avi", "red-1s.avi", "green-1s.avi"}));

    const WallcineProcess::Forms forms = wallcine.WaitUntilInTray();
    ASSERT_NE(forms.main, nullptr) << "Wallcine did not get to the tray";
    const std::vector<std::string> rows{ClipPath("grey-30s.avi"), ClipPath("red-1s.avi"), ClipPath("green-1s.avi")};
    EXPECT_EQ(ListBoxRows(Control(forms.playlist, app::kIdPlaylistRows)), rows);
    ::PostMessageA(forms.main, WM_COMMAND, app::kCmdPlayingControl, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(forms.playing_control); }))
        << "\"Playing Control\" showed nothing";
    EXPECT_TRUE(IsRotationOf(WindowText(Control(forms.playing_control, app::kIdTitle)), TitleText(rows[0])))
        << "the first file chosen must play first";

    ::PostMessageA(forms.main, WM_COMMAND, app::kCmdExit, 0);
    EXPECT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace wallcine::e2e
