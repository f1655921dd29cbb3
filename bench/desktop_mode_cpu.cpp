// What desktop mode costs in CPU: plays one clip through the real graph and video window, first
// in a plain window, then in desktop mode, and prints the CPU time the process spent in each
// (user + kernel, as a share of one core) over the same stretch of wall time.
//
//   desktop_mode_cpu_bench [--seconds N] [--rounds 1|2] [--host-pid LABEL=PID]... CLIP
//
// Round 2 measures desktop mode first and the plain window after it, so an order effect (a
// warming cache, a graph that slows down) shows as a difference between the rounds. Under Wine
// much of the drawing is done by other Linux processes (the X server, wineserver); each
// --host-pid adds a column with that process's CPU over the same stretch, read from /proc
// through Wine's Z: drive. The clip must last the whole run: it is never seeked while playing
// (under Wine 8 a running graph with sound that was seeked never returns from its next Stop).
//
// Exit code: 0 with figures printed; 1 when the run failed or was cut short; 2 for bad arguments.
// Desktop mode is always left before the program ends, and the wallpaper value and the desktop
// colour are compared with what they were at the start.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "arguments.h"
#include "console_desktop_services.h"
#include "cpu_clocks.h"
#include "media/filter_graph.h"
#include "video/video_window.h"
#include "win/code_page.h"
#include "win/com_ptr.h"
#include "win/desktop_services.h"
#include "win/dshow.h"
#include "win/unique_handle.h"

namespace {

using wallcine::media::TFilterGraph;
using wallcine::video::TDSVideoWindowEx2;
namespace win = wallcine::win;
using namespace wallcine::bench;

constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;
// Playback runs this long before the first figure, so start-up work is not counted.
constexpr double kWarmUpSeconds = 2.0;
// After each change of mode, before its figure: the move and the first repaints are not counted.
constexpr double kSettleSeconds = 1.0;

// --- Arguments --------------------------------------------------------------------------------

struct Options {
    double seconds = 10.0;
    int rounds = 2;
    std::vector<HostProcess> host_processes;
    std::wstring clip;
};

void PrintUsage() {
    std::fprintf(stderr,
                 "usage: desktop_mode_cpu_bench [--seconds N] [--rounds 1|2] [--host-pid LABEL=PID]... CLIP\n"
                 "  --seconds N     measure each mode for N seconds (default 10)\n"
                 "  --rounds R      1: window, desktop; 2 (default): then desktop, window again\n"
                 "  --host-pid L=P  under Wine: also report the CPU of Linux process P, labelled L\n");
}

std::optional<Options> ParseOptions() {
    Options options;
    const auto paths = ReadArguments(CommandLineArguments(),
                                     {{L"--seconds", Number(options.seconds, 1, 3600)},
                                      {L"--rounds", Whole(options.rounds, 1, 2)},
                                      {L"--host-pid", Host(options.host_processes)}},
                                     1, 1);
    if (!paths) return std::nullopt;
    options.clip = paths->front();
    return options;
}

// --- Stopping early ---------------------------------------------------------------------------

// Set by Ctrl+C, closing the console or closing the bench window: the run stops measuring and
// still leaves desktop mode on its way out.
std::atomic<bool> g_stop_requested{false};
DWORD g_main_thread = 0;
HANDLE g_cleanup_done = nullptr;

BOOL WINAPI OnConsoleControl(DWORD) {
    g_stop_requested = true;
    ::PostThreadMessageA(g_main_thread, WM_QUIT, 0, 0);
    // The system ends the process when this handler returns from a close or log-off event:
    // wait (bounded) until the main thread has put the desktop settings back.
    ::WaitForSingleObject(g_cleanup_done, 10000);
    return TRUE;
}

// --- The user's desktop settings, which desktop mode changes and must put back -----------------

struct DesktopSettings {
    LSTATUS wallpaper_status = ERROR_FILE_NOT_FOUND;
    std::string wallpaper;
    COLORREF background = 0;

    bool operator==(const DesktopSettings&) const = default;
};

DesktopSettings ReadDesktopSettings() {
    DesktopSettings settings;
    win::RegistryValue value;
    settings.wallpaper_status =
        win::DesktopServices().QueryRegistryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "WallPaper", value);
    if (settings.wallpaper_status == ERROR_SUCCESS) settings.wallpaper = value.AsString();
    settings.background = win::DesktopServices().GetSysColor(COLOR_BACKGROUND);
    return settings;
}

// Leaves desktop mode on every way out of the run, a failed measurement included.
class DesktopModeGuard {
public:
    explicit DesktopModeGuard(TDSVideoWindowEx2& video) noexcept : video_(video) {}
    ~DesktopModeGuard() { Leave(); }
    DesktopModeGuard(const DesktopModeGuard&) = delete;
    DesktopModeGuard& operator=(const DesktopModeGuard&) = delete;

