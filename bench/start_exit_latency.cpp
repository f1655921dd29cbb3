// How promptly Wallcine starts and ends, seen from outside as a user sees it: starts the real
// Wallcine.exe on a clip, waits for the first moving picture on the screen, chooses "Exit" from
// the tray menu, and prints per run
//   start -> picture    from the process's creation to the first moving picture on the screen
//   exit -> wallpaper   from the "Exit" command to the WallPaper value being back in the registry
//   exit -> gone        from the "Exit" command to the end of the process
// and then the minimum, median and maximum of each over the runs.
//
//   start_exit_latency_bench [--runs N] [--play-seconds S] WALLCINE_EXE CLIP
//
// The first moving picture is read from captures of the screen DC (every process's windows as
// the screen shows them), taken one after the other: it is the first capture whose centre holds
// a picture (not one plain colour, as the bare screen and Wallcine's black layer are) that a
// capture soon after shows changed. Its time is when that capture was complete, so it is late by
// at most the time between two captures, which is printed too. The end is polled every 2 ms.
//
// Exit code: 0 with figures printed (a run that saw no picture or no end prints that instead);
// 1 when a run could not be carried out (Wallcine did not start, a setting could not be set);
// 2 for bad arguments. It never fails on a time. The WallPaper value is set to a bench value
// before each run and the user's own is put back at the end.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "arguments.h"
#include "child_process.h"
#include "cpu_clocks.h"
#include "screen_area.h"
#include "summary.h"

namespace {

namespace win = wallcine::win;
using namespace wallcine::bench;

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kWallpaperValue[] = L"WallPaper";
// A wallpaper name no user has: Wallcine empties the value in desktop mode and must put this back.
constexpr wchar_t kBenchWallpaper[] = L"C:\\windows\\wallcine-bench-wallpaper.bmp";

constexpr double kPictureTimeoutSeconds = 30.0;
constexpr double kExitTimeoutSeconds = 30.0;
constexpr DWORD kExitPollMs = 2;

// --- Arguments --------------------------------------------------------------------------------

struct Options {
    int runs = 5;
    double play_seconds = 1.0;
    std::wstring exe;
    std::wstring clip;
};

void PrintUsage() {
    std::fprintf(stderr,
                 "usage: start_exit_latency_bench [--runs N] [--play-seconds S] WALLCINE_EXE CLIP\n"
                 "  --runs N          start and end Wallcine N times (default 5)\n"
                 "  --play-seconds S  let the picture play S seconds before \"Exit\" (default 1)\n");
}

std::optional<Options> ParseOptions() {
    Options options;
    const auto paths = ReadArguments(CommandLineArguments(),
                                     {{L"--runs", Whole(options.runs, 1, 1000)},
                                      {L"--play-seconds", Number(options.play_seconds, 0, 600)}},
                                     2, 2);
    if (!paths) return std::nullopt;
    options.exe = (*paths)[0];
    options.clip = (*paths)[1];
    return options;
}

// --- The WallPaper value ----------------------------------------------------------------------

std::optional<std::wstring> ReadWallpaper() {
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, kWallpaperValue, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

bool WriteWallpaper(const std::wstring& value) {
    return ::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kWallpaperValue, REG_SZ, value.c_str(),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// Sets the bench's WallPaper value for its life and puts the user's own back (or removes the
// value, when there was none).
class BenchWallpaper {
public:
    BenchWallpaper() : users_(ReadWallpaper()) {}
    ~BenchWallpaper() {
        if (users_)
            WriteWallpaper(*users_);
        else
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kWallpaperValue);
    }
    BenchWallpaper(const BenchWallpaper&) = delete;
    BenchWallpaper& operator=(const BenchWallpaper&) = delete;

    // Before each run: the value Wallcine must give back.
    bool Set() const { return WriteWallpaper(kBenchWallpaper); }
    static bool IsBack() { return ReadWallpaper() == std::wstring(kBenchWallpaper); }

private:
    std::optional<std::wstring> users_;
};

// --- One run ----------------------------------------------------------------------------------

struct Run {
    std::optional<double> start_to_picture;
    std::optional<double> exit_to_wallpaper;
    std::optional<double> exit_to_gone;
    double capture_interval = 0;  // mean time between two screen captures while waiting
};

// Waits until the shell's tray window answers: after a run, Wine's tray outside a virtual
// desktop can still be busy hiding its own window (it waits up to 2 s for a window manager), and
// the next run's tray icon would wait for it. Each run then starts on an idle shell.
void WaitForIdleShell() {
    if (const HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr)) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(tray, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &ignored);
    }
}

