#include "video/desktop_takeover.h"

#include <algorithm>
#include <stdexcept>

#include "video/desktop_form.h"
#include "video/wallpaper_host.h"
#include "video/wallpaper_layer.h"
#include "win/desktop_services.h"
#include "win/show_exception.h"

namespace wallcine::video {

namespace {

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kWallpaperValue[] = "WallPaper";

}  // namespace

DesktopTakeover::DesktopTakeover(COLORREF form_color, std::function<bool()> can_close,
                                 std::function<void(bool)> desktop_changed)
    : form_(std::make_unique<DesktopForm>(form_color, std::move(can_close), std::move(desktop_changed))) {}

DesktopTakeover::~DesktopTakeover() {
    GiveBack();
    ReleaseWindows();
}

// --- The user's wallpaper and desktop colour ---------------------------------------------------------

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

// --- The monitor ------------------------------------------------------------------------------------

HMONITOR DesktopTakeover::MonitorOf(HWND window) {
    auto& services = win::DesktopServices();
    const HMONITOR nearest = services.MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    const auto monitors = services.Monitors();
    return std::find(monitors.begin(), monitors.end(), nearest) != monitors.end()
               ? nearest
               : services.MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
}

RECT DesktopTakeover::MonitorBounds() const {
    MONITORINFO info{sizeof info};
    if (monitor_ && win::DesktopServices().GetMonitorInfoA(monitor_, &info)) return info.rcMonitor;
    return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

void DesktopTakeover::FollowDisplayChange() {
    // The monitor may have gone with the change: then the one nearest to where it was.
    monitor_ = MonitorOf(form_->Handle());
    form_->SetBounds(MonitorBounds());
    if (WallpaperLayer* layer = Layer()) layer->Cover(MonitorBounds());
}

// --- The hidden form --------------------------------------------------------------------------------

HWND DesktopTakeover::FormHandle() const noexcept { return form_ ? form_->Handle() : nullptr; }

void DesktopTakeover::PlaceFormOverMonitor() { form_->SetBounds(MonitorBounds()); }

void DesktopTakeover::ShowForm() { form_->Show(); }

void DesktopTakeover::HideForm() { form_->Hide(); }

// --- The wallpaper layer ----------------------------------------------------------------------------

WallpaperLayer* DesktopTakeover::Layer() const noexcept { return layer_lost_ ? nullptr : layer_.get(); }

bool DesktopTakeover::MakeLayer(std::function<void()> on_lost) {
    if (layer_) return true;
    const WallpaperHost host = FindWallpaperHost(IsWindows8OrLater(win::DesktopServices().GetVersion()));
    try {
        try {
            layer_ = std::make_unique<WallpaperLayer>(host, MonitorBounds(), on_lost);
        } catch (const std::runtime_error&) {
            // The shell's window went between the search and now (the shell is restarting): our
            // own window holds the video until the shell is back.
            if (host.kind == WallpaperHost::Kind::kOwnWindow) throw;
            layer_ = std::make_unique<WallpaperLayer>(WallpaperHost{}, MonitorBounds(), on_lost);
        }
    } catch (const std::runtime_error&) {
        // Desktop mode goes on without the picture (as without an overlay before), and says so.
        win::ShowCurrentException();
        return false;
    }
    layer_lost_ = false;
    return true;
}

void DesktopTakeover::DropLayer() noexcept {
    layer_.reset();
    layer_lost_ = false;
}

void DesktopTakeover::ReleaseWindows() noexcept {
    DropLayer();
    form_.reset();
}

}  // namespace wallcine::video
