// The bare DirectShow graph Wallcine's cost is measured against: the graph RenderFile builds for
// the clip around the system's Video Renderer (the renderer Wallcine uses), on the clock Wallcine
// gives its graphs, its video window made the child of a borderless window that covers the primary
// monitor at the bottom of the z-order with the picture letterboxed in it (what desktop mode
// shows where Wallcine draws the wallpaper layer itself), played in a loop. No supervision, no
// playing control, no tray icon: the least a program can do to show the clip as a wallpaper.
//
//   bare_graph_bench CLIP
//
// It plays until its window (class "WallcineBareGraph") is sent WM_CLOSE. Exit code 0 after a
// clean end; 1 when the clip could not be played; 2 for bad arguments.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "arguments.h"
#include "media/reference_clock.h"
#include "win/com_ptr.h"
#include "win/dshow.h"
#include "win/unique_handle.h"

namespace {

namespace win = wallcine::win;

constexpr wchar_t kWindowClass[] = L"WallcineBareGraph";
constexpr UINT kWmGraphEvent = WM_APP + 1;
// The message loop wakes this often even when no message comes. Under Wine (checked on Wine 8,
// virtual desktop) what the renderer draws reaches the screen only when a thread of the process
// waits for messages: with a loop that sleeps until the next message, 10 of this clip's 30
// frames a second are shown. Wallcine's 20 ms supervision tick wakes its loop as often, so
// both programs show every frame and their CPU compares like for like.
constexpr DWORD kWakeMs = 20;

IMediaEventEx* g_events = nullptr;
IMediaPosition* g_position = nullptr;

// At the clip's end it plays again from the start, as a single-row playlist does.
void DrainGraphEvents() {
    long code = 0;
    LONG_PTR first = 0, second = 0;
    while (g_events && SUCCEEDED(g_events->GetEvent(&code, &first, &second, 0))) {
        g_events->FreeEventParams(code, first, second);
        if (code == EC_COMPLETE && g_position) g_position->put_CurrentPosition(0);
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case kWmGraphEvent:
        DrainGraphEvents();
        return 0;
    case WM_CLOSE:
        // The graph is stopped and its video window given back before this window goes.
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wparam, lparam);
    }
}

// The picture fitted into `area`, keeping its shape, centred.
RECT Letterbox(const RECT& area, long width, long height) {
    const long area_width = area.right - area.left;
    const long area_height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return {0, 0, area_width, area_height};
    long fitted_width = area_width;
    long fitted_height = area_width * height / width;
    if (fitted_height > area_height) {
        fitted_height = area_height;
        fitted_width = area_height * width / height;
    }
    const long left = (area_width - fitted_width) / 2;
    const long top = (area_height - fitted_height) / 2;
    return {left, top, left + fitted_width, top + fitted_height};
}

int Play(const std::wstring& clip) {
    WNDCLASSEXW window_class{sizeof window_class};
    window_class.lpfnWndProc = &WindowProc;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    window_class.lpszClassName = kWindowClass;
    if (!::RegisterClassExW(&window_class)) return 1;
    MONITORINFO monitor{sizeof monitor};
    ::GetMonitorInfoW(::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcMonitor;
    win::unique_hwnd window(::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kWindowClass, L"", WS_POPUP |
                                              WS_CLIPCHILDREN, area.left, area.top, area.right - area.left,
                                              area.bottom - area.top, nullptr, nullptr, window_class.hInstance,
                                              nullptr));
    if (!window) return 1;

    win::com_ptr<IGraphBuilder> graph;
    if (FAILED(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                  graph.put_void())))
        return 1;
    // The same renderer Wallcine puts in its graphs (the system's plain Video Renderer), added
    // before the render so the graph connects the picture to it rather than to a mixer.
    win::com_ptr<IBaseFilter> renderer;
    if (FAILED(::CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  renderer.put_void())) ||
        FAILED(graph->AddFilter(renderer.get(), L"Video Renderer")))
        return 1;
    if (const HRESULT rendered = graph->RenderFile(clip.c_str(), nullptr); FAILED(rendered)) {
        std::fprintf(stderr, "bare_graph_bench: cannot render the clip (0x%08lX)\n",
                     static_cast<unsigned long>(rendered));
        return 1;
    }
    // The clock Wallcine gives its graphs under Wine (on the performance counter): on Wine 8 the
    // graph's own choices, the audio renderer's clock and the system clock, let the Video
    // Renderer show one frame in three of this clip, which would make a cheaper but lesser
    // baseline (the report prints the frames each program shows).
    auto media_filter = graph.try_query<IMediaFilter>();
    if (!media_filter || FAILED(media_filter->SetSyncSource(wallcine::media::TReferenceClock::Create().get())))
        return 1;
    auto control = graph.try_query<IMediaControl>();
    auto events = graph.try_query<IMediaEventEx>();
    auto position = graph.try_query<IMediaPosition>();
    auto video_window = graph.try_query<IVideoWindow>();
    auto basic_video = graph.try_query<IBasicVideo>();
    if (!control || !events || !position || !video_window || !basic_video) return 1;
    g_events = events.get();
    g_position = position.get();
    events->SetNotifyWindow(reinterpret_cast<OAHWND>(window.get()), kWmGraphEvent, 0);

    long width = 0, height = 0;
    basic_video->GetVideoSize(&width, &height);
    const RECT picture = Letterbox(area, width, height);
    video_window->put_Owner(reinterpret_cast<OAHWND>(window.get()));
    video_window->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    video_window->SetWindowPosition(picture.left, picture.top, picture.right - picture.left,
                                    picture.bottom - picture.top);
    video_window->put_MessageDrain(reinterpret_cast<OAHWND>(window.get()));
    ::SetWindowPos(window.get(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    video_window->put_Visible(OATRUE);
    if (FAILED(control->Run())) return 1;

    for (bool quit = false; !quit;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) quit = true;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (!quit) ::MsgWaitForMultipleObjectsEx(0, nullptr, kWakeMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    control->Stop();
    events->SetNotifyWindow(0, 0, 0);
    g_events = nullptr;
    g_position = nullptr;
    video_window->put_Visible(OAFALSE);
    video_window->put_Owner(0);
    return 0;
}

}  // namespace

int main() {
    const auto paths = wallcine::bench::ReadArguments(wallcine::bench::CommandLineArguments(), {}, 1, 1);
    if (!paths) {
        std::fprintf(stderr, "usage: bare_graph_bench CLIP\n");
        return 2;
    }
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const int code = Play(paths->front());
    ::CoUninitialize();
    return code;
}
