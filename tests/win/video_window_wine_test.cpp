// TDSVideoWindowEx2 against Wine's real DirectShow with a generated clip: its own renderer joins
// the graph under the component's name and receives the video; Wine has no Overlay Mixer, so
// the overlay set-up fails cleanly and playback goes on through the renderer's own window,
// placed at the component's bounds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "fakes/desktop_services_recorder.h"
#include "fakes/test_windows.h"
#include "media/filter_graph.h"
#include "video/video_window.h"
#include "win/desktop_services.h"
#include "win/dshow.h"
#include "win/unique_handle.h"

namespace wallcine::video {
namespace {

template <class Predicate>
bool PumpUntil(Predicate done, DWORD timeout_ms) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeout_ms) return false;
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        ::Sleep(10);
    }
    return true;
}

// The renderer's window among the parent's children: captioned with the component's name, of
// the renderer's own class (not the component's).
HWND RendererWindowUnder(HWND parent, const char* caption) {
    for (HWND child = ::FindWindowExA(parent, nullptr, nullptr, caption); child;
         child = ::FindWindowExA(parent, child, nullptr, caption)) {
        char class_name[64] = {};
        ::GetClassNameA(child, class_name, sizeof class_name);
        if (std::string(class_name) != "TDSVideoWindowEx2") return child;
    }
    return nullptr;
}

class VideoWindowOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.result()));
        const wchar_t* media = _wgetenv(L"WALLCINE_MEDIA");
        ASSERT_TRUE(media && *media) << "WALLCINE_MEDIA is not set (ctest sets it to the clip folder)";
        clip_ = std::wstring(media) + L"/clip.avi";
        graph_ = std::make_unique<media::TFilterGraph>();
        window_ = std::make_unique<TDSVideoWindowEx2>(test::SuiteParentWindow(), "Video_Window");
        window_->SetBounds(20, 30, 320, 240);
        window_->SetFilterGraph(graph_.get());
    }
    void TearDown() override {
        if (graph_) graph_->Stop();
        window_.reset();
        graph_.reset();
    }

    win::com_init_scope com_;
    std::wstring clip_;
    std::unique_ptr<media::TFilterGraph> graph_;
    std::unique_ptr<TDSVideoWindowEx2> window_;
};

TEST_F(VideoWindowOnWine, PlaysThroughItsOwnRendererWhenTheOverlayCannotBeSetUp) {
    graph_->SetActive(true);
    ASSERT_NE(window_->RendererFilter(), nullptr);
    ASSERT_TRUE(SUCCEEDED(graph_->RenderFile(clip_)));

    // Its renderer is in the graph under the component's name and has the video connected.
    win::com_ptr<IBaseFilter> found;
    ASSERT_EQ(graph_->Graph()->FindFilterByName(L"Video_Window", found.put()), S_OK);
    EXPECT_EQ(found.get(), window_->RendererFilter());
    win::com_ptr<IEnumPins> pins;
    win::com_ptr<IPin> input, upstream;
    ASSERT_EQ(found->EnumPins(pins.put()), S_OK);
    ASSERT_EQ(pins->Next(1, input.put(), nullptr), S_OK);
    EXPECT_EQ(input->ConnectedTo(upstream.put()), S_OK) << "the video never reached the component's renderer";

    // No Overlay Mixer here: the set-up failed, left no mixer behind, and changed no connection.
    EXPECT_TRUE(window_->OverlayChecked());
    EXPECT_FALSE(window_->OverlayActive());
    EXPECT_EQ(window_->OverlayMixer(), nullptr);
    win::com_ptr<IBaseFilter> mixer;
    EXPECT_NE(graph_->Graph()->FindFilterByName(L"Overlay Mixer", mixer.put()), S_OK);
    win::com_ptr<IPin> still_upstream;
    EXPECT_EQ(input->ConnectedTo(still_upstream.put()), S_OK);
    EXPECT_EQ(still_upstream.get(), upstream.get());

    ASSERT_TRUE(graph_->Play());
    auto position = graph_->Query<IMediaPosition>();
    ASSERT_TRUE(position);
    REFTIME now = 0;
    EXPECT_TRUE(PumpUntil([&] { return SUCCEEDED(position->get_CurrentPosition(&now)) && now > 0.3; }, 10000))
        << "playback did not advance without the overlay";

    // The renderer's window sits where the component is, shown, outside desktop mode.
    IVideoWindow* video = window_->VideoWindow();
    ASSERT_NE(video, nullptr);
    HWND renderer_window = RendererWindowUnder(test::SuiteParentWindow(), "Video_Window");
    ASSERT_NE(renderer_window, nullptr) << "no renderer window captioned with the component's name";
    RECT placed{};
    ::GetWindowRect(renderer_window, &placed);
    ::MapWindowPoints(HWND_DESKTOP, test::SuiteParentWindow(), reinterpret_cast<POINT*>(&placed), 2);
    const RECT bounds = window_->Bounds();
    EXPECT_EQ(placed.left, bounds.left);
    EXPECT_EQ(placed.top, bounds.top);
    EXPECT_EQ(placed.right, bounds.right);
    EXPECT_EQ(placed.bottom, bounds.bottom);
    EXPECT_TRUE(::IsWindowVisible(renderer_window));
    long visible = OAFALSE;
    EXPECT_EQ(video->get_Visible(&visible), S_OK);
    EXPECT_EQ(visible, OATRUE);
    OAHWND owner = 0;
    EXPECT_EQ(video->get_Owner(&owner), S_OK);
    EXPECT_EQ(reinterpret_cast<HWND>(owner), test::SuiteParentWindow());
}

TEST_F(VideoWindowOnWine, ResetAndReactivateLeaveOnlyAFreshRendererInTheGraph) {
    graph_->SetActive(true);
    ASSERT_TRUE(SUCCEEDED(graph_->RenderFile(clip_)));
    ASSERT_TRUE(graph_->Play());
    graph_->ResetGraph();
    graph_->SetActive(false);
    EXPECT_EQ(window_->RendererFilter(), nullptr);
    EXPECT_EQ(window_->VideoWindow(), nullptr);
    graph_->SetActive(true);
    ASSERT_TRUE(SUCCEEDED(graph_->RenderFile(clip_)));
    EXPECT_NE(window_->VideoWindow(), nullptr);
    EXPECT_FALSE(window_->OverlayActive());
}

// A render that fails leaves the renderer in the graph with its input unconnected. Wine's renderer
// faults when it is asked for the picture of an unconnected input, so nothing that places the
// picture on the desktop may ask it then: the next item of a playlist with a missing row did.
TEST_F(VideoWindowOnWine, AfterAFailedRenderDesktopModeNeverAsksTheRendererForAPictureItHasNot) {
    test::DesktopServicesRecorder desktop;
    win::ScopedDesktopServices use_recorder(desktop);
    graph_->SetActive(true);
    EXPECT_THROW(graph_->RenderFile(clip_ + L".missing.avi"), std::exception);

    window_->EnterDesktopMode();
    ASSERT_NE(window_->WallpaperLayerHandle(), nullptr) << "no overlay under Wine: the picture goes on the layer";
    for (TRatioModes mode : {rmLetterBox, rmCrop, rmStretched, rmLetterBox}) window_->SetAspectRatio(mode);
    window_->ApplyVideoWindow();
    EXPECT_FALSE(::IsWindowVisible(window_->WallpaperLayerHandle())) << "no picture, so the desktop stays as it is";
    window_->LeaveDesktopMode();
}

}  // namespace
}  // namespace wallcine::video
