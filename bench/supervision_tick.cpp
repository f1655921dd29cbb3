// The GUI thread's cost of Wallcine's supervision tick, and what Wallcine costs while nobody can
// see the video, measured inside the process: hosts Wallcine's real windows on a clip, as
// Wallcine.exe does (minus the one-instance check, the watchdog and "Start with Windows"), runs
// their message loop itself, and times each dispatch of the tick's message with
// QueryPerformanceCounter.
//
//   supervision_tick_bench [--seconds N] [--rounds R] [--host-pid LABEL=PID]... CLIP
//   supervision_tick_bench --cover      (what it starts: another program's maximized window)
//
// Each round, once the video is on the desktop:
//   1. seen: N seconds of play; every tick's dispatch time, and the process's CPU;
//   2. covered: another program (this exe with --cover) maximizes a window over the monitor; the
//      time from that window being maximized to the graph reading paused, then N seconds of CPU
//      while covered, and the ticks that still ran;
//   3. the cover closes: the time from the close to the graph running again, and how far the
//      position moved while covered (it should not).
// The CPU is the Linux process's user + system time from /proc (as the bench that compares
// Wallcine with a bare graph reads it), so Wine's threads outside Windows count too.
//
// Exit code 0 with figures; 1 when Wallcine's windows did not start or end; 2 for bad arguments.
// No figure fails the run: the waits only bound a run that would otherwise hang.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/application.h"
#include "app/control_ids.h"
#include "app/form1_main.h"
#include "app/playback_state.h"
#include "app/unseen_watch.h"
#include "arguments.h"
#include "child_process.h"
#include "console_desktop_services.h"
#include "cpu_clocks.h"
#include "process_figures.h"
#include "summary.h"
#include "win/code_page.h"
#include "win/idle_handlers.h"
#include "win/message_pump.h"
#include "win/unique_handle.h"

namespace {

using namespace wallcine::bench;
namespace app = wallcine::app;
namespace win = wallcine::win;

constexpr wchar_t kCoverClass[] = L"WallcineBenchCover";
constexpr double kStartPatienceSeconds = 60;
constexpr double kWarmUpSeconds = 2;
constexpr double kPausePatienceSeconds = 10;
// Once the graph reads paused, before the CPU is measured: the pause's own work is not counted.
constexpr double kSettleSeconds = 0.5;
// While waiting for a pause or a resume the loop looks every millisecond; otherwise it sleeps
// until a message comes, as Wallcine's own loop does.
constexpr DWORD kPollMs = 1;

struct Options {
    double seconds = 10;
    int rounds = 3;
    std::vector<HostProcess> hosts;
    std::wstring clip;
};

std::optional<Options> ParseOptions(const std::vector<std::wstring>& arguments) {
    Options options;
    const auto paths = ReadArguments(arguments,
                                     {{L"--seconds", Number(options.seconds, 1, 3600)},
                                      {L"--rounds", Whole(options.rounds, 1, 100)},
                                      {L"--host-pid", Host(options.hosts)}},
                                     1, 1);
    if (!paths) return std::nullopt;
    options.clip = paths->front();
    return options;
}

// --- The covering program ----------------------------------------------------------------------

LRESULT CALLBACK CoverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcW(window, message, wparam, lparam);
}

// An ordinary application window, maximized, until it is closed.
int RunCover() {
    WNDCLASSEXW window_class{sizeof window_class};
    window_class.lpfnWndProc = &CoverProc;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = kCoverClass;
    if (!::RegisterClassExW(&window_class)) return 1;
    const HWND window = ::CreateWindowExW(0, kCoverClass, L"Wallcine bench: a window over the desktop",
                                          WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr,
                                          nullptr, window_class.hInstance, nullptr);
    if (!window) return 1;
    ::ShowWindow(window, SW_MAXIMIZE);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}

// --- Wallcine's windows and their message loop -------------------------------------------------

// Wallcine's message loop, run for a while by the bench: dispatches as the real loop does, and
// times each dispatch of the supervision tick when asked.
class TimedLoop {
public:
    explicit TimedLoop(HWND main_window) : main_window_(main_window) {}

