// TColorControl and the capability flags against a fake graph holding fake Overlay Mixers: the
// ranges and their messages, the seven values written to and read from the mixer's first input
// while the graph is active, the defaults after a refused read, and which mixer is asked.
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/errors.h"
#include "fakes/fake_overlay.h"
#include "media/filter_graph.h"
#include "video/color_control.h"

namespace wallcine::video {
namespace {

using test::FakeOverlayMixer;
using test::Trace;

std::string Text(const DDCOLORCONTROL& c) {
    return Format("size %lu flags %lu brightness %ld contrast %ld hue %ld saturation %ld sharpness %ld gamma %ld "
                  "colour %ld",
                  static_cast<unsigned long>(c.dwSize), static_cast<unsigned long>(c.dwFlags),
                  static_cast<long>(c.lBrightness), static_cast<long>(c.lContrast), static_cast<long>(c.lHue),
                  static_cast<long>(c.lSaturation), static_cast<long>(c.lSharpness), static_cast<long>(c.lGamma),
                  static_cast<long>(c.lColorEnable));
}

DDCOLORCONTROL Controls(LONG brightness, LONG contrast, LONG hue, LONG saturation, LONG sharpness, LONG gamma,
                        LONG color_enable, DWORD flags = 127) {
    DDCOLORCONTROL c{};
    c.dwSize = 40;
    c.dwFlags = flags;
    c.lBrightness = brightness;
    c.lContrast = contrast;
    c.lHue = hue;
    c.lSaturation = saturation;
    c.lSharpness = sharpness;
    c.lGamma = gamma;
    c.lColorEnable = color_enable;
    return c;
}

const std::string kDefaults = Text(Controls(750, 10000, 0, 10000, 5, 1, 1));

// One adjustment: its accessors, its range and how its message states the range.
struct Property {
    const char* name;
    void (TColorControl::*set)(LONG);
    LONG (TColorControl::*get)();
    LONG low, high;
    const char* range_text;
    LONG DDCOLORCONTROL::*field;
};

const Property kProperties[] = {
    {"Brightness", &TColorControl::SetBrightness, &TColorControl::Brightness, 0, 10000, "0 -> 10.000",
     &DDCOLORCONTROL::lBrightness},
    {"Contrast", &TColorControl::SetContrast, &TColorControl::Contrast, 0, 20000, "0 -> 20.000",
     &DDCOLORCONTROL::lContrast},
    {"Hue", &TColorControl::SetHue, &TColorControl::Hue, -180, 180, "-180 -> 180", &DDCOLORCONTROL::lHue},
    {"Saturation", &TColorControl::SetSaturation, &TColorControl::Saturation, 0, 20000, "0 -> 20.000",
     &DDCOLORCONTROL::lSaturation},
    {"Sharpness", &TColorControl::SetSharpness, &TColorControl::Sharpness, 0, 10, "0 -> 10",
     &DDCOLORCONTROL::lSharpness},
    {"Gamma", &TColorControl::SetGamma, &TColorControl::Gamma, 1, 500, "1 -> 500", &DDCOLORCONTROL::lGamma},
};

// The test is the control's owner: a graph component over a fake graph, never in design state.
// The mixer lists its output first, so only a search for the first *input* finds its settings.
class ColorControlTest : public ::testing::Test, protected IColorControlOwner, protected ICapsOwner {
protected:
    ColorControlTest() { filter_graph_ = std::make_unique<media::TFilterGraph>(); }
    void TearDown() override {
        filter_graph_.reset();
        graph.DropFilters();
        auto objects = mixer.Objects();
        const auto second = mixer2.Objects();
        objects.insert(objects.end(), second.begin(), second.end());
        objects.push_back(&graph);
        test::ExpectOnlyOwnerReferences(objects);
    }

    bool Designing() const noexcept override { return false; }
    media::TFilterGraph* FilterGraph() const noexcept override { return filter_graph_.get(); }
    IBaseFilter* OverlayMixer() const noexcept override { return nullptr; }
    TColorControl& ColorControl() noexcept override { return control; }

    void ActivateWith(std::initializer_list<FakeOverlayMixer*> mixers) {
        filter_graph_->SetActive(true);
        for (FakeOverlayMixer* each : mixers) graph.AddFilter(each, each->Name().c_str());
    }
    std::string Stored() {
        // Read with no graph to ask, so the getters give what the control holds.
        auto graph_component = std::move(filter_graph_);
        const std::string stored = Text(Controls(control.Brightness(), control.Contrast(), control.Hue(),
                                                 control.Saturation(), control.Sharpness(), control.Gamma(),
                                                 control.ColorEnable() ? 1 : 0));
        filter_graph_ = std::move(graph_component);
        return stored;
    }

