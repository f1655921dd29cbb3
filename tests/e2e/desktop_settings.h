// The two user settings that Wallcine's desktop mode changes and must give back: the "WallPaper"
// value of HKCU "Control Panel\Desktop" and the desktop background colour (COLOR_BACKGROUND).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace wallcine::e2e {

// The "WallPaper" value; nothing when the value is missing.
std::optional<std::string> ReadWallpaperValue();

// The desktop colour as a program started now sees it. Wine reads the system colours once per
// process, so a running process (this one included) would not see another's change: a small
// probe program is started to answer.
COLORREF DesktopColourSeenByNewProcess();

// Where Wallcine writes down the user's values before desktop mode changes them.
inline constexpr char kRestoreJournalKey[] = "Software\\Wallcine\\Restore";

// What a test sets before Wallcine starts: a wallpaper name and a colour no user would have.
inline constexpr char kTestWallpaper[] = "C:\\windows\\wallcine-e2e-wallpaper.bmp";
inline constexpr COLORREF kTestDesktopColour = RGB(0x12, 0x34, 0x56);

// Gives the wallpaper value and the desktop colour the test's values for the life of the object,
// and puts the user's own back afterwards, also when a test fails half-way. Declare it before
// the WallcineProcess, so that Wallcine has ended before the settings are restored.
class DesktopSettingsForTest {
public:
    DesktopSettingsForTest(std::string wallpaper = kTestWallpaper, COLORREF colour = kTestDesktopColour);
    ~DesktopSettingsForTest();
    DesktopSettingsForTest(const DesktopSettingsForTest&) = delete;
    DesktopSettingsForTest& operator=(const DesktopSettingsForTest&) = delete;

    const std::string& Wallpaper() const noexcept { return wallpaper_; }
    COLORREF Colour() const noexcept { return colour_; }

private:
    std::string wallpaper_;
    COLORREF colour_;
    std::optional<std::string> users_wallpaper_;
    COLORREF users_colour_;
};

}  // namespace wallcine::e2e
