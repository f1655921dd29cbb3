// Desktop mode: the video window moves into a hidden borderless form over one monitor, the
// wallpaper setting is emptied and the desktop background takes the colour key, so the overlay
// shows behind the icons. Without an overlay the renderer's own window goes onto a wallpaper
// layer instead (desktop_layer.cpp). Leaving puts the wallpaper and the colour back; what was
// changed and how it goes back is the desktop takeover's (desktop_takeover.h).
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

void TDSVideoWindowEx2::EnterDesktopMode() { EnterDesktopModeOn(DesktopTakeover::MonitorOf(Handle())); }

void TDSVideoWindowEx2::EnterDesktopModeOn(HMONITOR monitor) {
    if (desktop_mode_) return;
    takeover_.SetMonitor(monitor);
    // The user's wallpaper and colour are written down before they change. A key the mixer never
    // reported is no colour at all: the desktop keeps its own then.
    takeover_.Take(color_key_ != clNone ? std::optional<COLORREF>(ColorToRGB(color_key_)) : std::nullopt);

    saved_parent_ = Parent();
    ::SetParent(Handle(), takeover_.FormHandle());
    takeover_.PlaceFormOverMonitor();
    AlignToParentClient();
    takeover_.ShowForm();
    desktop_mode_ = true;
    // No overlay to show the video through the key: the renderer's window goes on the layer.
    if (!overlay_active_) AttachWallpaperLayer();
    ApplyVideoWindow();
    if (overlay_active_) RefreshColorKey();
    takeover_.HideForm();

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
    takeover_.SetMonitor(nullptr);
}

}  // namespace wallcine::video