    // Runs until `done` holds (looked at every kPollMs) or `seconds` have passed; true when
    // `done` held. Throws when the application asked to quit.
    bool Run(double seconds, const std::function<bool()>& done = {}, std::vector<double>* tick_seconds = nullptr) {
        const double end = WallSeconds() + seconds;
        for (;;) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    quit_ = true;
                    throw std::runtime_error("Wallcine quit while it was measured");
                }
                if (tick_seconds && message.message == app::kWmSupervisionTick && message.hwnd == main_window_) {
                    const double start = WallSeconds();
                    win::DispatchWithKeyboardNavigation(message);
                    tick_seconds->push_back(WallSeconds() - start);
                } else {
                    win::DispatchWithKeyboardNavigation(message);
                }
            }
            if (done && done()) return true;
            const double left = end - WallSeconds();
            if (left <= 0) return false;
            if (!win::RunIdleHandlers()) continue;
            const DWORD wait = done ? kPollMs : static_cast<DWORD>(left * 1000) + 1;
            ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    }

    // The tray menu's Exit, then the loop until the application quits; false when it did not.
    bool Exit() {
        if (quit_) return true;
        ::PostMessageW(main_window_, WM_COMMAND, MAKEWPARAM(app::kCmdExit, 0), 0);
        try {
            Run(30);
        } catch (const std::runtime_error&) {
            return true;
        }
        return false;
    }

private:
    HWND main_window_;
    bool quit_ = false;
};

// --- Measuring -------------------------------------------------------------------------------

class CpuMeter {
public:
    CpuMeter(unsigned long own_pid, const std::vector<HostProcess>& hosts) : own_pid_(own_pid), hosts_(hosts) {}
    void Start() { start_ = Take(); }
    // CPU % of one core since Start(): this process, then each host.
    std::vector<std::optional<double>> Percent() const {
        const Snapshot end = Take();
        const double wall = end.wall - start_.wall;
        std::vector<std::optional<double>> percent;
        for (size_t i = 0; i < end.cpu.size(); ++i)
            percent.push_back(start_.cpu[i] && end.cpu[i] && wall > 0
                                  ? std::optional<double>(100.0 * (*end.cpu[i] - *start_.cpu[i]) / wall)
                                  : std::nullopt);
        return percent;
    }

private:
    struct Snapshot {
        std::vector<std::optional<double>> cpu;
        double wall = 0;
    };
    Snapshot Take() const {
        Snapshot snapshot;
        snapshot.cpu.push_back(HostProcessCpuSeconds(own_pid_));
        for (const auto& host : hosts_) snapshot.cpu.push_back(HostProcessCpuSeconds(host.pid));
        snapshot.wall = WallSeconds();
        return snapshot;
    }

    unsigned long own_pid_;
    const std::vector<HostProcess>& hosts_;
    Snapshot start_;
};

std::optional<OAFilterState> GraphState(app::TForm1& main) {
    const auto control = main.FilterGraph1.Query<IMediaControl>();
    OAFilterState state = State_Stopped;
    if (!control || FAILED(control->GetState(0, &state))) return std::nullopt;
    return state;
}

double Position() {
    app::ReadPosition();
    return app::CurPosition;
}

struct Round {
    std::vector<double> tick_seconds;
    std::vector<std::optional<double>> cpu_seen;
    std::optional<double> pause_latency;
    std::vector<std::optional<double>> cpu_covered;
    // This process's CPU while covered by thread name, % of one core, largest first.
    std::vector<std::pair<std::string, double>> covered_by_thread;
    size_t ticks_covered = 0;
    std::optional<double> resume_latency;
    double moved_while_covered = 0;
};

std::string Percent(const std::optional<double>& value) {
    char text[16];
    if (value)
        std::snprintf(text, sizeof text, "%.2f", *value);
    else
        std::snprintf(text, sizeof text, "-");
    return text;
}

std::string Milliseconds(const std::optional<double>& seconds) {
    char text[16];
    if (seconds)
        std::snprintf(text, sizeof text, "%.0f", *seconds * 1000);
    else
        std::snprintf(text, sizeof text, "none");
    return text;
}

// Wine runs a paused DirectShow graph's audio output on threads of its own that wake every few
// milliseconds whether or not a sound plays (its DirectSound mixer and its ALSA timer): their
// share of the covered figure is printed apart, by these name prefixes.
bool IsWineAudioThread(const std::string& name) {
    return name.rfind("winealsa", 0) == 0 || name.rfind("wine_dsound", 0) == 0;
}

