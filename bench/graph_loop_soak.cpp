// The platform's own growth per graph, for comparison with the Wallcine soak: N times in one
// process, a plain DirectShow filter graph is created, renders the clip, runs for a moment,
// stops and is released with everything taken from it. No Wallcine code takes part, so what
// grows here grows in the system's DirectShow (under Wine: quartz, winegstreamer, GStreamer).
//
//   graph_loop_soak_bench [--graphs N] [--report-every K] [--run-ms MS] [--own-clock] CLIP
//
// --own-clock gives each graph, before it runs, the clock Wallcine gives its graphs under Wine
// (TReferenceClock) instead of the one the graph chooses (its DirectSound renderer's, which
// Wine 8 never frees): what grows then is the rest of the platform's growth.
//
// Prints the process's figures before the first graph and after every K graphs (default 100).
// Exit code: 0 with figures printed; 1 when a graph could not be built or run; 2 for bad arguments.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "arguments.h"
#include "media/reference_clock.h"
#include "process_figures.h"
#include "win/code_page.h"
#include "win/com_ptr.h"
#include "win/dshow.h"
#include "win/unique_handle.h"

namespace {

namespace win = wallcine::win;
using wallcine::bench::FiguresTable;
using wallcine::media::TReferenceClock;

struct Options {
    long graphs = 1000;
    long report_every = 100;
    DWORD run_ms = 300;
    bool own_clock = false;
    std::wstring clip;
};

std::optional<Options> ParseOptions() {
    Options options;
    long run_ms = options.run_ms;
    const auto paths = wallcine::bench::ReadArguments(
        wallcine::bench::CommandLineArguments(),
        {{L"--own-clock", wallcine::bench::Flag(options.own_clock)},
         {L"--graphs", wallcine::bench::Whole(options.graphs, 1, LONG_MAX)},
         {L"--report-every", wallcine::bench::Whole(options.report_every, 1, LONG_MAX)},
         {L"--run-ms", wallcine::bench::Whole(run_ms, 1, LONG_MAX)}},
        1, 1);
    if (!paths) return std::nullopt;
    options.run_ms = static_cast<DWORD>(run_ms);
    options.clip = paths->front();
    return options;
}

// The renderer's window belongs to this thread: its messages are dispatched while we wait.
void PumpMessagesFor(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= milliseconds) return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

// One graph's whole life; false (with the reason printed) when a step failed.
bool PlayOneGraph(const Options& options) {
    win::com_ptr<IGraphBuilder> graph;
    HRESULT hr = ::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                    graph.put_void());
    if (FAILED(hr)) {
        std::fprintf(stderr, "cannot create a filter graph (0x%08lX)\n", static_cast<unsigned long>(hr));
        return false;
    }
    if (FAILED(hr = graph->RenderFile(options.clip.c_str(), nullptr))) {
        std::fprintf(stderr, "cannot render the clip (0x%08lX)\n", static_cast<unsigned long>(hr));
        return false;
    }
    if (options.own_clock) {
        win::com_ptr<IMediaFilter> filter;
        if (FAILED(hr = graph.query_to(filter)) || FAILED(hr = filter->SetSyncSource(TReferenceClock::Create().get()))) {
            std::fprintf(stderr, "the graph does not take the clock (0x%08lX)\n", static_cast<unsigned long>(hr));
            return false;
        }
    }
    win::com_ptr<IMediaControl> control;
    if (FAILED(hr = graph.query_to(control)) || FAILED(hr = control->Run())) {
        std::fprintf(stderr, "the graph does not run (0x%08lX)\n", static_cast<unsigned long>(hr));
        return false;
    }
    PumpMessagesFor(options.run_ms);
    if (FAILED(hr = control->Stop())) {
        std::fprintf(stderr, "the graph does not stop (0x%08lX)\n", static_cast<unsigned long>(hr));
        return false;
    }
    // What the graph posts to this thread on its way down is handled before the next one.
    control.reset();
    graph.reset();
    PumpMessagesFor(0);
    return true;
}

int Run(const Options& options) {
    const std::string linux_status = wallcine::bench::OwnLinuxStatusFile();
    const DWORD self = ::GetCurrentProcessId();
    const DWORD start = ::GetTickCount();
    auto print = [&](FiguresTable& table, long graphs) {
        const auto figures = wallcine::bench::ReadProcessFigures(self, ::GetCurrentProcess(), linux_status);
        if (!figures) {
            std::fprintf(stderr, "cannot read this process's figures\n");
            return false;
        }
        table.PrintRow(graphs, (::GetTickCount() - start) / 1000.0, *figures);
        return true;
    };

    std::printf("plain graph loop: %ld graphs of %s, each run %lu ms%s\n", options.graphs,
                win::WideToAnsi(options.clip).c_str(), static_cast<unsigned long>(options.run_ms),
                options.own_clock ? ", each on a clock of ours" : "");
    FiguresTable table("graphs");
    table.PrintHeader();
    if (!print(table, 0)) return 1;
    for (long graph = 1; graph <= options.graphs; ++graph) {
        if (!PlayOneGraph(options)) {
            std::fprintf(stderr, "graph %ld failed\n", graph);
            return 1;
        }
        if ((graph % options.report_every == 0 || graph == options.graphs) && !print(table, graph)) return 1;
    }
    return 0;
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 4096);
    const std::optional<Options> options = ParseOptions();
    if (!options) {
        std::fprintf(stderr, "usage: graph_loop_soak_bench [--graphs N] [--report-every K] [--run-ms MS] [--own-clock] CLIP\n");
        return 2;
    }
    win::com_init_scope com;
    if (FAILED(com.result())) {
        std::fprintf(stderr, "COM did not initialise (0x%08lX)\n", static_cast<unsigned long>(com.result()));
        return 1;
    }
    return Run(*options);
}
