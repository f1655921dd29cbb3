// What the user sees when the first item cannot be played: the system-modal "Error" box with the
// error's text, then the program ends; no tray icon, and the desktop settings never touched.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/control_ids.h"
#include "desktop_settings.h"
#include "system_dialogs.h"
#include "test_files.h"
#include "tray_probe.h"
#include "wallcine_process.h"

namespace wallcine::e2e {
namespace {

using ::testing::EndsWith;
using ::testing::SizeIs;
using ::testing::Gt;

// Starts Wallcine with `argument`, expects the "Error" box, and returns its text after checking
// that the box stands alone on top of everything, that no tray icon exists while it is shown, and
// that the program ends once it is dismissed, with the desktop settings as they were.
std::string ErrorTextOfStartWith(const std::string& argument) {
    DesktopSettingsForTest desktop;
    WallcineProcess wallcine(argument);
    HWND box = WaitForMessageBox(wallcine, "Error");
    if (!box) {
        ADD_FAILURE() << "no \"Error\" box";
        return {};
    }
    const std::string text = MessageBoxText(box);
    EXPECT_TRUE(::GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) << "the box must be system-modal";
    EXPECT_EQ(::GetWindow(box, GW_OWNER), nullptr) << "the box has no owner window";
    if (HWND main_window = wallcine.FindWindowNow("TForm1")) {
        EXPECT_FALSE(TrayHoldsIcon(main_window, app::kTrayIconId)) << "a tray icon for a program that cannot play";
    }

    DismissMessageBox(box);
    EXPECT_TRUE(wallcine.WaitForExit().has_value()) << "the program did not end after the error";
    EXPECT_EQ(ReadWallpaperValue(), kTestWallpaper);
    EXPECT_EQ(DesktopColourSeenByNewProcess(), kTestDesktopColour);
    return text;
}

TEST(StartErrorsE2E, AMissingFileShowsTheDirectShowErrorAndItsCode) {
    ScratchDirectory scratch;
    const std::string text = ErrorTextOfStartWith(Quoted(scratch.PathOf("missing.avi")));
    // The system's text for the code, then the code: HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND).
    EXPECT_THAT(text, EndsWith(" ($80070002)."));
    EXPECT_THAT(text, SizeIs(Gt(sizeof " ($80070002).")));
}

TEST(StartErrorsE2E, AnEmptyPlaylistFileHasNoFirstEntry) {
    ScratchDirectory scratch;
    const std::string empty_playlist = scratch.Write("empty.wcl", "");
    EXPECT_EQ(ErrorTextOfStartWith(Quoted(empty_playlist)), "List index out of bounds (0)");
}

}  // namespace
}  // namespace wallcine::e2e
