// The video window and its graph may be destroyed in either order: whichever goes first, the
// other forgets it, so no call ever reaches a destroyed component.
#include <gtest/gtest.h>

#include "media/filter_graph.h"
#include "video/video_window.h"
#include "win/idle_handlers.h"

namespace wallcine::video {
namespace {

HWND LifetimeParent() {
    static HWND parent = [] {
        WNDCLASSA parent_class{};
        parent_class.lpfnWndProc = ::DefWindowProcA;
        parent_class.hInstance = ::GetModuleHandleA(nullptr);
        parent_class.lpszClassName = "WallcineLifetimeParent";
        ::RegisterClassA(&parent_class);
        return ::CreateWindowExA(0, "WallcineLifetimeParent", "parent", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                 nullptr, ::GetModuleHandleA(nullptr), nullptr);
    }();
    return parent;
}

TEST(VideoWindowLifetime, AGraphDestroyedFirstIsForgotten) {
    auto graph = std::make_unique<media::TFilterGraph>();
    TDSVideoWindowEx2 window(LifetimeParent(), "Video_Window");
    window.SetFilterGraph(graph.get());
    ASSERT_EQ(window.FilterGraph(), graph.get());
    graph.reset();
    EXPECT_EQ(window.FilterGraph(), nullptr);
    // Setting another graph later registers there without touching the destroyed one.
    media::TFilterGraph second;
    window.SetFilterGraph(&second);
    EXPECT_EQ(window.FilterGraph(), &second);
}

TEST(VideoWindowLifetime, AWindowDestroyedFirstLeavesItsGraphAndTheIdleLoop) {
    media::TFilterGraph graph;
    bool cursor_event = false;
    {
        TDSVideoWindowEx2 window(LifetimeParent(), "Video_Window");
        window.SetFilterGraph(&graph);
        window.OnCursorShowHide = [&](TDSVideoWindowEx2&, bool) { cursor_event = true; };
    }
    // The graph has no client left to tell: control events and its own destruction reach no one.
    graph.NotifyControlEvent(media::gcePlay, 0);
    graph.BroadcastGraphEvent(EC_CLOCK_CHANGED, 0, 0);
    // The idle handler went with the window.
    EXPECT_TRUE(win::RunIdleHandlers());
    EXPECT_FALSE(cursor_event);
}

}  // namespace
}  // namespace wallcine::video
