// DesktopTakeover: everything desktop mode takes over on the user's desktop, and how it is given
// back. That is the user's wallpaper setting and desktop colour (written down in the restore
// journal before anything changes, given back in the reverse order, the journal removed only when
// everything went back), the monitor the video covers, the hidden form that carries the video
// window over that monitor (and hears of display changes and shell restarts), and the wallpaper
// layer behind the desktop icons that shows the renderer's own window where no overlay does. Its
// destructor gives back what it still holds; a takeover that was never given back (the program
// was killed) is given back at the next start or by the watchdog, from the journal
// (RestoreAfterCrash). The renderer's window itself is the video window's business: it places it
// on the layer and takes it back before the layer goes.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

#include "video/restore_journal.h"

namespace wallcine::video {

class DesktopForm;
class WallpaperLayer;

class DesktopTakeover {
public:
    // The form is painted in `form_color`. `can_close` is asked when the form is told to close
    // (false keeps it); `desktop_changed` runs on a display change (false) and when the shell has
    // restarted (true).
    explicit DesktopTakeover(COLORREF form_color = RGB(0, 0, 0), std::function<bool()> can_close = {},
                             std::function<void(bool)> desktop_changed = {});
    ~DesktopTakeover();
    DesktopTakeover(const DesktopTakeover&) = delete;
    DesktopTakeover& operator=(const DesktopTakeover&) = delete;

    // --- The user's wallpaper and desktop colour -----------------------------------------------
    bool Taken() const noexcept { return taken_; }
    // The user's values as they were before the takeover (while taken).
    const DesktopOriginals& Originals() const noexcept { return originals_; }
    // Writes the journal, then empties the wallpaper setting and, when `desktop_color` is given,
    // paints the desktop in it. When the journal cannot be written nothing is changed (the user's
    // values would live in memory only) and the answer is false; desktop mode goes on without.
    bool Take(std::optional<COLORREF> desktop_color);
    // Puts the colour, then the wallpaper back, and removes the journal once both went back (a
    // journal kept is tried again at the next start). Nothing happens when nothing was taken.
    void GiveBack() noexcept;

    // --- The monitor ------------------------------------------------------------------------------
    // The listed monitor `window` is on; the one nearest to it when none is listed there (one was
    // just unplugged).
    static HMONITOR MonitorOf(HWND window);
    HMONITOR Monitor() const noexcept { return monitor_; }
    void SetMonitor(HMONITOR monitor) noexcept { monitor_ = monitor; }
    // The monitor's bounds on the screen (the primary screen's without a monitor).
    RECT MonitorBounds() const;
    // After a display change: the monitor the form is on now, and the form and the layer over it.
    void FollowDisplayChange();

    // --- The hidden form that carries the video window --------------------------------------------
    HWND FormHandle() const noexcept;
    // Over the monitor; shown for the moment the video window moves in, then hidden again.
    void PlaceFormOverMonitor();
    void ShowForm();
    void HideForm();

    // --- The wallpaper layer ------------------------------------------------------------------------
    // The layer while it stands (null when there is none, or the shell took it away).
    WallpaperLayer* Layer() const noexcept;
    // Whether a layer was made (it may have been lost since).
    bool HasLayer() const noexcept { return static_cast<bool>(layer_); }
    bool LayerLost() const noexcept { return layer_lost_; }
    // Makes the layer over the monitor: in the shell's wallpaper layer, or our own window where
    // the shell has none or its window is going away. `on_lost` runs when the shell destroys the
    // window that holds it. False, and the failure reported, when no layer can be made.
    bool MakeLayer(std::function<void()> on_lost);
    void MarkLayerLost() noexcept { layer_lost_ = true; }
    void DropLayer() noexcept;

    // Destroys the layer and the form (the video window's own window must have gone first).
    void ReleaseWindows() noexcept;

private:
    DesktopOriginals originals_;
    bool taken_ = false;
    HMONITOR monitor_ = nullptr;
    std::unique_ptr<DesktopForm> form_;
    std::unique_ptr<WallpaperLayer> layer_;
    bool layer_lost_ = false;
};

}  // namespace wallcine::video
