// WallpaperLayer: the black window, covering one monitor, that carries the renderer's window
// in desktop mode when no overlay shows the video. It lies inside the shell's wallpaper layer
// (a child of the WorkerW behind the icons, or of Progman below the icon view) or, where the
// shell has none, is a top-level window of its own: borderless, never activated, transparent to
// the mouse, and kept at the bottom of the z-order so that every other window stays above it.
#pragma once

#include <windows.h>

#include <functional>

#include "video/wallpaper_host.h"
#include "win/unique_handle.h"

namespace wallcine::video {

inline constexpr char kWallpaperLayerClass[] = "TWallpaperLayer";

class WallpaperLayer {
public:
    // Created hidden over `monitor` (screen coordinates). `on_lost` runs when the window is
    // destroyed by someone else (the shell's window that held it went away), while its
    // children still exist.
    WallpaperLayer(const WallpaperHost& host, const RECT& monitor, std::function<void()> on_lost);
    ~WallpaperLayer();
    WallpaperLayer(const WallpaperLayer&) = delete;
    WallpaperLayer& operator=(const WallpaperLayer&) = delete;

    HWND Handle() const noexcept { return window_.get(); }
    const WallpaperHost& Host() const noexcept { return host_; }
    // Covers `monitor` again (after a display change).
    void Cover(const RECT& monitor);
    void Show();
    void Hide();
    bool Visible() const noexcept;

private:
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
    // Its place among its siblings: below the icon view, on top inside a WorkerW, at the bottom
    // of the desktop for our own window.
    HWND InsertAfter() const noexcept;
    void LowerOwner();

    WallpaperHost host_;
    std::function<void()> on_lost_;
    win::unique_hbrush background_;
    win::unique_hwnd owner_;  // our own window's hidden owner
    win::unique_hwnd window_;
};

}  // namespace wallcine::video
