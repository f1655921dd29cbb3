#include "desktop_settings.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_files.h"
#include "wallcine_process.h"

namespace wallcine::e2e {
namespace {

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kWallpaperValue[] = "WallPaper";

void WriteWallpaperValue(const std::optional<std::string>& value) {
    if (!value) {
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktopKey, kWallpaperValue);
        return;
    }
    const LSTATUS status = ::RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, kWallpaperValue, REG_SZ,
                                             value->c_str(), static_cast<DWORD>(value->size() + 1));
    EXPECT_EQ(status, ERROR_SUCCESS) << "cannot write the wallpaper value";
}

void SetDesktopColour(COLORREF colour) {
    const INT element = COLOR_BACKGROUND;
    EXPECT_TRUE(::SetSysColors(1, &element, &colour)) << "cannot set the desktop colour";
}

}  // namespace

std::optional<std::string> ReadWallpaperValue() {
    DWORD size = 0;
    if (::RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, kWallpaperValue, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::vector<char> text(size + 1);
    if (::RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, kWallpaperValue, RRF_RT_REG_SZ, nullptr, text.data(),
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(text.data());
}

COLORREF DesktopColourSeenByNewProcess() {
    const StartedProcess probe = StartProcess(Quoted(DriverSiblingPath("desktop_colour_probe.exe")));
    DWORD colour = CLR_INVALID;
    if (probe.handle && ::WaitForSingleObject(probe.handle.get(), 30000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(probe.handle.get(), &colour);
    return colour;
}

DesktopSettingsForTest::DesktopSettingsForTest(std::string wallpaper, COLORREF colour)
    : wallpaper_(std::move(wallpaper)),
      colour_(colour),
      users_wallpaper_(ReadWallpaperValue()),
      users_colour_(DesktopColourSeenByNewProcess()) {
    WriteWallpaperValue(wallpaper_);
    SetDesktopColour(colour_);
    // No restore journal of an earlier test may give its values to this one's Wallcine.
    DeleteUserKeyTree(kRestoreJournalKey);
}

DesktopSettingsForTest::~DesktopSettingsForTest() {
    DeleteUserKeyTree(kRestoreJournalKey);
    WriteWallpaperValue(users_wallpaper_);
    if (users_colour_ != CLR_INVALID) SetDesktopColour(users_colour_);
}

}  // namespace wallcine::e2e