    bool Leave() noexcept {
        try {
            if (video_.DesktopMode()) video_.LeaveDesktopMode();
            return true;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "leaving desktop mode failed: %s\n", error.what());
        } catch (...) {
            std::fprintf(stderr, "leaving desktop mode failed\n");
        }
        return false;
    }

private:
    TDSVideoWindowEx2& video_;
};

// --- The plain window the video plays in ------------------------------------------------------

// A visible top-level window whose client area the video window fills, as the application's
// main window does (only it is hidden there).
class HostWindow {
public:
    HostWindow() {
        WNDCLASSEXA window_class{sizeof window_class};
        window_class.lpfnWndProc = &HostWindow::WindowProc;
        window_class.hInstance = ::GetModuleHandleA(nullptr);
        window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        window_class.lpszClassName = "WallcineDesktopModeBench";
        ::RegisterClassExA(&window_class);
        RECT bounds{0, 0, kWindowWidth, kWindowHeight};
        ::AdjustWindowRect(&bounds, WS_OVERLAPPEDWINDOW, FALSE);
        window_.reset(::CreateWindowExA(0, window_class.lpszClassName, "Wallcine desktop mode CPU bench",
                                        WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, bounds.right - bounds.left,
                                        bounds.bottom - bounds.top, nullptr, nullptr, window_class.hInstance, nullptr));
        if (!window_) throw std::runtime_error("cannot create the bench window");
    }
    HWND Handle() const noexcept { return window_.get(); }
    void Show() {
        ::ShowWindow(Handle(), SW_SHOWNORMAL);
        ::UpdateWindow(Handle());
    }
    // While one lives, the video window follows the client area's size (outside desktop mode).
    class Following {
    public:
        Following(HostWindow& host, TDSVideoWindowEx2& video) noexcept : host_(host) {
            ::SetWindowLongPtrA(host_.Handle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&video));
        }
        ~Following() { ::SetWindowLongPtrA(host_.Handle(), GWLP_USERDATA, 0); }
        Following(const Following&) = delete;
        Following& operator=(const Following&) = delete;

    private:
        HostWindow& host_;
    };

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        switch (message) {
        case WM_SIZE:
            if (auto* video = reinterpret_cast<TDSVideoWindowEx2*>(::GetWindowLongPtrA(window, GWLP_USERDATA))) {
                try {
                    if (!video->DesktopMode()) video->AlignToParentClient();
                } catch (const std::exception& error) {
                    std::fprintf(stderr, "aligning the video window failed: %s\n", error.what());
                } catch (...) {
                    std::fprintf(stderr, "aligning the video window failed\n");
                }
            }
            return 0;
        case WM_CLOSE:
            // Closing the window ends the run; the window itself goes with the program.
            g_stop_requested = true;
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcA(window, message, wparam, lparam);
        }
    }

    win::unique_hwnd window_;
};

// --- Output ---------------------------------------------------------------------------------

void PrintRatios(const std::vector<Phase>& phases) {
    for (int round = 1; round <= 2; ++round) {
        const Phase* window = nullptr;
        const Phase* desktop = nullptr;
        for (const auto& phase : phases) {
            if (phase.round != round) continue;
            (phase.mode == "window" ? window : desktop) = &phase;
        }
        if (!window || !desktop) continue;
        if (window->CpuPercent() > 0)
            std::printf("round %d: desktop / window CPU = %.2f\n", round, desktop->CpuPercent() / window->CpuPercent());
        else
            std::printf("round %d: desktop / window CPU = n/a (no CPU measured in the window)\n", round);
    }
}

// --- The run ---------------------------------------------------------------------------------

// Measures each mode in turn while the clip plays: round 1 the window, then desktop mode;
// round 2 the opposite order. False when the run failed or was stopped.
bool MeasureRounds(const Options& options, TDSVideoWindowEx2& video,
                   const std::function<PlaybackReading()>& read_playback, const bool& clip_ended,
                   std::vector<Phase>& phases) {
    constexpr bool kDesktopSteps[] = {false, true, true, false};
    if (!PumpFor(kWarmUpSeconds)) return false;
    for (int i = 0; i < options.rounds * 2; ++i) {
        const bool desktop = kDesktopSteps[i];
        if (desktop != video.DesktopMode()) {
            if (desktop)
                video.EnterDesktopMode();
            else
                video.LeaveDesktopMode();
            if (!PumpFor(kSettleSeconds)) return false;
            if (desktop != video.DesktopMode()) {
                std::fprintf(stderr, "the video window did not %s desktop mode\n", desktop ? "enter" : "leave");
                return false;
            }
        }
        auto phase = Measure(options.seconds, options.host_processes, read_playback);
        if (!phase) return false;
        phase->round = i / 2 + 1;
        phase->mode = desktop ? "desktop" : "window";
        PrintPhase(*phase);
        phases.push_back(*phase);
        if (clip_ended) {
            std::fprintf(stderr, "the clip ended during the measurement; its figures do not count\n");
            return false;
        }
    }
    return true;
}