Round MeasureRound(const Options& options, app::TForm1& main, TimedLoop& loop, CpuMeter& cpu,
                   unsigned long own_pid) {
    Round round;
    cpu.Start();
    loop.Run(options.seconds, {}, &round.tick_seconds);
    round.cpu_seen = cpu.Percent();

    // Another program's maximized window over the monitor.
    wchar_t own_exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, own_exe, MAX_PATH);
    ChildProcess cover(own_exe, {L"--cover"});
    if (!cover.Started()) throw std::runtime_error("cannot start the covering program");
    HWND cover_window = nullptr;
    const bool maximized = loop.Run(kPausePatienceSeconds, [&] {
        cover_window = cover.Window(kCoverClass);
        return cover_window && ::IsWindowVisible(cover_window) && ::IsZoomed(cover_window);
    });
    if (!maximized) throw std::runtime_error("the covering window was not maximized");
    const double covered_at = WallSeconds();
    if (loop.Run(kPausePatienceSeconds, [&] { return main.PausedWhileUnseen() && GraphState(main) == State_Paused; }))
        round.pause_latency = WallSeconds() - covered_at;
    const double position_at_pause = Position();
    loop.Run(kSettleSeconds);
    cpu.Start();
    const auto threads_before = ThreadCpuSecondsByName(own_pid);
    const double covered_from = WallSeconds();
    std::vector<double> covered_ticks;
    loop.Run(options.seconds, {}, &covered_ticks);
    round.cpu_covered = cpu.Percent();
    round.covered_by_thread =
        ThreadCpuPercent(threads_before, ThreadCpuSecondsByName(own_pid), WallSeconds() - covered_from);
    round.ticks_covered = covered_ticks.size();

    // The cover goes: the video must play on from where it stood.
    const double position_before_close = Position();
    ::PostMessageW(cover_window, WM_CLOSE, 0, 0);
    const double closed_at = WallSeconds();
    if (loop.Run(kPausePatienceSeconds,
                 [&] { return !main.PausedWhileUnseen() && GraphState(main) == State_Running; }))
        round.resume_latency = WallSeconds() - closed_at;
    round.moved_while_covered = position_before_close - position_at_pause;
    if (!cover.WaitForEnd(10000)) std::fprintf(stderr, "the covering program did not end when closed\n");
    loop.Run(1.0);
    return round;
}