Run MeasureOnce(const Options& options, const BenchWallpaper& wallpaper) {
    if (!wallpaper.Set()) throw std::runtime_error("cannot set the WallPaper value");
    WaitForIdleShell();
    ChildProcess wallcine(options.exe, {options.clip});
    if (!wallcine.Started()) throw std::runtime_error("cannot start Wallcine.exe");
    Run run;
    if (const auto picture = WaitForMovingPicture(wallcine.Handle(), kPictureTimeoutSeconds, run.capture_interval))
        run.start_to_picture = *picture - wallcine.StartTime();

    // The picture plays a while, so "Exit" finds Wallcine settled rather than still starting.
    ::Sleep(static_cast<DWORD>(options.play_seconds * 1000));
    const HWND main_window = wallcine.Window(L"TForm1");
    if (!main_window) throw std::runtime_error("Wallcine's main window (TForm1) was not found");
    // As the tray menu's "Exit" arrives: a WM_COMMAND with the item's id.
    const double exit_time = WallSeconds();
    ::PostMessageW(main_window, WM_COMMAND, MAKEWPARAM(wallcine::app::kCmdExit, 0), 0);
    for (;;) {
        if (!run.exit_to_wallpaper && BenchWallpaper::IsBack()) run.exit_to_wallpaper = WallSeconds() - exit_time;
        if (!run.exit_to_gone && !wallcine.Running()) run.exit_to_gone = WallSeconds() - exit_time;
        if ((run.exit_to_wallpaper && run.exit_to_gone) || WallSeconds() - exit_time > kExitTimeoutSeconds) break;
        ::Sleep(kExitPollMs);
    }
    return run;
}

// --- Report -----------------------------------------------------------------------------------

std::string Figure(const std::optional<double>& seconds) {
    if (!seconds) return "     none";
    char text[32];
    std::snprintf(text, sizeof text, "%7.3f s", *seconds);
    return text;
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 4096);
    const std::optional<Options> options = ParseOptions();
    if (!options) {
        PrintUsage();
        return 2;
    }
    std::vector<Run> runs;
    try {
        BenchWallpaper wallpaper;
        std::printf("run  start -> picture  exit -> wallpaper  exit -> gone  (capture every)\n");
        for (int index = 1; index <= options->runs; ++index) {
            const Run run = MeasureOnce(*options, wallpaper);
            std::printf("%3d  %16s  %17s  %12s  (%.3f s)\n", index, Figure(run.start_to_picture).c_str(),
                        Figure(run.exit_to_wallpaper).c_str(), Figure(run.exit_to_gone).c_str(),
                        run.capture_interval);
            runs.push_back(run);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "start_exit_latency_bench: %s\n", error.what());
        return 1;
    }
    std::vector<double> picture, wallpaper, gone;
    for (const Run& run : runs) {
        if (run.start_to_picture) picture.push_back(*run.start_to_picture);
        if (run.exit_to_wallpaper) wallpaper.push_back(*run.exit_to_wallpaper);
        if (run.exit_to_gone) gone.push_back(*run.exit_to_gone);
    }
    std::printf("\n");
    PrintSpread("start -> picture", picture, 1000, "ms", options->runs);
    PrintSpread("exit -> wallpaper", wallpaper, 1000, "ms", options->runs);
    PrintSpread("exit -> gone", gone, 1000, "ms", options->runs);
    return 0;
}
