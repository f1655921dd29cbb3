// When the video's monitor counts as covered, as a table of window layouts.
#include <gtest/gtest.h>

#include <vector>

#include "core/visibility.h"

namespace wallcine {
namespace {

// Two monitors side by side; the video is on the left one. The taskbar takes the bottom 40 pixels
// of each, so a maximized window fills the rest and overhangs by its 8-pixel borders.
constexpr Rect kVideoMonitor{0, 0, 1920, 1080};
constexpr Rect kOtherMonitor{1920, 0, 3840, 1080};
constexpr Rect kMaximizedHere{-8, -8, 1928, 1048};
constexpr Rect kMaximizedThere{1912, -8, 3848, 1048};

WindowOnScreen Window(Rect bounds) { return WindowOnScreen{bounds}; }
WindowOnScreen Maximized(Rect bounds) {
    WindowOnScreen window{bounds};
    window.maximized = true;
    return window;
}
template <class Change>
WindowOnScreen With(WindowOnScreen window, Change change) {
    change(window);
    return window;
}

TEST(MonitorCovered, Table) {
    struct Case {
        const char* name;
        std::vector<WindowOnScreen> windows;
        bool covered;
    };
    const Case cases[] = {
        {"nothing open", {}, false},
        {"a maximized window on the video's monitor", {Maximized(kMaximizedHere)}, true},
        {"a maximized window on the other monitor", {Maximized(kMaximizedThere)}, false},
        {"a full-screen borderless window", {Window(kVideoMonitor)}, true},
        {"a borderless window larger than the monitor", {Window({-10, -10, 1930, 1090})}, true},
        {"a normal window over most of the monitor", {Window({0, 0, 1900, 1000})}, false},
        {"a full-screen window on the other monitor", {Window(kOtherMonitor)}, false},
        {"a full-screen window spanning both monitors", {Window({0, 0, 3840, 1080})}, true},
        {"a maximized window, minimized", {With(Maximized(kMaximizedHere), [](auto& w) { w.minimized = true; })}, false},
        {"a maximized window, cloaked", {With(Maximized(kMaximizedHere), [](auto& w) { w.cloaked = true; })}, false},
        {"a maximized window, hidden", {With(Maximized(kMaximizedHere), [](auto& w) { w.visible = false; })}, false},
        {"a full-screen tool window", {With(Window(kVideoMonitor), [](auto& w) { w.tool_window = true; })}, false},
        {"the shell's desktop window", {With(Window(kVideoMonitor), [](auto& w) { w.shell = true; })}, false},
        {"the taskbar", {With(Window({0, 1040, 1920, 1080}), [](auto& w) { w.shell = true; })}, false},
        {"Wallcine's own wallpaper layer", {With(Window(kVideoMonitor), [](auto& w) { w.own = true; })}, false},
        {"two windows that together cover it", {Window({0, 0, 960, 1080}), Window({960, 0, 1920, 1080})}, false},
        {"one covering window among others",
         {Window({100, 100, 500, 500}), With(Window(kVideoMonitor), [](auto& w) { w.own = true; }),
          Maximized(kMaximizedHere)},
         true},
    };
    for (const Case& c : cases) EXPECT_EQ(MonitorCovered(kVideoMonitor, c.windows), c.covered) << c.name;
}

TEST(MonitorCovered, AnEmptyMonitorIsNeverCovered) {
    EXPECT_FALSE(MonitorCovered({0, 0, 0, 0}, {Window({-10, -10, 10, 10})}));
}

}  // namespace
}  // namespace wallcine
