// What Wallcine's own Media Foundation source costs in CPU beside DirectShow's own parsing of
// the same file: plays one clip (720p H.264 with AAC, from scripts/bench) through each path in
// turn, into the same Video Renderer and audio renderer, and prints the CPU time the process
// spent on each over the same stretch of wall time.
//
//   source_path_cpu_bench [--seconds N] [--rounds 1|2] [--host-pid LABEL=PID]... CLIP
//
// Each measurement builds a fresh graph, lets it play kWarmUpSeconds, then measures N seconds.
// Round 1 measures DirectShow first, round 2 the source first, so an order effect shows as a
// difference between the rounds. Under Wine, DirectShow's path is winegstreamer's splitter
// (GStreamer decodes and converts to RGB); the source's path is Media Foundation's Source Reader
// (GStreamer decodes) and its Color Converter. Each --host-pid adds the CPU of a Linux process
// (the X server, wineserver) over the same stretch, read from /proc through Wine's Z: drive.
//
// Exit code: 0 with figures printed; 1 when a path could not play the clip or the run was cut
// short; 2 for bad arguments. It never fails on a time.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "arguments.h"
#include "cpu_clocks.h"
#include "media/filter_graph.h"
#include "media/mf_source_filter.h"
#include "media/own_source_render.h"
#include "win/code_page.h"
#include "win/com_ptr.h"
#include "win/dshow.h"
#include "win/object_factory.h"
#include "win/unique_handle.h"

namespace {

using wallcine::media::TFilterGraph;
namespace bench = wallcine::bench;
namespace win = wallcine::win;

constexpr double kWarmUpSeconds = 2.0;
// Where the renderer's window goes: the same size for both paths, so they scale alike.
constexpr int kWindowWidth = 960;
constexpr int kWindowHeight = 540;

struct Options {
    double seconds = 10.0;
    int rounds = 2;
    std::vector<bench::HostProcess> host_processes;
    std::wstring clip;
};

void PrintUsage() {
    std::fprintf(stderr,
                 "usage: source_path_cpu_bench [--seconds N] [--rounds 1|2] [--host-pid LABEL=PID]... CLIP\n"
                 "  --seconds N     measure each path for N seconds (default 10)\n"
                 "  --rounds R      1: DirectShow, then the source; 2 (default): then the source, DirectShow\n"
                 "  --host-pid L=P  under Wine: also report the CPU of Linux process P, labelled L\n");
}

std::optional<Options> ParseOptions() {
    Options options;
    const auto paths = bench::ReadArguments(bench::CommandLineArguments(),
                                            {{L"--seconds", bench::Number(options.seconds, 1, 3600)},
                                             {L"--rounds", bench::Whole(options.rounds, 1, 2)},
                                             {L"--host-pid", bench::Host(options.host_processes)}},
                                            1, 1);
    if (!paths) return std::nullopt;
    options.clip = paths->front();
    return options;
}

enum class Path { kDirectShow, kOwnSource };

const char* PathName(Path path) { return path == Path::kDirectShow ? "directshow" : "mf-source"; }

// One graph playing the clip through one path, into a Video Renderer that is in the graph before
// the file is rendered (as the application's own renderer is).
class PlayingGraph {
public:
    // Empty `error` when it plays.
    PlayingGraph(const Options& options, Path path, std::string& error) {
        graph_.SetActive(true);
        HRESULT hr = win::CreateObject(CLSID_VideoRenderer, renderer_);
        if (FAILED(hr) || FAILED(hr = graph_.Graph()->AddFilter(renderer_.get(), L"Video Renderer"))) {
            error = "no Video Renderer (" + Hex(hr) + ")";
            return;
        }
        hr = path == Path::kDirectShow ? graph_.Graph()->RenderFile(options.clip.c_str(), nullptr)
                                       : wallcine::media::RenderWithOwnSource(*graph_.Graph(), options.clip, E_FAIL);
        if (hr != S_OK) {
            error = std::string("cannot render the clip through ") + PathName(path) + " (" + Hex(hr) + ")";
            return;
        }
        // Through DirectShow the file must not have reached the source, nor the source missed.
        wallcine::win::com_ptr<IBaseFilter> source;
        const bool has_source = SUCCEEDED(
            graph_.Graph()->FindFilterByName(wallcine::media::kMediaFoundationSourceName, source.put()));
        if (has_source != (path == Path::kOwnSource)) {
            error = "the graph was not built through the path under test";
            return;
        }
        if (auto window = graph_.Query<IVideoWindow>()) window->SetWindowPosition(0, 0, kWindowWidth, kWindowHeight);
        position_ = graph_.Query<IMediaPosition>();
        renderer_->QueryInterface(IID_IQualProp, quality_.put_void());
        REFTIME duration = 0;
        if (!position_ || FAILED(position_->get_Duration(&duration)) || duration < kWarmUpSeconds + options.seconds + 1) {
            error = "the clip is shorter than a measurement";
            return;
        }
        if (!graph_.Play()) error = "the graph did not start playing";
    }
    ~PlayingGraph() { graph_.Stop(); }
    PlayingGraph(const PlayingGraph&) = delete;
    PlayingGraph& operator=(const PlayingGraph&) = delete;

