#include "video/desktop_takeover.h"

namespace wallcine::video {

namespace {

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kWallpaperValue[] = "WallPaper";

}  // namespace

DesktopTakeover::~DesktopTakeover() { GiveBack(); }

bool DesktopTakeover::Take(std::optional<COLORREF> desktop_color) {
    if (taken_) return true;
    auto& services = win::DesktopServices();
    DesktopOriginals originals;
    win::RegistryValue wallpaper;
    originals.wallpaper_existed =
        services.QueryRegistryValue(HKEY_CURRENT_USER, kDesktopKey, kWallpaperValue, wallpaper) == ERROR_SUCCESS;
    if (originals.wallpaper_existed) originals.wallpaper = wallpaper.AsString();
    if (desktop_color) originals.desktop_color = services.GetSysColor(COLOR_BACKGROUND);
    if (!WriteRestoreJournal(services, originals)) {
        RemoveRestoreJournal(services);
        return false;
    }
    originals_ = originals;
    taken_ = true;

    if (originals_.wallpaper_existed)
        services.SetRegistryValue(HKEY_CURRENT_USER, kDesktopKey, kWallpaperValue, win::RegistryValue::String(""));
    // The system re-applies the (now empty) wallpaper and tells running programs.
    services.SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, nullptr, SPIF_SENDWININICHANGE);
    if (desktop_color) {
        const int element = COLOR_BACKGROUND;
        const COLORREF color = *desktop_color;
        services.SetSysColors(1, &element, &color);
    }
    return true;
}

void DesktopTakeover::GiveBack() noexcept {
    if (!taken_) return;
    taken_ = false;
    auto& services = win::DesktopServices();
    if (ApplyDesktopOriginals(services, originals_)) RemoveRestoreJournal(services);
}

}  // namespace wallcine::video
