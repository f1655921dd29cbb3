// What Wallcine costs beside the least a program can do: plays one clip as the desktop's
// wallpaper with the real Wallcine.exe and with the bare graph (bare_graph_bench), one after the
// other, and prints the CPU each takes, seen from outside, over the same length of time.
//
//   wallcine_vs_bare_graph_bench [--seconds N] [--rounds R] [--host-pid LABEL=PID]...
//                                WALLCINE_EXE BARE_GRAPH_EXE CLIP
//
// Each round starts both programs in turn (odd rounds Wallcine first, even rounds the bare graph
// first, so an order effect shows as a difference between rounds), waits for the first moving
// picture on the screen, lets it play two seconds more, measures for N seconds, and ends the
// program as a user would (Wallcine through its tray menu's Exit, the bare graph by closing its
// window). A program's CPU is its Linux process's user + system time from /proc, so the threads
// Wine's codecs run outside Windows count too; Wallcine's watchdog, which only waits, is not
// counted. Each --host-pid adds a column with that process's CPU (the X server and wineserver do
// part of the drawing under Wine).
//
// Printed per round: start -> first frame, CPU % of one core per program and its hosts, and the
// ratio Wallcine / bare graph; then min, median and max over the rounds. Exit code 0 with
// figures; 1 when a program did not start, show a picture or end; 2 for bad arguments. It never
// fails on a figure.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/control_ids.h"
#include "arguments.h"
#include "child_process.h"
#include "cpu_clocks.h"
#include "process_figures.h"
#include "screen_area.h"
#include "summary.h"
#include "win/code_page.h"