    bench::PlaybackReading Read() const {
        bench::PlaybackReading reading;
        if (REFTIME now = 0; position_ && SUCCEEDED(position_->get_CurrentPosition(&now))) reading.position = now;
        if (int drawn = 0; quality_ && SUCCEEDED(quality_->get_FramesDrawn(&drawn))) reading.frames_drawn = drawn;
        return reading;
    }

private:
    static std::string Hex(HRESULT hr) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
        return text;
    }

    TFilterGraph graph_;
    win::com_ptr<IBaseFilter> renderer_;
    win::com_ptr<IMediaPosition> position_;
    win::com_ptr<IQualProp> quality_;
};

// Measures each path in turn; false when one could not play or the run was stopped.
bool MeasureRounds(const Options& options, std::vector<bench::Phase>& phases) {
    constexpr Path kSteps[] = {Path::kDirectShow, Path::kOwnSource, Path::kOwnSource, Path::kDirectShow};
    for (int i = 0; i < options.rounds * 2; ++i) {
        std::string error;
        PlayingGraph playing(options, kSteps[i], error);
        if (!error.empty()) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return false;
        }
        if (!bench::PumpFor(kWarmUpSeconds)) return false;
        const auto phase = bench::Measure(options.seconds, options.host_processes, [&] { return playing.Read(); });
        if (!phase) return false;
        phases.push_back(*phase);
        phases.back().round = i / 2 + 1;
        phases.back().mode = PathName(kSteps[i]);
        bench::PrintPhase(phases.back());
    }
    return true;
}

void PrintRatios(const std::vector<bench::Phase>& phases) {
    for (int round = 1; round <= 2; ++round) {
        const bench::Phase* directshow = nullptr;
        const bench::Phase* source = nullptr;
        for (const auto& phase : phases) {
            if (phase.round != round) continue;
            (phase.mode == std::string(PathName(Path::kDirectShow)) ? directshow : source) = &phase;
        }
        if (!directshow || !source) continue;
        if (directshow->CpuPercent() > 0)
            std::printf("round %d: mf-source / directshow CPU = %.2f\n", round,
                        source->CpuPercent() / directshow->CpuPercent());
        else
            std::printf("round %d: mf-source / directshow CPU = n/a (no CPU measured for DirectShow)\n", round);
    }
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 4096);
    const std::optional<Options> options = ParseOptions();
    if (!options) {
        PrintUsage();
        return 2;
    }
    win::com_init_scope com;
    if (FAILED(com.result())) {
        std::fprintf(stderr, "COM did not initialise (0x%08lX)\n", static_cast<unsigned long>(com.result()));
        return 1;
    }
    std::printf("clip %s, renderer window %dx%d, %.0f s per measurement after %.0f s of play\n",
                win::WideToAnsi(options->clip).c_str(), kWindowWidth, kWindowHeight, options->seconds, kWarmUpSeconds);
    std::printf("cpu %%: of one core; played: seconds of the clip played; frames: drawn by the Video Renderer\n\n");
    bench::PrintHeader("path", options->host_processes);
    std::vector<bench::Phase> phases;
    bool ok = false;
    try {
        ok = MeasureRounds(*options, phases);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "measuring failed: %s\n", error.what());
    }
    if (!ok) return 1;
    PrintRatios(phases);
    return 0;
}
