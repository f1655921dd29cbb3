// TDSVideoWindowEx2 on a fake graph: what it does on the graph's control events, how it learns
// the colour key from the mixer's thread, how it places the renderer's window, fits the video,
// paints, zooms and sets the aspect ratio, the messages its window procedure handles itself,
// and how it leaves a graph.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/errors.h"
#include "fakes/desktop_services_recorder.h"
#include "fakes/fake_overlay.h"
#include "win/desktop_services.h"

namespace wallcine::video {
namespace {

using test::OverlayRig;
using test::PumpMessages;
using test::Trace;
using ::testing::Contains;
using ::testing::Not;

std::string Text(const RECT& rect) {
    return Format("%ld,%ld,%ld,%ld", static_cast<long>(rect.left), static_cast<long>(rect.top),
                  static_cast<long>(rect.right), static_cast<long>(rect.bottom));
}

// Where `line` first appears in `trace` (its size when it does not).
size_t IndexOf(const Trace& trace, const std::string& line) {
    return static_cast<size_t>(std::find(trace.begin(), trace.end(), line) - trace.begin());
}

class VideoWindowTest : public ::testing::Test, protected OverlayRig {
protected:
    VideoWindowTest() {
        window->OnOverlayVisible = [this](TDSVideoWindowEx2& sender, bool visible) {
            EXPECT_EQ(&sender, window.get());
            visibility.push_back(visible);
        };
        window->OnPaint = [this](TDSVideoWindowEx2& sender) {
            EXPECT_EQ(&sender, window.get());
            ++paints;
        };
        window->OnColorKeyChanged = [this](TDSVideoWindowEx2& sender) { key_senders.push_back(&sender); };
    }
    void TearDown() override {
        ReleaseAll();
        ExpectEveryReferenceBack();
    }

    // Renders a clip whose video the builder sends straight to our renderer; the render-done
    // event then sets the overlay up.
    void RenderClip() {
        ASSERT_EQ(RenderFileDirect(L"clip.avi"), S_OK);
        ASSERT_TRUE(window->OverlayActive());
    }
    // Lets every waiting message and paint through, then counts paints afresh.
    void Settle() {
        PumpMessages();
        ::UpdateWindow(window->Handle());
        paints = 0;
    }

    std::vector<bool> visibility;
    int paints = 0;
    std::vector<TDSVideoWindowEx2*> key_senders;
};

// --- The colour key, from the mixer's thread ----------------------------------------------------

class VideoWindowColorKeyTest : public VideoWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(VideoWindowColorKeyTest, TheReportedKeyIsStoredAtOnceAndAnnouncedWhenTheWindowPumpsItsMessages) {
    RenderClip();
    PumpMessages();
    key_senders.clear();

    EXPECT_EQ(mixer.ReportColorKey(0x00100010, GetParam()), S_OK);