namespace {

using namespace wallcine::bench;
namespace win = wallcine::win;

constexpr double kPicturePatienceSeconds = 60.0;
// After the first picture, before the figure: the start's own work is not counted.
constexpr DWORD kSettleMs = 2000;
// Between two programs: the previous one's end (and Wine's) is over before the next starts.
constexpr DWORD kPauseBetweenMs = 1500;
constexpr DWORD kEndPatienceMs = 30000;
constexpr double kFrameCountSeconds = 3;

struct Options {
    double seconds = 10;
    int rounds = 3;
    std::vector<HostProcess> hosts;
    std::wstring wallcine;
    std::wstring bare_graph;
    std::wstring clip;
};

std::optional<Options> ParseOptions() {
    Options options;
    const auto paths = ReadArguments(CommandLineArguments(),
                                     {{L"--seconds", Number(options.seconds, 1, 3600)},
                                      {L"--rounds", Whole(options.rounds, 1, 100)},
                                      {L"--host-pid", Host(options.hosts)}},
                                     3, 3);
    if (!paths) return std::nullopt;
    options.wallcine = (*paths)[0];
    options.bare_graph = (*paths)[1];
    options.clip = (*paths)[2];
    return options;
}

// --- The two programs -------------------------------------------------------------------------

struct Contender {
    const char* name;
    std::wstring exe;
    // How a user ends it: the window it is sent to, and the message.
    const wchar_t* window_class;
    UINT close_message;
    WPARAM close_wparam;
};

std::string FileName(const std::wstring& path) {
    const std::string ansi = win::WideToAnsi(path);
    return ansi.substr(ansi.find_last_of("\\/") + 1);
}

// The Linux process of the program just started (not Wallcine's watchdog, which runs the same exe).
std::optional<unsigned long> LinuxPidOf(const std::wstring& exe) {
    std::optional<unsigned long> pid;
    for (const auto& process : FindLinuxProcesses(FileName(exe))) {
        if (process.command_line.find("--watchdog") != std::string::npos) continue;
        if (pid) return std::nullopt;  // not exactly one
        pid = process.pid;
    }
    return pid;
}

struct Measured {
    double start_to_frame = 0;
    double frames_per_second = 0;  // changes of the picture seen on the screen
    double cpu_percent = 0;
    // The program's CPU by thread name, % of one core, largest first.
    std::vector<std::pair<std::string, double>> by_thread;
    std::vector<std::optional<double>> host_percent;
    double TotalPercent() const {
        double total = cpu_percent;
        for (const auto& host : host_percent) total += host.value_or(0);
        return total;
    }
};

// Different pictures a second in the middle of the screen, over `seconds`.
double FramesShownPerSecond(double seconds) {
    ScreenArea screen(ScreenArea::Middle(0.5));
    std::vector<DWORD> previous = screen.Capture();
    int changes = 0;
    const double start = WallSeconds();
    double now = start;
    while ((now = WallSeconds()) - start < seconds) {
        std::vector<DWORD> current = screen.Capture();
        if (Differ(previous, current)) ++changes;
        previous = std::move(current);
    }
    return changes / (now - start);
}

Measured MeasureOne(const Options& options, const Contender& contender) {
    ChildProcess child(contender.exe, {options.clip});
    if (!child.Started()) throw std::runtime_error(std::string("cannot start ") + contender.name);
    double capture_interval = 0;
    const auto first_frame = WaitForMovingPicture(child.Handle(), kPicturePatienceSeconds, capture_interval);
    if (!first_frame) throw std::runtime_error(std::string(contender.name) + " showed no moving picture");
    Measured measured;
    measured.start_to_frame = *first_frame - child.StartTime();
    ::Sleep(kSettleMs);
    const auto pid = LinuxPidOf(contender.exe);
    if (!pid) throw std::runtime_error(std::string("cannot find the Linux process of ") + contender.name);

    struct Snapshot {
        std::optional<double> cpu;
        std::vector<std::optional<double>> hosts;
        double wall = 0;
    };
    const auto take = [&] {
        Snapshot snapshot{HostProcessCpuSeconds(*pid), {}, 0};
        for (const auto& host : options.hosts) snapshot.hosts.push_back(HostProcessCpuSeconds(host.pid));
        snapshot.wall = WallSeconds();
        return snapshot;
    };
    const auto threads_before = ThreadCpuSecondsByName(*pid);
    const Snapshot start = take();
    ::Sleep(static_cast<DWORD>(options.seconds * 1000));
    const Snapshot end = take();
    const auto threads_after = ThreadCpuSecondsByName(*pid);
    if (!child.Running() || !start.cpu || !end.cpu)
        throw std::runtime_error(std::string(contender.name) + " ended while it was measured");
    const double wall = end.wall - start.wall;
    measured.cpu_percent = 100.0 * (*end.cpu - *start.cpu) / wall;
    measured.by_thread = ThreadCpuPercent(threads_before, threads_after, wall);
    for (size_t i = 0; i < start.hosts.size(); ++i)
        measured.host_percent.push_back(start.hosts[i] && end.hosts[i]
                                            ? std::optional<double>(100.0 * (*end.hosts[i] - *start.hosts[i]) / wall)
                                            : std::nullopt);

    // Then, apart from the CPU figure (reading the screen costs the X server too): how many
    // different pictures a second the screen shows, so a program that drew fewer frames would
    // not pass for a cheaper one.
    measured.frames_per_second = FramesShownPerSecond(kFrameCountSeconds);

    const HWND window = child.Window(contender.window_class);
    if (window) ::PostMessageW(window, contender.close_message, contender.close_wparam, 0);
    if (!window || !child.WaitForEnd(kEndPatienceMs))
        throw std::runtime_error(std::string(contender.name) + " did not end when asked");
    ::Sleep(kPauseBetweenMs);
    return measured;
}

// --- Output -----------------------------------------------------------------------------------

void PrintHeader(const Options& options) {
    std::printf("%-5s  %-12s  %13s  %8s  %7s", "round", "program", "start->frame", "frames/s", "cpu %");
    for (const auto& host : options.hosts) std::printf("  %12s", (win::WideToAnsi(host.label) + " %").c_str());
    std::printf("  %8s\n", "total %");
    std::fflush(stdout);
}

void PrintRow(int round, const char* name, const Measured& measured) {
    std::printf("%-5d  %-12s  %11.3f s  %8.1f  %7.1f", round, name, measured.start_to_frame,
                measured.frames_per_second, measured.cpu_percent);
    for (const auto& host : measured.host_percent) {
        if (host)
            std::printf("  %12.1f", *host);
        else
            std::printf("  %12s", "-");
    }
    std::printf("  %8.1f\n", measured.TotalPercent());
    // Where the program's own share went: its busiest threads by name.
    std::printf("       by thread:");
    for (size_t i = 0; i < measured.by_thread.size() && i < 6; ++i)
        std::printf(" %s %.1f%%", measured.by_thread[i].first.c_str(), measured.by_thread[i].second);
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 4096);
    const std::optional<Options> options = ParseOptions();
    if (!options) {
        std::fprintf(stderr,
                     "usage: wallcine_vs_bare_graph_bench [--seconds N] [--rounds R] [--host-pid LABEL=PID]... "
                     "WALLCINE_EXE BARE_GRAPH_EXE CLIP\n");
        return 2;
    }
    const Contender wallcine{"Wallcine", options->wallcine, L"TForm1", WM_COMMAND,
                             MAKEWPARAM(wallcine::app::kCmdExit, 0)};
    const Contender bare{"bare graph", options->bare_graph, L"WallcineBareGraph", WM_CLOSE, 0};

