#include "start_error_box.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "app/control_ids.h"
#include "desktop_settings.h"
#include "system_dialogs.h"
#include "tray_probe.h"

namespace wallcine::e2e {
namespace {

std::string Hex(DWORD code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(code));
    return text;
}

}  // namespace

std::string ErrorTextOfStart(const WallcineProcess& wallcine) {
    HWND box = WaitForMessageBox(wallcine, "Error");
    if (!box) {
        ADD_FAILURE() << "no \"Error\" box; " << DescribeState(wallcine);
        return {};
    }
    const std::string text = MessageBoxText(box);
    EXPECT_TRUE(::GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) << "the box must be system-modal";
    EXPECT_EQ(::GetWindow(box, GW_OWNER), nullptr) << "the box has no owner window";
    if (HWND main_window = wallcine.FindWindowNow("TForm1")) {
        EXPECT_FALSE(TrayHoldsIcon(main_window, app::kTrayIconId)) << "a tray icon for a program that cannot play";
    }

    DismissMessageBox(box);
    if (const std::optional<DWORD> exit_code = wallcine.WaitForExit()) {
        EXPECT_FALSE(IsCrashExitCode(*exit_code)) << "crashed after the error: exit code " << Hex(*exit_code);
    } else {
        ADD_FAILURE() << "the program did not end after the error; " << DescribeState(wallcine);
    }
    EXPECT_EQ(ReadWallpaperValue(), kTestWallpaper);
    EXPECT_EQ(DesktopColourSeenByNewProcess(), kTestDesktopColour);
    return text;
}

std::string ErrorTextOfStartWith(const std::string& argument) {
    DesktopSettingsForTest desktop;
    WallcineProcess wallcine(argument);
    return ErrorTextOfStart(wallcine);
}

std::string ErrorTextOfStartWith(const std::wstring& argument) {
    DesktopSettingsForTest desktop;
    WallcineProcess wallcine(argument);
    return ErrorTextOfStart(wallcine);
}

std::string DescribeState(const WallcineProcess& wallcine) {
    if (const std::optional<DWORD> exit_code = wallcine.WaitForExit(0))
        return "it ended with exit code " + Hex(*exit_code) + (IsCrashExitCode(*exit_code) ? " (a crash)" : "");
    HWND main_window = wallcine.FindWindowNow("TForm1");
    const bool in_tray = main_window && TrayHoldsIcon(main_window, app::kTrayIconId);
    MessageBoxWatch boxes(wallcine);
    boxes.Poll();
    return std::string("it is running") + (in_tray ? " with its tray icon" : "") + " and shows " + boxes.Describe();
}

}  // namespace wallcine::e2e