    EXPECT_EQ(window->ColorKey(), 0x00100010u);
    EXPECT_TRUE(key_senders.empty()) << "announced on the mixer's thread instead of the window's";
    PumpMessages();
    EXPECT_EQ(key_senders, std::vector<TDSVideoWindowEx2*>{window.get()});
}

INSTANTIATE_TEST_SUITE_P(VideoWindow, VideoWindowColorKeyTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "FromTheMixersThread" : "FromTheSameThread"; });

TEST_F(VideoWindowTest, AVideoSizeReportRepaintsOnTheWindowsThread) {
    RenderClip();
    Settle();

    EXPECT_EQ(mixer.ReportSize(720, 576, 16, 9, true), S_OK);
    EXPECT_EQ(paints, 0);
    PumpMessages();
    EXPECT_EQ(paints, 1);
    EXPECT_EQ(mixer.Callback()->OnUpdateOverlay(TRUE, 0, FALSE, nullptr, nullptr, TRUE, nullptr, nullptr), S_OK);
}

TEST_F(VideoWindowTest, ACallbackTheWindowHasLetGoOfReportsToNoOne) {
    RenderClip();
    auto callback = win::com_ptr<IDDrawExclModeVideoCallback>::copy_from(mixer.Callback());
    ASSERT_TRUE(callback);
    const COLORREF key_before = window->ColorKey();
    trace.clear();

    filter_graph->SetActive(false);
    EXPECT_THAT(trace, Contains("mixer.SetCallbackInterface null 0"));
    EXPECT_EQ(mixer.Callback(), nullptr);
    Settle();
    key_senders.clear();

    const COLORKEY key{CK_RGB, 0, 0x00200020, 0x00200020};
    EXPECT_EQ(callback->OnUpdateColorKey(&key, 0x00200020), S_OK);
    EXPECT_EQ(callback->OnUpdateSize(720, 576, 4, 3), S_OK);
    PumpMessages();
    EXPECT_EQ(window->ColorKey(), key_before);
    EXPECT_TRUE(key_senders.empty());
    EXPECT_EQ(paints, 0);
}

// What a test's timer does when the window's own message pump dispatches it.
std::function<void()> on_timer_in_pump;
void CALLBACK RunTimerAction(HWND, UINT, UINT_PTR, DWORD) {
    if (on_timer_in_pump) on_timer_in_pump();
}

TEST_F(VideoWindowTest, AMessageThatTakesTheRendererAwayWhileItIsPlacedEndsThePlacingQuietly) {
    RenderClip();
    // Placing the renderer's window lets waiting messages through; one of them (the next item,
    // an exit) takes the renderer out of the graph.
    on_timer_in_pump = [this] { filter_graph->SetActive(false); };
    const UINT_PTR timer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &RunTimerAction);
    // Until the timer is due: the pump inside ApplyVideoWindow then finds its message waiting.
    MSG due;
    for (const DWORD start = ::GetTickCount();
         !::PeekMessageA(&due, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE) && ::GetTickCount() - start < 5000;)
        ::Sleep(1);
    renderer.window_calls.clear();

    window->ApplyVideoWindow();

    ::KillTimer(nullptr, timer);
    on_timer_in_pump = nullptr;
    EXPECT_EQ(window->VideoWindow(), nullptr);
    EXPECT_THAT(renderer.window_calls, Not(Contains("put_AutoShow"))) << "called on a renderer already let go";
}

