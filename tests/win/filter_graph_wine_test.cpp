// TFilterGraph against Wine's real DirectShow, playing the clips scripts/make-test-clips makes
// (ctest passes their folder in WALLCINE_MEDIA). A small client contributes a real Video
// Renderer under its own name and records every control and graph event with the thread it
// arrived on. The waits are bounded and generous: they catch playback that never gets there,
// not a slow machine.
#include <gtest/gtest.h>

#include <windows.h>
#include <errors.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "media/directshow_error.h"
#include "media/filter_graph.h"
#include "real_graph.h"
#include "win/unique_handle.h"

namespace wallcine::media {
namespace {

using namespace wallcine::test;

// The threads of this process, as the system lists them.
int ThreadsOfThisProcess() {
    const win::unique_handle_kernel snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int threads = 0;
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry))
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++threads;
    return threads;
}

// --- Fixture ------------------------------------------------------------------------------------

class FilterGraphOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.result())) << std::hex << com_.result();
        media_ = MediaFolder();
        ASSERT_FALSE(media_.empty()) << "WALLCINE_MEDIA is not set (ctest sets it to the clip folder)";
        client_ = new RendererClient;
        graph_.emplace();
        graph_->AddFilterClient(client_);
        graph_->AddEventClient(client_);
    }

    void TearDown() override {
        graph_.reset();
        if (client_) {
            // The graph has let go of its clients, and the client of its renderer.
            EXPECT_EQ(client_->References(), 1u);
            EXPECT_EQ(client_->Renderer(), nullptr);
            client_->Release();
        }
    }

    std::wstring Clip(const wchar_t* name) const { return media_ + name; }

    void Activate() {
        graph_->SetActive(true);
        ASSERT_TRUE(graph_->Active());
        ASSERT_NE(graph_->Graph(), nullptr);
    }

    // Renders a clip that must be there; any success code passes (a partial render too).
    HRESULT Render(const wchar_t* name) {
        const std::wstring file = Clip(name);
        EXPECT_NE(::GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES) << "no clip " << Narrow(file);
        const HRESULT hr = graph_->RenderFile(file);
        EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr << " rendering " << Narrow(file);
        return hr;
    }

    void ActivateAndRender(const wchar_t* name) {
        ASSERT_NO_FATAL_FAILURE(Activate());
        ASSERT_TRUE(SUCCEEDED(Render(name)));
    }

    bool RendererConnected() const {
        const auto inputs = PinConnections(client_->Renderer(), PINDIR_INPUT);
        return inputs.size() == 1 && inputs[0];
    }

    win::com_init_scope com_;
    std::wstring media_;
    RendererClient* client_ = nullptr;
    std::optional<TFilterGraph> graph_;
};

// --- Both containers ----------------------------------------------------------------------------

struct ClipCase {
    const char* label;
    const wchar_t* file;
    double seconds;
};

void PrintTo(const ClipCase& clip, std::ostream* out) { *out << clip.label; }

class FilterGraphOnWineClips : public FilterGraphOnWine, public ::testing::WithParamInterface<ClipCase> {};