    std::printf("clip %s on a %dx%d screen, %.0f s per measurement, %d rounds; cpu %%: of one core\n",
                win::WideToAnsi(options->clip).c_str(), ::GetSystemMetrics(SM_CXSCREEN),
                ::GetSystemMetrics(SM_CYSCREEN), options->seconds, options->rounds);
    PrintHeader(*options);
    std::vector<double> wallcine_cpu, bare_cpu, ratio, total_ratio, wallcine_start, bare_start;
    try {
        for (int round = 1; round <= options->rounds; ++round) {
            const bool wallcine_first = round % 2 == 1;
            std::optional<Measured> wallcine_figures, bare_figures;
            for (int turn = 0; turn < 2; ++turn) {
                const bool wallcine_turn = (turn == 0) == wallcine_first;
                const Contender& contender = wallcine_turn ? wallcine : bare;
                const Measured measured = MeasureOne(*options, contender);
                PrintRow(round, contender.name, measured);
                (wallcine_turn ? wallcine_figures : bare_figures) = measured;
            }
            wallcine_cpu.push_back(wallcine_figures->cpu_percent);
            bare_cpu.push_back(bare_figures->cpu_percent);
            wallcine_start.push_back(wallcine_figures->start_to_frame);
            bare_start.push_back(bare_figures->start_to_frame);
            if (bare_figures->cpu_percent > 0) ratio.push_back(wallcine_figures->cpu_percent / bare_figures->cpu_percent);
            if (bare_figures->TotalPercent() > 0)
                total_ratio.push_back(wallcine_figures->TotalPercent() / bare_figures->TotalPercent());
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "wallcine_vs_bare_graph_bench: %s\n", error.what());
        return 1;
    }
    const auto rounds = static_cast<size_t>(options->rounds);
    std::printf("\nover %d rounds:\n", options->rounds);
    PrintSpread("Wallcine cpu", wallcine_cpu, 1, "%", rounds);
    PrintSpread("bare graph cpu", bare_cpu, 1, "%", rounds);
    PrintSpread("Wallcine / bare graph", ratio, 1, "x", rounds);
    PrintSpread("same, with the host processes", total_ratio, 1, "x", rounds);
    PrintSpread("Wallcine start -> first frame", wallcine_start, 1000, "ms", rounds);
    PrintSpread("bare graph start -> first frame", bare_start, 1000, "ms", rounds);
    return 0;
}