    win::com_init_scope com;
    Trace trace;
    test::FakeFilterGraph graph{trace};
    test::FakeObjectFactory factory{trace, graph};
    win::ScopedObjectFactory factory_scope{factory};
    FakeOverlayMixer mixer{&trace, test::kOverlayMixerClass, true, L"Overlay Mixer"};
    FakeOverlayMixer mixer2{&trace, test::kOverlayMixer2Class, false, L"Overlay Mixer 2"};
    std::unique_ptr<media::TFilterGraph> filter_graph_;
    TColorControl control{*this};
    TDSVideoWindowEx2Caps caps{*this};
};

TEST_F(ColorControlTest, EachValueIsCheckedAgainstItsRangeAndARejectionKeepsTheOldValue) {
    for (const Property& p : kProperties) {
        SCOPED_TRACE(p.name);
        (control.*p.set)(p.low);
        EXPECT_EQ((control.*p.get)(), p.low);
        (control.*p.set)(p.high);
        EXPECT_EQ((control.*p.get)(), p.high);
        for (LONG outside : {p.low - 1, p.high + 1}) {
            try {
                (control.*p.set)(outside);
                ADD_FAILURE() << outside << " was accepted";
            } catch (const wallcine::Exception& error) {
                EXPECT_EQ(std::string(error.what()), Format("Value %ld out of range. Value must bee between %s",
                                                            static_cast<long>(outside), p.range_text));
            }
            EXPECT_EQ((control.*p.get)(), p.high);
        }
    }
    EXPECT_TRUE(mixer.Input(0).written_controls.empty()) << "no graph: nothing reaches a mixer";
}

TEST_F(ColorControlTest, WhileTheGraphIsActiveEverySetWritesAllSevenToTheMixersFirstInput) {
    ActivateWith({&mixer});
    DDCOLORCONTROL expected = Controls(750, 10000, 0, 10000, 5, 1, 1);
    auto& written = mixer.Input(0).written_controls;
    for (const Property& p : kProperties) {
        SCOPED_TRACE(p.name);
        const LONG value = p.low + 1;
        expected.*p.field = value;
        (control.*p.set)(value);
        ASSERT_FALSE(written.empty());
        EXPECT_EQ(Text(written.back()), Text(expected));
        // The same value again is written again.
        const size_t writes = written.size();
        (control.*p.set)(value);
        EXPECT_EQ(written.size(), writes + 1);
    }
    control.SetColorEnable(false);
    expected.lColorEnable = 0;
    EXPECT_EQ(Text(written.back()), Text(expected));
    EXPECT_EQ(written.size(), 2 * std::size(kProperties) + 1);
}

TEST_F(ColorControlTest, WhileTheGraphIsActiveEveryGetReadsTheMixersValues) {
    mixer.Input(0).driver_controls = Controls(1234, 5678, -12, 9000, 7, 3, 0);
    ActivateWith({&mixer});
    for (const Property& p : kProperties) {
        SCOPED_TRACE(p.name);
        const int reads = mixer.Input(0).control_reads;
        EXPECT_EQ((control.*p.get)(), mixer.Input(0).driver_controls.*p.field);
        EXPECT_EQ(mixer.Input(0).control_reads, reads + 1);
    }
    EXPECT_FALSE(control.ColorEnable());
    EXPECT_EQ(Stored(), Text(Controls(1234, 5678, -12, 9000, 7, 3, 0)));
}

TEST_F(ColorControlTest, ARefusedReadResetsAllSevenToTheDefaults) {
    control.SetBrightness(5000);
    control.SetContrast(100);
    control.SetHue(90);
    control.SetSaturation(100);
    control.SetSharpness(9);
    control.SetGamma(300);
    control.SetColorEnable(false);
    ActivateWith({&mixer});
    mixer.Input(0).get_controls_result = E_FAIL;

    EXPECT_EQ(control.Hue(), 0);
    EXPECT_EQ(Stored(), kDefaults);
}

TEST_F(ColorControlTest, WithoutAnActiveGraphOrAMixerOnlyTheStoredValuesChange) {
    struct Case {
        const char* name;
        bool active;
        bool with_mixer;
    };
    for (const Case& c : {Case{"inactive graph", false, true}, Case{"no mixer", true, false}}) {
        SCOPED_TRACE(c.name);
        if (c.active) filter_graph_->SetActive(true);
        if (c.with_mixer) graph.AddFilter(&mixer, L"Overlay Mixer");
        control.SetBrightness(2000);
        control.SetColorEnable(false);
        EXPECT_EQ(control.Brightness(), 2000);
        EXPECT_FALSE(control.ColorEnable());
        control.SaveOverlayControls();
        control.RestoreOverlayControls();
        EXPECT_TRUE(mixer.Input(0).written_controls.empty());
        EXPECT_EQ(mixer.Input(0).control_reads, 0);
        filter_graph_->SetActive(false);
        graph.DropFilters();
    }
}

TEST_F(ColorControlTest, WithTwoMixersTheLaterOneInTheGraphIsUsed) {
    ActivateWith({&mixer, &mixer2});
    control.SetGamma(7);
    EXPECT_EQ(mixer2.Input(0).written_controls.size(), 1u);
    EXPECT_TRUE(mixer.Input(0).written_controls.empty());

    filter_graph_->SetActive(false);
    graph.DropFilters();
    ActivateWith({&mixer2, &mixer});
    control.SetGamma(8);
    EXPECT_EQ(mixer.Input(0).written_controls.size(), 1u);
    EXPECT_EQ(mixer2.Input(0).written_controls.size(), 1u);
}

TEST_F(ColorControlTest, CapabilitiesAreAllThereUntilTheDriversSettingsAreSavedThenFollowItsFlags) {
    const auto flags = [this] {
        return std::vector<bool>{caps.CanControlBrigtness(), caps.CanControlContrast(),  caps.CanControlHue(),
                                 caps.CanControlSaturation(), caps.CanControlSharpness(), caps.CanControlGamma(),
                                 caps.CanControlColorEnabled()};
    };
    EXPECT_EQ(flags(), std::vector<bool>(7, true));

    mixer.Input(0).driver_controls = Controls(4000, 9000, 0, 0, 0, 0, 1, DDCOLOR_BRIGHTNESS | DDCOLOR_CONTRAST);
    ActivateWith({&mixer});
    control.SaveOverlayControls();

    EXPECT_EQ(flags(), (std::vector<bool>{true, true, false, false, false, false, false}));
    EXPECT_EQ(control.SavedControls().lBrightness, 4000);
}

}  // namespace
}  // namespace wallcine::video
