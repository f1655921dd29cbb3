#include "bad_input_run.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "app/control_ids.h"
#include "desktop_settings.h"
#include "remote_controls.h"
#include "start_error_box.h"
#include "tray_probe.h"

namespace wallcine::e2e {

WallcineProcess::Forms WaitUntilInTray(const WallcineProcess& wallcine, MessageBoxWatch& boxes, DWORD timeout_ms) {
    WallcineProcess::Forms forms;
    WaitUntil(
        [&] {
            boxes.Poll();
            if (wallcine.WaitForExit(0)) return true;
            forms = wallcine.WaitForForms(0);
            return forms.main && TrayHoldsIcon(forms.main, app::kTrayIconId);
        },
        timeout_ms);
    if (!forms.main || !TrayHoldsIcon(forms.main, app::kTrayIconId)) return {};
    return forms;
}

bool ShowPlayingControl(const WallcineProcess::Forms& forms) {
    ::PostMessageA(forms.main, WM_COMMAND, app::kCmdPlayingControl, 0);
    return WaitUntil([&] { return ::IsWindowVisible(forms.playing_control); });
}

void ExitAndExpectDesktopBack(const WallcineProcess& wallcine, HWND main_window, MessageBoxWatch& boxes) {
    ::PostMessageA(main_window, WM_COMMAND, app::kCmdExit, 0);
    WaitUntil([&] {
        boxes.Poll();
        return wallcine.WaitForExit(0).has_value();
    });
    EXPECT_EQ(wallcine.WaitForExit(0), std::optional<DWORD>(0)) << "after \"Exit\" " << DescribeState(wallcine);
    ExpectDesktopAsTheTestSetIt("after \"Exit\"");
}

void ExpectDesktopAsTheTestSetIt(const char* when) {
    EXPECT_EQ(ReadWallpaperValue(), std::optional<std::string>(kTestWallpaper))
        << "the wallpaper value is not back " << when;
    EXPECT_EQ(DesktopColourSeenByNewProcess(), kTestDesktopColour) << "the desktop colour is not back " << when;
}

bool EndedOnItsOwnLeavingTheDesktop(const WallcineProcess& wallcine) {
    if (!wallcine.WaitForExit(0)) return false;
    ExpectDesktopAsTheTestSetIt("after the program ended on its own");
    return true;
}

std::optional<double> ShownPosition(const WallcineProcess& wallcine, HWND playing_control) {
    return ParseTimeText(StatusBarPanelText(wallcine.Handle(), Control(playing_control, app::kIdStatusBar), 0),
                         "Position: ");
}

LockedFile::LockedFile(const std::string& path)
    : file_(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    EXPECT_TRUE(file_) << "cannot lock " << path << ": error " << ::GetLastError();
}

bool AnsiCodePageLacks(const std::wstring& text) {
    BOOL lacks = FALSE;
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0,
                          nullptr, &lacks);
    return lacks != FALSE;
}

void PrintMessage(const std::string& what, const std::string& text) {
    if (text.empty()) return;  // no message: the test has failed saying so
    std::printf("[ message  ] %s: \"%s\"\n", what.c_str(), text.c_str());
}

}  // namespace wallcine::e2e
