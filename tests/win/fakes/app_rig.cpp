#include "fakes/app_rig.h"

#include <gtest/gtest.h>

#include <winerror.h>

#include "app/playback_state.h"
#include "fakes/test_windows.h"

namespace wallcine::test {

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> result;
    for (const auto& line : lines)
        if (line.starts_with(prefix)) result.push_back(line);
    return result;
}

std::string SeekWhileRunning(const std::vector<std::string>& lines) {
    bool running = false;
    for (const auto& line : lines) {
        if (line == "control.Run") running = true;
        else if (line == "control.Stop") running = false;
        else if (running && line.starts_with("position.put_CurrentPosition")) return line;
    }
    return {};
}

AppRig::AppRig(std::string first_argument_) : first_argument(std::move(first_argument_)) {
    factory.Provide(CLSID_VideoRenderer, static_cast<IBaseFilter*>(&renderer));
    // As under Wine: no Overlay Mixer, so the video stays in the renderer's own window.
    factory.Refuse(CLSID_OverlayMixer, REGDB_E_CLASSNOTREG);
    source.class_id = kDecoderClass;
    graph.on_render = [this](FakeFilterGraph& rendered, const std::wstring&) {
        rendered.AddFilter(&source, L"Source");
        ConnectPins(source_video, renderer.input);
    };
    graph.duration = 2.0;
}

AppRig::~AppRig() {
    DestroyForms();
    graph.DropFilters();
    for (FakePin* pin : {&source_video, &renderer.input}) pin->Disconnect();
    ExpectOnlyOwnerReferences({&graph, &renderer, &source, &source_video, &renderer.input});
}

void AppRig::CreateForms() {
    forms = std::make_unique<app::ApplicationForms>(first_argument, winmm.Api());
    form1 = &forms->Main();
    form2 = forms->PlayingControl();
    form3 = forms->Playlist();
    form4 = forms->ActiveFilters();
}

void AppRig::DestroyForms() {
    form1 = nullptr;
    form2 = nullptr;
    form3 = nullptr;
    form4 = nullptr;
    forms.reset();
    app::ResetPlaybackState();
    PumpMessages();
}

void AppRig::Tick() {
    ASSERT_TRUE(form1 && form1->mmtimer1.Enabled()) << "the supervision tick is off";
    winmm.Tick(form1->mmtimer1.TimerID());
    PumpMessages();
}

std::vector<std::string> AppRig::TraceFrom(size_t first) const {
    if (first >= trace.size()) return {};
    return {trace.begin() + static_cast<std::ptrdiff_t>(first), trace.end()};
}

}  // namespace wallcine::test
