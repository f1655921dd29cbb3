// Whether anybody can see the video on its monitor: the decision behind pausing while the desktop
// is covered, taken on a plain description of the windows so it can be tested as a table.
#pragma once

#include <vector>

#include "core/geometry.h"

namespace wallcine {

// A top-level window as the decision needs it, in screen coordinates.
struct WindowOnScreen {
    Rect bounds;
    bool visible = true;
    bool minimized = false;
    bool maximized = false;
    bool cloaked = false;      // hidden by the compositor (another virtual desktop, a suspended app)
    bool tool_window = false;  // floating palettes, notification toasts
    bool shell = false;        // the taskbar, the desktop, the shell's own layers
    bool own = false;          // Wallcine's windows
};

// The monitor counts as covered when one window that the user works in either is maximized on it
// (most of the window lies on that monitor) or covers the whole monitor (a full-screen or
// borderless game, a video player). Minimized, cloaked, tool, shell and Wallcine's own windows
// never count. Several windows that only together cover the monitor do not count either: a gap
// between them may show the video, and such a layout is rare.
bool MonitorCovered(const Rect& monitor, const std::vector<WindowOnScreen>& windows);

}  // namespace wallcine
