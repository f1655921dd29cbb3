// SetupOverlay against fake graphs: reusing a mixer already in place, taking the video straight
// from our renderer's input, moving a Video Mixing Renderer's streams (with the caption decoder
// swapped), and the undo that puts the rendered graph back, step for step, whatever fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "fakes/fake_overlay.h"

namespace wallcine::video {
namespace {

using test::ConnectionMap;
using test::OverlayRig;
using test::Trace;

bool InGraph(test::FakeFilterGraph& graph, IBaseFilter* filter) {
    const auto filters = graph.Filters();
    return std::find(filters.begin(), filters.end(), filter) != filters.end();
}

class OverlaySetupTest : public ::testing::Test, protected OverlayRig {
protected:
    void TearDown() override {
        ReleaseAll();
        ExpectEveryReferenceBack();
    }
    IBaseFilter* Mixer() { return &mixer; }
    IBaseFilter* Renderer() { return &renderer; }
};

// --- A mixer already in the graph -----------------------------------------------------------------

TEST_F(OverlaySetupTest, AMixerAlreadyFeedingOurRendererOnlyGetsTheCallback) {
    RenderThroughMixer();
    const ConnectionMap rendered = Connections();
    trace.clear();

    EXPECT_EQ(window->SetupOverlay(), S_OK);

    EXPECT_EQ(trace, Trace{"mixer.SetCallbackInterface set 0"});
    EXPECT_EQ(Connections(), rendered);
    EXPECT_NE(mixer.Callback(), nullptr);
    EXPECT_TRUE(window->OverlayChecked());
    EXPECT_EQ(window->OverlayMixer(), Mixer());
    EXPECT_EQ(window->ActiveRenderer(), Renderer());
}

struct IdleMixerCase {
    const char* name;
    bool input_in_use;
    bool feeds_renderer;
};

void PrintTo(const IdleMixerCase& mixer_case, std::ostream* out) { *out << mixer_case.name; }

class OverlaySetupIdleMixerTest : public OverlaySetupTest, public ::testing::WithParamInterface<IdleMixerCase> {};

TEST_P(OverlaySetupIdleMixerTest, AMixerNotCarryingTheVideoToOurRendererFailsAndChangesNothing) {
    Activate();
    graph.AddFilter(&decoder, L"Decoder");
    graph.AddFilter(&mixer, L"Overlay Mixer");
    if (GetParam().input_in_use) ConnectPins(video_out, mixer.Input(0));
    if (GetParam().feeds_renderer)
        ConnectPins(mixer.Output(), renderer.input);
    else if (!GetParam().input_in_use)
        ConnectPins(video_out, renderer.input);
    const ConnectionMap rendered = Connections();
    trace.clear();

    EXPECT_EQ(window->SetupOverlay(), E_FAIL);

    EXPECT_EQ(trace, Trace{}) << "nothing connected, removed or registered";
    EXPECT_EQ(Connections(), rendered);
    EXPECT_TRUE(InGraph(graph, Mixer()));
    EXPECT_EQ(mixer.Callback(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(OverlaySetup, OverlaySetupIdleMixerTest,
                         ::testing::Values(IdleMixerCase{"Unconnected", false, false},
                                           IdleMixerCase{"FeedsTheRendererWithNoInput", false, true},
                                           IdleMixerCase{"HasAnInputButFeedsNoRenderer", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- A new mixer -----------------------------------------------------------------------------------

TEST_F(OverlaySetupTest, WithoutAVideoRendererTheNewMixerStaysInTheGraphUnconnected) {
    factory.Refuse(CLSID_VideoRenderer, REGDB_E_CLASSNOTREG);
    Activate();
    graph.AddFilter(&decoder, L"Decoder");
    trace.clear();

    EXPECT_EQ(window->SetupOverlay(), E_FAIL);

    EXPECT_EQ(trace, (Trace{"factory.CreateInstance CLSID_OverlayMixer IBaseFilter", "graph.AddFilter Overlay Mixer"}));
    EXPECT_TRUE(InGraph(graph, Mixer()));
    for (test::FakePin* pin : mixer.pins) EXPECT_FALSE(pin->IsConnected()) << pin->Label();
    EXPECT_EQ(window->ActiveRenderer(), nullptr);
}

TEST_F(OverlaySetupTest, AMixerTheGraphRefusesIsNotKept) {
    Activate();
    graph.add_filter_result = E_OUTOFMEMORY;
    EXPECT_EQ(window->SetupOverlay(), E_OUTOFMEMORY);
    graph.add_filter_result = S_OK;
    EXPECT_FALSE(InGraph(graph, Mixer()));
    EXPECT_EQ(window->OverlayMixer(), nullptr);
    EXPECT_FALSE(window->Caps().CanOverlayGraphic());
}

TEST_F(OverlaySetupTest, ARendererWhoseFirstPinIsNoInputIsAFailureNotASuccess) {
    Activate();
    // The renderer's only pin claims to be an output: nothing can be fed to it.
    renderer.input.direction_override = PINDIR_OUTPUT;
    EXPECT_EQ(window->SetupOverlay(), E_FAIL);
    renderer.input.direction_override.reset();
}

TEST_F(OverlaySetupTest, AFileWithoutVideoTakesTheMixerOutAgainAndReturnsTheConnectionFailure) {
    Activate();
    graph.AddFilter(&decoder, L"Decoder");  // audio only: nothing reaches our renderer
    const ConnectionMap rendered = Connections();
    trace.clear();

    EXPECT_EQ(window->SetupOverlay(), VFW_E_NOT_CONNECTED);

    EXPECT_EQ(trace, (Trace{"factory.CreateInstance CLSID_OverlayMixer IBaseFilter", "graph.AddFilter Overlay Mixer",
                            "graph.RemoveFilter Overlay Mixer"}));
    EXPECT_EQ(Connections(), rendered);
    EXPECT_EQ(window->OverlayMixer(), nullptr);
    test::ExpectOnlyOwnerReferences(mixer.Objects());
}

TEST_F(OverlaySetupTest, TheDirectPathPutsTheMixerBetweenTheDecoderAndOurRenderer) {
    RenderDirect();
    trace.clear();

    EXPECT_EQ(window->SetupOverlay(), S_OK);

    EXPECT_EQ(trace, (Trace{"factory.CreateInstance CLSID_OverlayMixer IBaseFilter",
                            "graph.AddFilter Overlay Mixer",
                            "pin Video Renderer.Input Disconnect",
                            "pin Decoder.Video Disconnect",
                            "graph.Connect Decoder.Video -> Overlay Mixer.Input0",
                            "mixer.FindPin Output",
                            "graph.Connect Overlay Mixer.Output -> Video_Window.Input",
                            "mixer.SetCallbackInterface set 0"}));
    EXPECT_EQ(video_out.Peer(), static_cast<IPin*>(&mixer.Input(0)));
    EXPECT_EQ(mixer.Output().Peer(), static_cast<IPin*>(&renderer.input));
    ASSERT_EQ(mixer.InputCount(), 2u) << "a connected mixer offers one more input";
    EXPECT_FALSE(mixer.Input(1).IsConnected());
    EXPECT_NE(mixer.Callback(), nullptr);
    EXPECT_EQ(window->OverlayMixer(), Mixer());
    EXPECT_EQ(window->ActiveRenderer(), Renderer());
}

TEST_F(OverlaySetupTest, TheVmrPathMovesEveryStreamInVmrPinOrderToTheFirstFreeInputThenRemovesTheVmr) {
    RenderToVmr(false);
    trace.clear();

    EXPECT_EQ(window->SetupOverlay(), S_OK);

    EXPECT_EQ(trace, (Trace{"factory.CreateInstance CLSID_OverlayMixer IBaseFilter",
                            "graph.AddFilter Overlay Mixer",
                            "pin Decoder.Video Disconnect",
                            "pin Video Mixing Renderer.VMR Input0 Disconnect",
                            "pin Decoder.SubPicture Disconnect",
                            "pin Video Mixing Renderer.VMR Input1 Disconnect",
                            "graph.Connect Decoder.Video -> Overlay Mixer.Input0",
                            "graph.Connect Decoder.SubPicture -> Overlay Mixer.Input1",
                            "mixer.FindPin Output",
                            "graph.Connect Overlay Mixer.Output -> Video_Window.Input",
                            "mixer.SetCallbackInterface set 0",
                            "graph.RemoveFilter Video Mixing Renderer"}));
    EXPECT_EQ(video_out.Peer(), static_cast<IPin*>(&mixer.Input(0)));
    EXPECT_EQ(subpicture_out.Peer(), static_cast<IPin*>(&mixer.Input(1)));
    EXPECT_EQ(mixer.Output().Peer(), static_cast<IPin*>(&renderer.input));
    EXPECT_FALSE(vmr.video_in.IsConnected());
    EXPECT_FALSE(vmr.subpicture_in.IsConnected());
    EXPECT_EQ(graph.FilterNames(), (std::vector<std::string>{"Video_Window", "Decoder", "Overlay Mixer"}));
    EXPECT_EQ(window->ActiveRenderer(), Renderer());
    EXPECT_EQ(window->VideoWindow(), static_cast<IVideoWindow*>(&renderer));
}

TEST_F(OverlaySetupTest, CaptionsForTheVmrGoThroughANewLine21DecoderAndTheOldOneLeaves) {
    RenderToVmr(true);
    trace.clear();

    EXPECT_EQ(window->SetupOverlay(), S_OK);

    EXPECT_EQ(trace, (Trace{"factory.CreateInstance CLSID_OverlayMixer IBaseFilter",
                            "graph.AddFilter Overlay Mixer",
                            "pin Decoder.Video Disconnect",
                            "pin Video Mixing Renderer.VMR Input0 Disconnect",
                            "pin Line 21 Decoder 2.Out Disconnect",
                            "pin Video Mixing Renderer.VMR Input1 Disconnect",
                            "graph.Connect Decoder.Video -> Overlay Mixer.Input0",
                            "pin Line 21 Decoder 2.In Disconnect",
                            "pin Decoder.CC Disconnect",
                            "factory.CreateInstance CLSID_Line21Decoder IBaseFilter",
                            "graph.AddFilter Line21 Decoder",
                            "graph.Connect Decoder.CC -> Line21 Decoder.In",
                            "graph.Connect Line21 Decoder.Out -> Overlay Mixer.Input1",
                            "mixer.FindPin Output",
                            "graph.Connect Overlay Mixer.Output -> Video_Window.Input",
                            "mixer.SetCallbackInterface set 0",
                            "graph.RemoveFilter Line 21 Decoder 2",
                            "graph.RemoveFilter Video Mixing Renderer"}));
    EXPECT_EQ(captions_out.Peer(), static_cast<IPin*>(&line21.input));
    EXPECT_EQ(line21.output.Peer(), static_cast<IPin*>(&mixer.Input(1)));
    EXPECT_FALSE(line21_2.input.IsConnected());
    EXPECT_FALSE(line21_2.output.IsConnected());
    EXPECT_EQ(graph.FilterNames(),
              (std::vector<std::string>{"Video_Window", "Decoder", "Overlay Mixer", "Line21 Decoder"}));
}

// --- Undo ------------------------------------------------------------------------------------------

enum class Rendered { Direct, VmrWithCaptions };

struct UndoCase {
    const char* name;
    Rendered rendered;
    std::function<void(OverlayRig&)> inject;
    HRESULT failure;
};

void PrintTo(const UndoCase& undo_case, std::ostream* out) { *out << undo_case.name; }

void FailConnect(OverlayRig& rig, int call) { rig.graph.connect_failures[call] = VFW_E_NO_ACCEPTABLE_TYPES; }

const UndoCase kUndoCases[] = {
    {"DirectSourceToMixer", Rendered::Direct, [](OverlayRig& rig) { FailConnect(rig, 1); }, VFW_E_NO_ACCEPTABLE_TYPES},
    {"DirectFindOutput", Rendered::Direct, [](OverlayRig& rig) { rig.mixer.find_pin_result = VFW_E_NOT_FOUND; },
     VFW_E_NOT_FOUND},
    {"DirectMixerToRenderer", Rendered::Direct, [](OverlayRig& rig) { FailConnect(rig, 2); },
     VFW_E_NO_ACCEPTABLE_TYPES},
    {"DirectExclusiveModeQuery", Rendered::Direct, [](OverlayRig& rig) { rig.mixer.has_excl_mode = false; },
     E_NOINTERFACE},
    {"DirectSetCallback", Rendered::Direct, [](OverlayRig& rig) { rig.mixer.set_callback_result = E_UNEXPECTED; },
     E_UNEXPECTED},
    {"VmrVideoToMixer", Rendered::VmrWithCaptions, [](OverlayRig& rig) { FailConnect(rig, 1); },
     VFW_E_NO_ACCEPTABLE_TYPES},
    {"VmrLine21Creation", Rendered::VmrWithCaptions,
     [](OverlayRig& rig) { rig.factory.Refuse(CLSID_Line21Decoder, REGDB_E_CLASSNOTREG); }, REGDB_E_CLASSNOTREG},
    {"VmrCaptionSourceToLine21", Rendered::VmrWithCaptions, [](OverlayRig& rig) { FailConnect(rig, 2); },
     VFW_E_NO_ACCEPTABLE_TYPES},
    {"VmrLine21ToMixer", Rendered::VmrWithCaptions, [](OverlayRig& rig) { FailConnect(rig, 3); },
     VFW_E_NO_ACCEPTABLE_TYPES},
    {"VmrFindOutput", Rendered::VmrWithCaptions, [](OverlayRig& rig) { rig.mixer.find_pin_result = VFW_E_NOT_FOUND; },
     VFW_E_NOT_FOUND},
    {"VmrMixerToRenderer", Rendered::VmrWithCaptions, [](OverlayRig& rig) { FailConnect(rig, 4); },
     VFW_E_NO_ACCEPTABLE_TYPES},
    {"VmrExclusiveModeQuery", Rendered::VmrWithCaptions, [](OverlayRig& rig) { rig.mixer.has_excl_mode = false; },
     E_NOINTERFACE},
    {"VmrSetCallback", Rendered::VmrWithCaptions,
     [](OverlayRig& rig) { rig.mixer.set_callback_result = E_UNEXPECTED; }, E_UNEXPECTED},
};

class OverlayUndoTest : public OverlaySetupTest, public ::testing::WithParamInterface<UndoCase> {};

TEST_P(OverlayUndoTest, AFailureAfterTheFirstChangePutsTheRenderedGraphBackAndIsReturned) {
    const UndoCase& step = GetParam();
    if (step.rendered == Rendered::Direct)
        RenderDirect();
    else
        RenderToVmr(true);
    const ConnectionMap rendered = Connections();
    step.inject(*this);

    EXPECT_EQ(window->SetupOverlay(), step.failure);

    EXPECT_EQ(Connections(), rendered);
    EXPECT_FALSE(InGraph(graph, Mixer()));
    EXPECT_FALSE(InGraph(graph, &line21)) << "the Line 21 Decoder the set-up added stays behind";
    EXPECT_EQ(mixer.Callback(), nullptr);
    EXPECT_EQ(window->OverlayMixer(), nullptr);
    // Nothing the set-up took out or created is still held by anyone.
    test::ExpectOnlyOwnerReferences(mixer.Objects());
    test::ExpectOnlyOwnerReferences({&line21, &line21.input, &line21.output});

    if (step.rendered == Rendered::Direct) {
        EXPECT_EQ(graph.FilterNames(), (std::vector<std::string>{"Video_Window", "Decoder"}));
        EXPECT_EQ(window->ActiveRenderer(), Renderer());
        EXPECT_EQ(window->VideoWindow(), static_cast<IVideoWindow*>(&renderer));
    } else {
        // The VMR the graph was rendered with takes over; our own renderer leaves.
        EXPECT_EQ(graph.FilterNames(),
                  (std::vector<std::string>{"Decoder", "Video Mixing Renderer", "Line 21 Decoder 2"}));
        EXPECT_EQ(window->ActiveRenderer(), static_cast<IBaseFilter*>(&vmr));
        EXPECT_EQ(window->VideoWindow(), static_cast<IVideoWindow*>(&vmr));
    }
}

INSTANTIATE_TEST_SUITE_P(OverlayUndo, OverlayUndoTest, ::testing::ValuesIn(kUndoCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OverlaySetupTest, WhenTheMixerCannotBeRemovedThatFailureIsReturnedInstead) {
    RenderDirect();
    const ConnectionMap rendered = Connections();
    graph.connect_failures[2] = VFW_E_NO_ACCEPTABLE_TYPES;
    graph.remove_filter_result = VFW_E_NOT_STOPPED;

    EXPECT_EQ(window->SetupOverlay(), VFW_E_NOT_STOPPED);

    EXPECT_EQ(Connections(), rendered) << "the connections are undone before the removal";
    EXPECT_TRUE(InGraph(graph, Mixer()));
    EXPECT_EQ(window->ActiveRenderer(), Renderer());
}

}  // namespace
}  // namespace wallcine::video