TEST_P(FilterGraphOnWineClips, RendersIntoTheClientsRendererAndPlaysToTheEnd) {
    ASSERT_NO_FATAL_FAILURE(Activate());
    // The client's renderer joined the new graph under its name.
    com_ptr<IBaseFilter> found;
    ASSERT_EQ(graph_->Graph()->FindFilterByName(kRendererName, found.put()), S_OK);
    EXPECT_TRUE(SameObject(found.get(), client_->Renderer()));

    const size_t before_render = client_->control_events.size();
    const HRESULT rendered = Render(GetParam().file);
    ASSERT_TRUE(SUCCEEDED(rendered));
    ASSERT_EQ(client_->control_events.size(), before_render + 2);
    EXPECT_EQ(client_->control_events[before_render].event, gceRenderStarting);
    EXPECT_EQ(client_->control_events[before_render + 1].event, gceRenderDone);

    // The builder used the renderer already in the graph instead of adding a second one.
    EXPECT_TRUE(RendererConnected()) << "filters: " << NamesOf(graph_->Graph()) << ", render result " << std::hex
                                     << rendered;

    auto position = graph_->Query<IMediaPosition>();
    ASSERT_TRUE(position);
    REFTIME duration = 0;
    ASSERT_EQ(position->get_Duration(&duration), S_OK);
    EXPECT_NEAR(duration, GetParam().seconds, 0.25);

    ASSERT_TRUE(graph_->Play());
    EXPECT_EQ(client_->control_events.back().event, gcePlay);

    // The position climbs through the clip to its end; the graph then reports completion.
    REFTIME current = 0;
    bool seen_between = false;
    const bool reached_end = PumpUntil(
        [&] {
            if (FAILED(position->get_CurrentPosition(&current))) return false;
            seen_between |= current > 0 && current < duration - 0.1;
            return current >= duration - 0.1 && client_->FindGraphEvent(EC_COMPLETE) != nullptr;
        },
        DWORD(duration * 1000) + 8000);
    EXPECT_TRUE(reached_end) << "position " << current << " of " << duration << ", EC_COMPLETE "
                             << (client_->FindGraphEvent(EC_COMPLETE) ? "seen" : "not seen");
    EXPECT_TRUE(seen_between) << "the position never stood inside the clip";
    for (const auto& e : client_->graph_events) EXPECT_EQ(e.thread, ::GetCurrentThreadId()) << "event " << e.code;
}

TEST_P(FilterGraphOnWineClips, SetVolumeReachesTheAudioRenderer) {
    ASSERT_NO_FATAL_FAILURE(ActivateAndRender(GetParam().file));
    // With ALSA's default device a null sink, Wine's DirectSound renderer joins the graph.
    com_ptr<IBasicAudio> audio;
    for (const auto& filter : FiltersOf(graph_->Graph())) {
        if (SameObject(filter.get(), client_->Renderer())) continue;
        if (auto candidate = filter.try_query<IBasicAudio>()) {
            const auto inputs = PinConnections(filter.get(), PINDIR_INPUT);
            EXPECT_TRUE(!inputs.empty() && inputs[0]) << Narrow(NameOf(filter.get())) << " is not connected";
            audio = std::move(candidate);
        }
    }
    ASSERT_TRUE(audio) << "no audio renderer in the graph: " << NamesOf(graph_->Graph());

    const struct {
        LONG volume;
        long expected;
    } cases[] = {{7500, -2500}, {0, -10000}, {10000, 0}, {1, -9999}};
    for (const auto& c : cases) {
        graph_->SetVolume(c.volume);
        long read_back = 1;
        ASSERT_EQ(audio->get_Volume(&read_back), S_OK);
        EXPECT_EQ(read_back, c.expected) << "SetVolume(" << c.volume << ")";
    }
}

TEST_P(FilterGraphOnWineClips, ResetGraphLeavesOnlyTheClientsRendererAndTheGraphRendersAgain) {
    ASSERT_NO_FATAL_FAILURE(ActivateAndRender(GetParam().file));
    ASSERT_GT(FiltersOf(graph_->Graph()).size(), 1u);
    ASSERT_TRUE(graph_->Play());
    auto position = graph_->Query<IMediaPosition>();
    ASSERT_TRUE(position);
    // Stopped part-way, as when the user skips to the next item.
    REFTIME current = 0;
    PumpUntil([&] { return SUCCEEDED(position->get_CurrentPosition(&current)) && current > 0.2; }, 5000);

    graph_->ResetGraph();
    const auto filters = FiltersOf(graph_->Graph());
    ASSERT_EQ(filters.size(), 1u) << NamesOf(graph_->Graph());
    EXPECT_TRUE(SameObject(filters[0].get(), client_->Renderer()));
    EXPECT_EQ(NameOf(filters[0].get()), kRendererName);
    EXPECT_FALSE(AnyPinConnected(filters[0].get()));

    // The next item of a playlist goes through the same graph.
    Render(GetParam().file);
    EXPECT_TRUE(RendererConnected()) << NamesOf(graph_->Graph());
    EXPECT_TRUE(graph_->Play());
}