// Plays the clip in the host window and measures it; returns the process exit code.
int RunBench(const Options& options, HostWindow& host) {
    TFilterGraph graph;
    TDSVideoWindowEx2 video(host.Handle(), "Video_Window");
    const HostWindow::Following following(host, video);
    video.AlignToParentClient();
    video.SetFilterGraph(&graph);
    bool clip_ended = false;
    graph.OnGraphComplete = [&clip_ended](TFilterGraph&, HRESULT, IBaseFilter*) { clip_ended = true; };
    graph.SetActive(true);
    const HRESULT rendered = graph.RenderFile(options.clip);
    if (FAILED(rendered)) {
        std::fprintf(stderr, "cannot render %s (0x%08lX)\n", win::WideToAnsi(options.clip).c_str(),
                     static_cast<unsigned long>(rendered));
        return 1;
    }
    auto position = graph.Query<IMediaPosition>();
    if (!position) {
        std::fprintf(stderr, "the graph has no IMediaPosition\n");
        return 1;
    }
    // The clip must outlast the run: it is never seeked while playing, and its end would stop
    // the work being measured.
    const double needed = kWarmUpSeconds + options.rounds * 2 * (kSettleSeconds + options.seconds) + 2.0;
    REFTIME duration = 0;
    if (FAILED(position->get_Duration(&duration)) || duration < needed) {
        std::fprintf(stderr, "the clip lasts %.1f s; this run needs at least %.0f s of it\n", duration, needed);
        return 1;
    }
    win::com_ptr<IQualProp> quality;
    if (IBaseFilter* renderer = video.RendererFilter())
        renderer->QueryInterface(IID_IQualProp, quality.put_void());

    MONITORINFO monitor{sizeof monitor};
    ::GetMonitorInfoA(::MonitorFromWindow(host.Handle(), MONITOR_DEFAULTTONEAREST), &monitor);
    std::printf("clip %s (%.0f s)\nwindow client %dx%d, monitor %ldx%ld, %.0f s per measurement\n",
                win::WideToAnsi(options.clip).c_str(), duration, kWindowWidth, kWindowHeight,
                monitor.rcMonitor.right - monitor.rcMonitor.left, monitor.rcMonitor.bottom - monitor.rcMonitor.top,
                options.seconds);
    std::printf("cpu %%: of one core; played: seconds of the clip played; frames: drawn, - where the renderer "
                "does not count them\n\n");
    PrintHeader("mode", options.host_processes);

    std::vector<Phase> phases;
    bool ok = false;
    {
        // Desktop mode is left, and the graph stopped, whatever happens while measuring.
        DesktopModeGuard desktop_mode(video);
        try {
            const auto read_playback = [&position, &quality] {
                PlaybackReading reading;
                if (REFTIME now = 0; SUCCEEDED(position->get_CurrentPosition(&now))) reading.position = now;
                if (int drawn = 0; quality && SUCCEEDED(quality->get_FramesDrawn(&drawn))) reading.frames_drawn = drawn;
                return reading;
            };
            if (graph.Play())
                ok = MeasureRounds(options, video, read_playback, clip_ended, phases);
            else
                std::fprintf(stderr, "the graph did not start playing\n");
        } catch (const std::exception& error) {
            std::fprintf(stderr, "measuring failed: %s\n", error.what());
        } catch (...) {
            std::fprintf(stderr, "measuring failed\n");
        }
        if (!desktop_mode.Leave()) ok = false;
    }
    graph.Stop();
    if (g_stop_requested) std::fprintf(stderr, "stopped before the end of the run\n");
    if (!ok) return 1;
    PrintRatios(phases);
    return 0;
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 4096);
    const std::optional<Options> options = ParseOptions();
    if (!options) {
        PrintUsage();
        return 2;
    }

    g_main_thread = ::GetCurrentThreadId();
    g_cleanup_done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ::SetConsoleCtrlHandler(&OnConsoleControl, TRUE);

    int exit_code = 1;
    {
        win::com_init_scope com;
        if (FAILED(com.result())) {
            std::fprintf(stderr, "COM did not initialise (0x%08lX)\n", static_cast<unsigned long>(com.result()));
            return 1;
        }
        ConsoleDesktopServices services;
        win::ScopedDesktopServices use_services(services);
        const DesktopSettings before = ReadDesktopSettings();
        try {
            HostWindow host;
            host.Show();
            exit_code = RunBench(*options, host);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "bench failed: %s\n", error.what());
            exit_code = 1;
        } catch (...) {
            std::fprintf(stderr, "bench failed\n");
            exit_code = 1;
        }
        if (services.ErrorsReported() > 0) exit_code = 1;
        if (!(ReadDesktopSettings() == before)) {
            std::fprintf(stderr, "the wallpaper value or the desktop colour differs from the start of the run\n");
            exit_code = 1;
        }
    }
    ::SetEvent(g_cleanup_done);
    return exit_code;
}
