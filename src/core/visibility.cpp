#include "core/visibility.h"

#include <algorithm>
#include <cstdint>

namespace wallcine {

namespace {

std::int64_t Area(const Rect& rect) {
    return rect.width() > 0 && rect.height() > 0 ? static_cast<std::int64_t>(rect.width()) * rect.height() : 0;
}

Rect Intersection(const Rect& a, const Rect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

bool Contains(const Rect& outer, const Rect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

bool Counts(const WindowOnScreen& window) {
    return window.visible && !window.minimized && !window.cloaked && !window.tool_window && !window.shell &&
           !window.own;
}

}  // namespace

bool MonitorCovered(const Rect& monitor, const std::vector<WindowOnScreen>& windows) {
    if (Area(monitor) == 0) return false;
    for (const WindowOnScreen& window : windows) {
        if (!Counts(window)) continue;
        if (Contains(window.bounds, monitor)) return true;
        // A maximized window overhangs its monitor by its borders and stops at the taskbar: it is
        // on this monitor when most of it lies here.
        if (window.maximized && 2 * Area(Intersection(window.bounds, monitor)) > Area(window.bounds)) return true;
    }
    return false;
}

}  // namespace wallcine