INSTANTIATE_TEST_SUITE_P(Containers, FilterGraphOnWineClips,
                         ::testing::Values(ClipCase{"avi", L"clip.avi", 2.0}, ClipCase{"mp4", L"clip.mp4", 2.0}),
                         [](const auto& info) { return std::string(info.param.label); });

// --- Errors and events --------------------------------------------------------------------------

TEST_F(FilterGraphOnWine, AMissingFileRaisesFileNotFoundWithThePlatformTextAndTheGraphStaysUsable) {
    ASSERT_NO_FATAL_FAILURE(Activate());
    const size_t before = client_->control_events.size();
    constexpr HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    try {
        graph_->RenderFile(Clip(L"no-such-clip.avi"));
        FAIL() << "RenderFile of a missing file returned";
    } catch (const EDirectShowException& error) {
        EXPECT_EQ(error.ErrorResult(), kNotFound) << std::hex << error.ErrorResult();
        char text[256] = {};
        ::AMGetErrorTextA(kNotFound, text, sizeof text);
        EXPECT_EQ(std::string(error.what()), std::string(text) + " ($80070002).");
    }
    // The render began, and the failure left before it could be reported done.
    ASSERT_EQ(client_->control_events.size(), before + 1);
    EXPECT_EQ(client_->control_events[before].event, gceRenderStarting);

    ASSERT_TRUE(graph_->Active());
    Render(L"clip-1s.avi");
    EXPECT_TRUE(RendererConnected());
}

TEST_F(FilterGraphOnWine, ClockChangedReachesTheEventClientOnTheGuiThreadWhilePlaying) {
    ASSERT_NO_FATAL_FAILURE(ActivateAndRender(L"clip-1s.avi"));
    ASSERT_TRUE(graph_->Play());
    ASSERT_TRUE(PumpUntil([&] { return client_->FindGraphEvent(EC_CLOCK_CHANGED) != nullptr; }, 10000))
        << client_->graph_events.size() << " graph events, none EC_CLOCK_CHANGED";
    EXPECT_EQ(client_->FindGraphEvent(EC_CLOCK_CHANGED)->thread, ::GetCurrentThreadId());
    for (const auto& e : client_->graph_events) EXPECT_EQ(e.thread, ::GetCurrentThreadId()) << "event " << e.code;
}

// --- One graph after another --------------------------------------------------------------------

// A playlist makes a new graph for every item. Each one, with its sound and its picture, plays a
// moment (long enough for the video renderer to ask the clock for its frames), stops and goes;
// afterwards the process has no more threads than before. (Wine 8's DirectSound renderer never
// frees its clock, and that clock's thread with it, once a renderer has asked it for a time.)
TEST_F(FilterGraphOnWine, GraphsPlayedOneAfterAnotherLeaveNoThreadBehind) {
    auto play_one_graph = [&] {
        ASSERT_NO_FATAL_FAILURE(ActivateAndRender(L"clip-1s.avi"));
        auto position = graph_->Query<IMediaPosition>();
        ASSERT_TRUE(position);
        ASSERT_TRUE(graph_->Play());
        REFTIME current = 0;
        EXPECT_TRUE(PumpUntil([&] { return SUCCEEDED(position->get_CurrentPosition(&current)) && current > 0.3; },
                              5000))
            << "the clip did not play: position " << current;
        position.reset();
        graph_->Stop();
        graph_->ResetGraph();
        graph_->SetActive(false);
        PumpUntil([] { return false; }, 100);
    };
    // The first graph starts the threads that stay for the process's life (Wine's graph worker,
    // the audio device's notification thread, a thread-pool worker).
    ASSERT_NO_FATAL_FAILURE(play_one_graph());
    const int before = ThreadsOfThisProcess();
    constexpr int kGraphs = 5;
    for (int graph = 0; graph < kGraphs; ++graph) ASSERT_NO_FATAL_FAILURE(play_one_graph());
    const int after = ThreadsOfThisProcess();
    // One thread-pool worker may come or go meanwhile; a thread kept per graph would add five.
    EXPECT_LE(after - before, 1) << before << " threads before " << kGraphs << " graphs, " << after << " after";
}

}  // namespace
}  // namespace wallcine::media
