// The video window and its graph may be destroyed in either order: whichever goes first, the
// other forgets it, so no call ever reaches a destroyed component.
#include <gtest/gtest.h>

#include "fakes/test_windows.h"
#include "media/filter_graph.h"
#include "video/video_window.h"
#include "win/idle_handlers.h"

namespace wallcine::video {
namespace {

TEST(VideoWindowLifetime, AGraphDestroyedFirstIsForgotten) {
    auto graph = std::make_unique<media::TFilterGraph>();
    TDSVideoWindowEx2 window(test::SuiteParentWindow(), "Video_Window");
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
        TDSVideoWindowEx2 window(test::SuiteParentWindow(), "Video_Window");
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
