// How long the desktop waits between two items of a playlist, seen on the screen: the real
// Wallcine.exe plays a playlist of clips that each show one plain colour and, for their last
// half second, a marker colour of their own; the screen's centre is read as fast as it can be.
// The gap is the time from the last capture that showed the outgoing item to the first that
// shows the next one: what the desktop shows in between is neither (Wallcine's black layer).
// Also printed, per change: how long the outgoing item's marker was on the screen (a whole
// marker lasts --marker-seconds; less means the item's last frames never showed), and once: the
// time from starting Wallcine.exe to the first item's first frame on the desktop.
//
//   item_gap_bench [--seconds N] [--marker-seconds M] WALLCINE_EXE PLAYLIST
//
// The playlist's rows are the clips scripts/bench makes (red then lime, blue then yellow, ...):
// each row's main and marker colours are given by the order of kClipColours. Exit code 0 with
// figures; 1 when Wallcine did not start, show the first item or end; 2 for bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
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

using namespace wallcine::bench;

// Each clip: its main colour, then its marker colour (0x00RRGGBB), as scripts/bench makes them.
struct ClipColours {
    DWORD main;
    DWORD marker;
};
constexpr ClipColours kClipColours[] = {{0xFF0000, 0x00FF00}, {0x0000FF, 0xFFFF00}};
// How far a compressed plain colour may stray from its value, per channel.
constexpr int kColourTolerance = 48;
constexpr double kStartPatienceSeconds = 60;
constexpr DWORD kEndPatienceMs = 30000;

struct Options {
    double seconds = 20;
    double marker_seconds = 0.5;
    std::wstring exe;
    std::wstring playlist;
};

std::optional<Options> ParseOptions() {
    Options options;
    const auto paths = ReadArguments(CommandLineArguments(),
                                     {{L"--seconds", Number(options.seconds, 1, 3600)},
                                      {L"--marker-seconds", Number(options.marker_seconds, 0.001, 60)}},
                                     2, 2);
    if (!paths) return std::nullopt;
    options.exe = (*paths)[0];
    options.playlist = (*paths)[1];
    return options;
}

bool Near(DWORD colour, DWORD expected) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int difference = static_cast<int>((colour >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(difference) > kColourTolerance) return false;
    }
    return true;
}

// What the centre of the screen shows: which clip, and whether its marker; nothing for anything
// else (the bare desktop, black, a frame half drawn).
struct Shown {
    int clip = -1;
    bool marker = false;
    bool operator==(const Shown&) const = default;
};

Shown Classify(DWORD colour) {
    for (int clip = 0; clip < static_cast<int>(std::size(kClipColours)); ++clip) {
        if (Near(colour, kClipColours[clip].main)) return {clip, false};
        if (Near(colour, kClipColours[clip].marker)) return {clip, true};
    }
    return {};
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 4096);
    const std::optional<Options> options = ParseOptions();
    if (!options) {
        std::fprintf(stderr, "usage: item_gap_bench [--seconds N] [--marker-seconds M] WALLCINE_EXE PLAYLIST\n");
        return 2;
    }
    try {
        // A small square: read often, and inside the picture however it is fitted.
        ScreenArea centre(ScreenArea::Middle(0.05));
        ChildProcess wallcine(options->exe, {options->playlist});
        if (!wallcine.Started()) throw std::runtime_error("cannot start Wallcine.exe");

        std::optional<double> first_frame;
        // The outgoing item's marker (-1: none seen since the last change), when it appeared.
        int marker_clip = -1;
        double marker_since = 0;
        double last_marker_seen = 0;  // the last capture that showed it
        std::vector<double> gaps, markers_shown;
        Shown previous;
        long captures = 0;
        double measuring_from = 0;
        for (;;) {
            const Shown shown = Classify(MeanColour(centre.Capture()));
            const double now = WallSeconds();
            ++captures;
            if (marker_clip >= 0 && shown.clip == marker_clip && shown.marker) last_marker_seen = now;
            if (!(shown == previous) && shown.clip >= 0) {
                if (!first_frame) {
                    if (!shown.marker) {
                        first_frame = now;
                        measuring_from = now;
                        captures = 0;
                        std::printf("start -> first frame of the first item: %.0f ms\n",
                                    (now - wallcine.StartTime()) * 1000);
                    }
                } else if (shown.marker) {
                    marker_since = now;
                    last_marker_seen = now;
                    marker_clip = shown.clip;
                } else if (marker_clip >= 0 && shown.clip != marker_clip) {
                    gaps.push_back(now - last_marker_seen);
                    markers_shown.push_back(last_marker_seen - marker_since);
                    std::printf("change %2zu: item %d -> item %d, gap %5.0f ms, its last %.0f ms shown for %4.0f ms\n",
                                gaps.size(), marker_clip + 1, shown.clip + 1, gaps.back() * 1000,
                                options->marker_seconds * 1000, markers_shown.back() * 1000);
                    marker_clip = -1;
                }
            }
            previous = shown;
            if (!wallcine.Running()) throw std::runtime_error("Wallcine ended while it was watched");
            if (!first_frame && now - wallcine.StartTime() > kStartPatienceSeconds)
                throw std::runtime_error("the first item never showed on the desktop");
            if (first_frame && now - measuring_from > options->seconds) break;
        }
        const double interval = (WallSeconds() - measuring_from) / std::max(captures, 1L);
        std::printf("\nover %zu changes of item (the screen read every %.1f ms, by which a figure can be late):\n",
                    gaps.size(), interval * 1000);
        PrintSpread("last frame shown -> next first frame", gaps, 1000, "ms", gaps.size());
        char label[64];
        std::snprintf(label, sizeof label, "an item's last %.0f ms shown for", options->marker_seconds * 1000);
        PrintSpread(label, markers_shown, 1000, "ms", markers_shown.size());

        const HWND main_window = wallcine.Window(L"TForm1");
        if (main_window) ::PostMessageW(main_window, WM_COMMAND, MAKEWPARAM(wallcine::app::kCmdExit, 0), 0);
        if (!main_window || !wallcine.WaitForEnd(kEndPatienceMs)) throw std::runtime_error("Wallcine did not end on Exit");
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "item_gap_bench: %s\n", error.what());
        return 1;
    }
}