int RunBench(const Options& options) {
    const auto own = FindLinuxProcesses("supervision_tick_bench.exe");
    if (own.size() != 1) {
        std::fprintf(stderr, "cannot find this process's Linux process (not under Wine?)\n");
        return 1;
    }
    app::OleScope ole;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    ConsoleDesktopServices services;
    win::ScopedDesktopServices use_services(services);

    app::ApplicationForms forms(win::WideToAnsi(options.clip));
    if (forms.Halted() || forms.TerminateRequested()) {
        std::fprintf(stderr, "Wallcine did not start on the clip\n");
        return 1;
    }
    app::TForm1& main = forms.Main();
    const app::UnseenChoices choices = app::UnseenChoices::Read();
    main.PauseWhileUnseen(choices);
    TimedLoop loop(main.Handle());
    CpuMeter cpu(own.front().pid, options.hosts);

    int exit_code = 0;
    std::vector<Round> rounds;
    try {
        if (!loop.Run(kStartPatienceSeconds, [&] { return main.Video_Window->DesktopMode() && app::IsPlaying; }))
            throw std::runtime_error("the video did not reach the desktop");
        loop.Run(kWarmUpSeconds);
        std::printf("clip %s, %.0f s per measurement, %d rounds; pause when covered: %s\n",
                    win::WideToAnsi(options.clip).c_str(), options.seconds, options.rounds,
                    choices.pause_when_covered ? "on" : "off");
        std::printf("%-5s  %6s  %8s  %8s  %8s  %9s  %10s  %10s  %8s  %9s  %9s\n", "round", "ticks", "tick p50",
                    "tick p99", "tick max", "cpu seen", "pause ms", "cpu cover", "ticks", "resume ms", "moved s");
        for (int index = 1; index <= options.rounds; ++index) {
            const Round round = MeasureRound(options, main, loop, cpu, own.front().pid);
            std::printf("%-5d  %6zu  %6.0f us  %6.0f us  %6.0f us  %8s%%  %10s  %9s%%  %8zu  %9s  %9.3f\n", index,
                        round.tick_seconds.size(), Percentile(round.tick_seconds, 0.50).value_or(0) * 1e6,
                        Percentile(round.tick_seconds, 0.99).value_or(0) * 1e6,
                        Percentile(round.tick_seconds, 1.0).value_or(0) * 1e6, Percent(round.cpu_seen[0]).c_str(),
                        Milliseconds(round.pause_latency).c_str(), Percent(round.cpu_covered[0]).c_str(),
                        round.ticks_covered, Milliseconds(round.resume_latency).c_str(), round.moved_while_covered);
            for (size_t host = 0; host < options.hosts.size(); ++host)
                std::printf("       %s: cpu seen %s%%, covered %s%%\n", win::WideToAnsi(options.hosts[host].label).c_str(),
                            Percent(round.cpu_seen[host + 1]).c_str(), Percent(round.cpu_covered[host + 1]).c_str());
            std::printf("       covered, by thread:");
            for (const auto& [name, percent] : round.covered_by_thread) std::printf(" %s %.2f%%", name.c_str(), percent);
            std::printf("\n");
            std::fflush(stdout);
            rounds.push_back(round);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "supervision_tick_bench: %s\n", error.what());
        exit_code = 1;
    }
    if (!loop.Exit()) {
        std::fprintf(stderr, "Wallcine's windows did not end after Exit\n");
        exit_code = 1;
    }
    if (services.ErrorsReported() > 0) exit_code = 1;
    if (rounds.empty()) return exit_code;

    // Over all rounds.
    std::vector<double> ticks, seen, covered, pause, resume, covered_audio, covered_rest;
    for (const Round& round : rounds) {
        ticks.insert(ticks.end(), round.tick_seconds.begin(), round.tick_seconds.end());
        if (round.cpu_seen[0]) seen.push_back(*round.cpu_seen[0]);
        if (round.cpu_covered[0]) covered.push_back(*round.cpu_covered[0]);
        if (round.pause_latency) pause.push_back(*round.pause_latency);
        if (round.resume_latency) resume.push_back(*round.resume_latency);
        double audio = 0, rest = 0;
        for (const auto& [name, percent] : round.covered_by_thread) (IsWineAudioThread(name) ? audio : rest) += percent;
        covered_audio.push_back(audio);
        covered_rest.push_back(rest);
    }
    std::vector<double> p50, p99;
    for (const Round& round : rounds) {
        if (auto value = Percentile(round.tick_seconds, 0.50)) p50.push_back(*value);
        if (auto value = Percentile(round.tick_seconds, 0.99)) p99.push_back(*value);
    }
    const size_t count = rounds.size();
    std::printf("\nover %zu rounds (%zu ticks; all of them together: p50 %.0f us, p99 %.0f us, max %.0f us):\n",
                count, ticks.size(), Percentile(ticks, 0.50).value_or(0) * 1e6,
                Percentile(ticks, 0.99).value_or(0) * 1e6, Percentile(ticks, 1.0).value_or(0) * 1e6);
    PrintSpread("tick p50", p50, 1e6, "us", count);
    PrintSpread("tick p99", p99, 1e6, "us", count);
    PrintSpread("cpu while seen", seen, 1, "%", count);
    PrintSpread("covered -> graph paused", pause, 1000, "ms", count);
    PrintSpread("cpu while covered", covered, 1, "%", count);
    PrintSpread("  of it Wine's audio threads", covered_audio, 1, "%", count);
    PrintSpread("  of it all other threads", covered_rest, 1, "%", count);
    PrintSpread("uncovered -> graph running", resume, 1000, "ms", count);
    return exit_code;
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 4096);
    const std::vector<std::wstring> arguments = CommandLineArguments();
    if (arguments == std::vector<std::wstring>{L"--cover"}) return RunCover();
    const std::optional<Options> options = ParseOptions(arguments);
    if (!options) {
        std::fprintf(stderr, "usage: supervision_tick_bench [--seconds N] [--rounds R] [--host-pid LABEL=PID]... CLIP\n");
        return 2;
    }
    try {
        return RunBench(*options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "supervision_tick_bench: %s\n", error.what());
        return 1;
    }
}
