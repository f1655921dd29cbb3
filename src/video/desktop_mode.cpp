// Desktop mode: the video window moves into a hidden borderless form over one monitor, the
// wallpaper setting is emptied and the desktop background takes the colour key, so the overlay
// shows behind the icons. Without an overlay the renderer's own window goes onto a wallpaper
// layer instead (desktop_layer.cpp). Leaving puts the wallpaper and the colour back.
#include <algorithm>

#include "video/desktop_form.h"
#include "video/video_window.h"
#include "win/desktop_services.h"

namespace wallcine::video {

namespace {

constexpr char kDesktopKey[] = "\\Control Panel\\Desktop";
constexpr char kWallpaperValue[] = "WallPaper";

// A system-colour value (high bit set, index in the low byte) becomes its RGB value; any other
// value is used as it is.
COLORREF ColorToRGB(COLORREF color) {
    if (color & 0x80000000u) return win::DesktopServices().GetSysColor(static_cast<int>(color & 0xFF));
    return color;
}

void SetDesktopColor(COLORREF color) {
    const int element = COLOR_BACKGROUND;
    win::DesktopServices().SetSysColors(1, &element, &color);
}

}  // namespace

RECT TDSVideoWindowEx2::DesktopMonitorBounds() const {
    MONITORINFO info{sizeof info};
    if (desktop_monitor_ && win::DesktopServices().GetMonitorInfoA(desktop_monitor_, &info)) return info.rcMonitor;
    return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

std::string TDSVideoWindowEx2::ReadWallpaper() {
    win::RegistryValue value;
    if (win::DesktopServices().QueryRegistryValue(HKEY_CURRENT_USER, kDesktopKey, kWallpaperValue, value) !=
        ERROR_SUCCESS)
        return {};
    return value.AsString();
}

void TDSVideoWindowEx2::WriteWallpaper(const std::string& wallpaper) {
    auto& services = win::DesktopServices();
    // Only an existing value is rewritten; nothing is created where the user had nothing.
    win::RegistryValue existing;
    if (services.QueryRegistryValue(HKEY_CURRENT_USER, kDesktopKey, kWallpaperValue, existing) == ERROR_SUCCESS)
        services.SetRegistryValue(HKEY_CURRENT_USER, kDesktopKey, kWallpaperValue, win::RegistryValue::String(wallpaper));
    // The system re-applies the wallpaper the registry now names and tells running programs.
    services.SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, nullptr, SPIF_SENDWININICHANGE);
}

HMONITOR TDSVideoWindowEx2::MonitorOfWindow(HWND window) {
    auto& services = win::DesktopServices();
    const HMONITOR nearest = services.MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    const auto monitors = services.Monitors();
    return std::find(monitors.begin(), monitors.end(), nearest) != monitors.end() ? nearest : nullptr;
}

HMONITOR TDSVideoWindowEx2::ListedOrNearestMonitor(HWND window) {
    const HMONITOR monitor = MonitorOfWindow(window);
    // No listed monitor matches (one was just unplugged): the one nearest to the window is
    // still the right place.
    return monitor ? monitor : win::DesktopServices().MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
}

void TDSVideoWindowEx2::EnterDesktopMode() { EnterDesktopModeOn(ListedOrNearestMonitor(Handle())); }

void TDSVideoWindowEx2::EnterDesktopModeOn(HMONITOR monitor) {
    if (desktop_mode_) return;
    auto& services = win::DesktopServices();
    desktop_monitor_ = monitor;
    saved_wallpaper_ = ReadWallpaper();
    saved_desktop_color_ = services.GetSysColor(COLOR_BACKGROUND);
    WriteWallpaper("");
    // A key the mixer never reported is no colour at all: the desktop keeps its own then.
    desktop_color_changed_ = color_key_ != clNone;
    if (desktop_color_changed_) SetDesktopColor(ColorToRGB(color_key_));

    saved_parent_ = Parent();
    ::SetParent(Handle(), desktop_form_->Handle());
    desktop_form_->SetBounds(DesktopMonitorBounds());
    AlignToParentClient();
    desktop_form_->Show();
    desktop_mode_ = true;
    // No overlay to show the video through the key: the renderer's window goes on the layer.
    if (!overlay_active_) AttachWallpaperLayer();
    ApplyVideoWindow();
    if (overlay_active_) RefreshColorKey();
    desktop_form_->Hide();

    overlay_visible_ = false;
    PaintColorKey();
    if (OnOverlayVisible) OnOverlayVisible(*this, false);
}

void TDSVideoWindowEx2::LeaveDesktopMode() {
    if (desktop_mode_) {
        WriteWallpaper(saved_wallpaper_);
        if (desktop_color_changed_) SetDesktopColor(saved_desktop_color_);
        desktop_color_changed_ = false;
        desktop_mode_ = false;
        if (destroying_) {
            DetachWallpaperLayer();
            return;
        }
    }
    if (saved_parent_) {
        ::SetParent(Handle(), saved_parent_);
        AlignToParentClient();
    }
    DetachWallpaperLayer();
    ApplyVideoWindow();
    if (overlay_active_) RefreshColorKey();
    overlay_visible_ = true;
    PaintColorKey();
    if (OnOverlayVisible) OnOverlayVisible(*this, true);
    desktop_monitor_ = nullptr;
}

}  // namespace wallcine::video
