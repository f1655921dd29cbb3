// Desktop mode: the video window moves into a hidden borderless form over one monitor, the
// wallpaper setting is emptied and the desktop background takes the colour key, so the overlay
// shows behind the icons. Without an overlay the renderer's own window goes onto a wallpaper
// layer instead (desktop_layer.cpp). Leaving puts the wallpaper and the colour back; what was
// changed and how it goes back is the desktop takeover's (desktop_takeover.h).
#include <algorithm>

#include "video/desktop_form.h"
#include "video/video_window.h"
#include "win/desktop_services.h"

namespace wallcine::video {

namespace {

// A system-colour value (high bit set, index in the low byte) becomes its RGB value; any other
// value is used as it is.
COLORREF ColorToRGB(COLORREF color) {
    if (color & 0x80000000u) return win::DesktopServices().GetSysColor(static_cast<int>(color & 0xFF));
    return color;
}

}  // namespace

RECT TDSVideoWindowEx2::DesktopMonitorBounds() const {
    MONITORINFO info{sizeof info};
    if (desktop_monitor_ && win::DesktopServices().GetMonitorInfoA(desktop_monitor_, &info)) return info.rcMonitor;
    return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
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
    desktop_monitor_ = monitor;
    // The user's wallpaper and colour are written down before they change. A key the mixer never
    // reported is no colour at all: the desktop keeps its own then.
    takeover_.Take(color_key_ != clNone ? std::optional<COLORREF>(ColorToRGB(color_key_)) : std::nullopt);

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
        takeover_.GiveBack();
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