TEST_F(VideoWindowTest, RefreshColorKeyPutsTheRendererWindowBelowOursAndReadsTheKeyFromTheMixer) {
    WNDCLASSA renderer_class{};
    renderer_class.lpfnWndProc = ::DefWindowProcA;
    renderer_class.hInstance = ::GetModuleHandleA(nullptr);
    renderer_class.lpszClassName = "VideoRenderer";
    ::RegisterClassA(&renderer_class);
    RenderClip();
    mixer.Input(0).color_key = {CK_RGB, 0, 0x00050505, 0x00ABCDEF};
    key_senders.clear();

    window->RefreshColorKey();  // the renderer has no window of its own yet
    EXPECT_EQ(window->RendererWindow(), nullptr);
    EXPECT_EQ(mixer.Input(0).color_key_reads, 0);
    EXPECT_TRUE(key_senders.empty());

    HWND renderer_window = ::CreateWindowExA(0, "VideoRenderer", "Video_Window", WS_CHILD | WS_VISIBLE, 0, 0, 400,
                                             300, test::SuiteParentWindow(), nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(renderer_window, nullptr);
    window->RefreshColorKey();
    EXPECT_EQ(window->RendererWindow(), renderer_window);
    EXPECT_EQ(::GetWindow(window->Handle(), GW_HWNDNEXT), renderer_window);
    EXPECT_EQ(window->ColorKey(), 0x00ABCDEFu);
    EXPECT_EQ(key_senders, std::vector<TDSVideoWindowEx2*>{window.get()});
    ::DestroyWindow(renderer_window);
}

// --- Control events -------------------------------------------------------------------------------

TEST_F(VideoWindowTest, RenderDoneSetsUpTheOverlayThenTheColourControlsThenPlacesTheRendererWindow) {
    window->SetBounds(20, 30, 400, 300);
    EXPECT_FALSE(window->Caps().CanOverlayGraphic());

    RenderClip();

    EXPECT_TRUE(window->Caps().CanOverlayGraphic());
    const Trace colours = test::Without(trace, {"graph.", "factory.", "pin ", "mixer.FindPin", "events.", "control."});
    EXPECT_EQ(colours, (Trace{"mixer.SetCallbackInterface set 0", "mixer.Input0.GetOverlaySurfaceColorControls",
                              "mixer.Input0.SetOverlaySurfaceColorControls"}));
    EXPECT_EQ(renderer.window_calls, (std::vector<std::string>{"put_Owner", "put_WindowStyle", "put_WindowStyleEx",
                                                                "SetWindowPosition", "put_Caption", "put_MessageDrain",
                                                                "put_AutoShow"}));
    EXPECT_EQ(renderer.owner, reinterpret_cast<OAHWND>(test::SuiteParentWindow()));
    EXPECT_EQ(renderer.style & (WS_CHILD | WS_CLIPSIBLINGS), static_cast<long>(WS_CHILD | WS_CLIPSIBLINGS));
    EXPECT_EQ(Text(renderer.position), "20,30,400,300");
    EXPECT_EQ(renderer.caption, L"Video_Window");
    EXPECT_EQ(renderer.message_drain, reinterpret_cast<OAHWND>(window->Handle()));
    EXPECT_EQ(renderer.auto_show, OATRUE);
}

TEST_F(VideoWindowTest, PlayShowsTheOverlayOncePauseKeepsItAndStopHidesIt) {
    RenderClip();
    Settle();
    EXPECT_FALSE(window->OverlayVisible());

    EXPECT_TRUE(filter_graph->Play());
    EXPECT_TRUE(window->OverlayVisible());
    EXPECT_EQ(visibility, std::vector<bool>{true});
    EXPECT_EQ(paints, 1);

    EXPECT_TRUE(filter_graph->Pause());
    EXPECT_EQ(visibility, std::vector<bool>{true});

    EXPECT_TRUE(filter_graph->Stop());
    EXPECT_FALSE(window->OverlayVisible());
    EXPECT_EQ(visibility, (std::vector<bool>{true, false}));
}

TEST_F(VideoWindowTest, PlayBeforeAnyRenderDoneSetsTheOverlayUpFirst) {
    RenderDirect();  // connected without the render-done event
    EXPECT_FALSE(window->OverlayChecked());

    EXPECT_TRUE(filter_graph->Play());

    EXPECT_TRUE(window->OverlayChecked());
    EXPECT_TRUE(window->OverlayActive());
    EXPECT_TRUE(window->OverlayVisible());
    EXPECT_EQ(visibility, std::vector<bool>{true});
}

TEST_F(VideoWindowTest, WithoutAnOverlayPlayAndStopSwitchNothing) {
    Activate();
    graph.on_render = [this](test::FakeFilterGraph&, const std::wstring&) { graph.AddFilter(&decoder, L"Decoder"); };
    ASSERT_EQ(filter_graph->RenderFile(L"sound.wav"), S_OK);
    EXPECT_FALSE(window->OverlayActive());

    filter_graph->Play();
    filter_graph->Stop();

    EXPECT_FALSE(window->OverlayVisible());
    EXPECT_TRUE(visibility.empty());
}

TEST_F(VideoWindowTest, InDesktopModePlayLeavesTheOverlayHiddenAndNothingRepaints) {
    test::DesktopServicesRecorder services;
    win::ScopedDesktopServices use_recorder(services);
    RenderClip();
    window->EnterDesktopModeOn(reinterpret_cast<HMONITOR>(1));
    EXPECT_EQ(renderer.auto_show, OAFALSE);
    visibility.clear();
    Settle();

    filter_graph->Play();
    window->SetAspectRatio(rmStretched);

    EXPECT_FALSE(window->OverlayVisible());
    EXPECT_TRUE(visibility.empty());
    EXPECT_EQ(paints, 0);
    window->LeaveDesktopMode();
}

// --- Fitting and painting -------------------------------------------------------------------------

TEST_F(VideoWindowTest, UpdateVideoRectLetterboxesTheMixersAspectOrFillsTheClientArea) {
    EXPECT_EQ(window->UpdateVideoRect(), E_FAIL) << "no mixer yet";
    RenderClip();
    struct Case {
        TRatioModes mode;
        DWORD aspect_x, aspect_y;
        const char* expected;
    };
    const Case cases[] = {
        {rmLetterBox, 16, 9, "0,37,400,262"}, {rmLetterBox, 1, 1, "50,0,350,300"}, {rmLetterBox, 4, 3, "0,0,400,300"},
        {rmLetterBox, 0, 0, "0,0,400,300"},   {rmLetterBox, 16, 0, "0,0,400,300"}, {rmStretched, 16, 9, "0,0,400,300"},
        {rmCrop, 16, 9, "0,0,400,300"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Format("mode %d aspect %lu:%lu", c.mode, static_cast<unsigned long>(c.aspect_x),
                            static_cast<unsigned long>(c.aspect_y)));
        window->SetAspectRatio(c.mode);
        mixer.aspect_x = c.aspect_x;
        mixer.aspect_y = c.aspect_y;
        EXPECT_EQ(window->UpdateVideoRect(), S_OK);
        EXPECT_EQ(Text(window->VideoRect()), c.expected);
    }
}

TEST_F(VideoWindowTest, EveryPaintRaisesOnPaintOnce) {
    RenderClip();
    Settle();
    ::InvalidateRect(window->Handle(), nullptr, FALSE);
    ::UpdateWindow(window->Handle());
    EXPECT_EQ(paints, 1);
    window->PaintColorKey();
    EXPECT_EQ(paints, 2);
}

TEST_F(VideoWindowTest, AVisibleOverlayPaintsTheKeyOverTheVideoAndTheWindowColourAroundIt) {
    window->SetColor(RGB(0, 0, 0x80));
    RenderClip();
    mixer.ReportColorKey(RGB(0x10, 0, 0x10));
    filter_graph->Play();
    Settle();

    HDC dc = ::GetDC(window->Handle());
    EXPECT_EQ(::GetPixel(dc, 200, 150), RGB(0x10, 0, 0x10)) << "inside the 16:9 picture";
    EXPECT_EQ(::GetPixel(dc, 200, 10), RGB(0, 0, 0x80)) << "in the bar above it";
    ::ReleaseDC(window->Handle(), dc);
}

// --- The window procedure ---------------------------------------------------------------------------

TEST_F(VideoWindowTest, WhileTheOverlayIsActiveTheBackgroundIsNotErased) {
    HDC dc = ::GetDC(window->Handle());
    EXPECT_EQ(::SendMessageA(window->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 0)
        << "without an overlay the default handling answers (no class brush: nothing erased)";
    RenderClip();
    EXPECT_NE(::SendMessageA(window->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 0);
    ::ReleaseDC(window->Handle(), dc);
}

// The default window procedure announces each system command to the CBT hook before it acts;
// this hook writes the command down and cancels it.
std::vector<WPARAM>* g_system_commands = nullptr;

LRESULT CALLBACK RecordSystemCommand(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_SYSCOMMAND && g_system_commands) {
        g_system_commands->push_back(wparam);
        return 1;
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(VideoWindowTest, NoScreenSaverSwallowsOnlyTheScreenSaverAndMonitorPowerCommands) {
    std::vector<WPARAM> reached_default;
    g_system_commands = &reached_default;
    HHOOK hook = ::SetWindowsHookExA(WH_CBT, RecordSystemCommand, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    struct Case {
        bool no_screen_saver;
        WPARAM command;
        bool passes;
    };
    const Case cases[] = {
        {true, SC_SCREENSAVE, false},  {true, SC_MONITORPOWER, false}, {true, SC_MONITORPOWER | 0x2, false},
        {true, SC_MINIMIZE, true},     {false, SC_SCREENSAVE, true},   {false, SC_MONITORPOWER, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Format("NoScreenSaver %d command $%04X", c.no_screen_saver, static_cast<unsigned>(c.command)));
        window->SetNoScreenSaver(c.no_screen_saver);
        reached_default.clear();
        const LRESULT result = ::SendMessageA(window->Handle(), WM_SYSCOMMAND, c.command, 2);
        EXPECT_EQ(reached_default.size(), c.passes ? 1u : 0u);
        if (!c.passes) {
            EXPECT_EQ(result, 0);
        }
    }
    ::UnhookWindowsHookEx(hook);
    g_system_commands = nullptr;
    EXPECT_FALSE(::IsIconic(window->Handle()));
}

// --- Zoom and aspect ratio ------------------------------------------------------------------------

TEST_F(VideoWindowTest, DigitalZoomOutsideZeroTo99IsRefusedNamingTheValue) {
    window->SetDigitalZoom(10);
    for (LONG value : {-1L, 100L}) {
        try {
            window->SetDigitalZoom(value);
            ADD_FAILURE() << value << " was accepted";
        } catch (const wallcine::Exception& error) {
            EXPECT_EQ(std::string(error.what()),
                      Format("Value %ld out of range. Value must bee between 0 -> 99", static_cast<long>(value)));
        }
        EXPECT_EQ(window->DigitalZoom(), 10);
    }
}

TEST_F(VideoWindowTest, DigitalZoomIsOnlyStoredWithoutARendererThatHasBasicVideo) {
    window->SetDigitalZoom(30);  // no active renderer before a render
    EXPECT_EQ(window->DigitalZoom(), 30);
    renderer.has_basic_video = false;
    RenderClip();
    window->SetDigitalZoom(40);
    EXPECT_EQ(window->DigitalZoom(), 40);
    EXPECT_TRUE(renderer.basic_video_calls.empty());
}

TEST_F(VideoWindowTest, DigitalZoomShowsTheCentreOfTheRenderersDefaultSource) {
    RenderClip();
    struct Case {
        long width, height;
        LONG zoom;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {640, 480, 50,
         {"SetDefaultSourcePosition", "put_SourceWidth 320", "put_SourceHeight 240", "put_SourceLeft 160",
          "put_SourceTop 120"}},
        {640, 480, 0,
         {"SetDefaultSourcePosition", "put_SourceWidth 640", "put_SourceHeight 480", "put_SourceLeft 0",
          "put_SourceTop 0"}},
        {0, 480, 50,
         {"SetDefaultSourcePosition", "put_SourceWidth 0", "put_SourceHeight 480", "put_SourceLeft 0",
          "put_SourceTop 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Format("%ldx%ld at %ld", c.width, c.height, static_cast<long>(c.zoom)));
        renderer.video_width = c.width;
        renderer.video_height = c.height;
        renderer.basic_video_calls.clear();
        window->SetDigitalZoom(c.zoom);
        EXPECT_EQ(renderer.basic_video_calls, c.calls);
        EXPECT_EQ(window->DigitalZoom(), c.zoom);
    }
}

TEST_F(VideoWindowTest, AspectRatioWithoutAMixerIsOnlyStored) {
    window->SetAspectRatio(rmStretched);
    EXPECT_EQ(window->AspectRatio(), rmStretched);
    EXPECT_TRUE(mixer.Input(0).aspect_modes.empty());
}

TEST_F(VideoWindowTest, AspectRatioGoesToTheMixersFirstPinAndIsKeptOnlyWhenTheMixerAcceptsIt) {
    RenderClip();
    Settle();

    window->SetAspectRatio(rmCrop);
    EXPECT_EQ(window->AspectRatio(), rmCrop);
    EXPECT_EQ(paints, 1);

    mixer.Input(0).set_aspect_result = E_INVALIDARG;
    window->SetAspectRatio(rmStretched);
    EXPECT_EQ(window->AspectRatio(), rmCrop);
    EXPECT_EQ(paints, 2);
    EXPECT_EQ(mixer.Input(0).aspect_modes, (std::vector<win::AM_ASPECT_RATIO_MODE>{win::AM_ARMODE_CROP,
                                                                                    win::AM_ARMODE_STRETCHED}));
}

// --- Leaving the graph --------------------------------------------------------------------------------

TEST_F(VideoWindowTest, LeavingTheGraphRestoresTheDriversColoursThenUnhooksRendererAndMixer) {
    mixer.Input(0).driver_controls.lBrightness = 4321;
    RenderClip();
    window->ColorControl().SetBrightness(9000);
    trace.clear();

    filter_graph->SetActive(false);

    ASSERT_FALSE(mixer.Input(0).written_controls.empty());
    EXPECT_EQ(mixer.Input(0).written_controls.back().lBrightness, 4321);
    const size_t restore = IndexOf(trace, "mixer.Input0.SetOverlaySurfaceColorControls");
    const size_t stop = IndexOf(trace, "filter Video Renderer.Stop");
    const size_t mixer_pins = IndexOf(trace, "pin Overlay Mixer.Input0 Disconnect");
    const size_t renderer_pin = IndexOf(trace, "pin Video Renderer.Input Disconnect");
    const size_t unhook = IndexOf(trace, "mixer.SetCallbackInterface null 0");
    const size_t removal = IndexOf(trace, "graph.RemoveFilter Video_Window");
    EXPECT_LT(restore, stop);
    EXPECT_LT(stop, mixer_pins);
    EXPECT_LT(mixer_pins, renderer_pin);
    EXPECT_LT(renderer_pin, unhook);
    EXPECT_LT(unhook, removal);
    EXPECT_LT(removal, trace.size());
    EXPECT_THAT(trace, Contains("pin Overlay Mixer.Output Disconnect"));

    EXPECT_EQ(window->OverlayMixer(), nullptr);
    EXPECT_EQ(window->ActiveRenderer(), nullptr);
    EXPECT_EQ(window->VideoWindow(), nullptr);
    EXPECT_FALSE(window->Caps().CanOverlayGraphic());
    EXPECT_EQ(renderer.RefCount(), 1);
    EXPECT_EQ(mixer.RefCount(), 2) << "only the graph still holds the mixer";
}

TEST_F(VideoWindowTest, AWindowDestroyedBeforeItsGraphLeavesItAndHearsNothingMore) {
    RenderClip();
    trace.clear();

    window.reset();

    EXPECT_THAT(trace, Contains("graph.RemoveFilter Video_Window"));
    EXPECT_THAT(trace, Contains("mixer.SetCallbackInterface null 0"));
    EXPECT_EQ(renderer.RefCount(), 1);
    EXPECT_EQ(mixer.RefCount(), 2) << "only the graph still holds the mixer";

    trace.clear();
    EXPECT_TRUE(filter_graph->Play());
    EXPECT_TRUE(filter_graph->Stop());
    filter_graph->SetActive(false);
    EXPECT_EQ(trace, (Trace{"control.Run", "control.Stop", "events.SetNotifyFlags 1"}));
    EXPECT_THAT(trace, Not(Contains("graph.RemoveFilter Video_Window")));
}

}  // namespace
}  // namespace wallcine::video
