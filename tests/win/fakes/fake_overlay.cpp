#include "fakes/fake_overlay.h"

#include <gtest/gtest.h>

#include <thread>
#include <utility>

#include "core/errors.h"

namespace wallcine::test {

const CLSID kVideoRendererClass = {0x70E102B0, 0x5556, 0x11CE, {0x97, 0xC0, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
const CLSID kOverlayMixerClass = {0xCD8743A1, 0x3736, 0x11D0, {0x9E, 0x69, 0x00, 0xC0, 0x4F, 0xD7, 0xC1, 0x5B}};
const CLSID kOverlayMixer2Class = {0xA0025E90, 0xE45B, 0x11D1, {0xAB, 0xE9, 0x00, 0xA0, 0xC9, 0x05, 0xF3, 0x75}};
const CLSID kVideoMixingRendererClass = {0xB87BEB7B, 0x8D29, 0x423F, {0xAE, 0x4D, 0x65, 0x82, 0xC1, 0x01, 0x75, 0xAC}};
const CLSID kLine21DecoderClass = {0x6E8D4A20, 0x310C, 0x11D0, {0xB7, 0x9A, 0x00, 0xAA, 0x00, 0x37, 0x67, 0xA7}};
const CLSID kLine21Decoder2Class = {0xE4206432, 0x01A1, 0x4BEE, {0xB3, 0xE1, 0x37, 0x02, 0xC8, 0xED, 0xC5, 0x74}};
const CLSID kDecoderClass = {0x0A11CE00, 0x0000, 0x4000, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}};

// --- VideoWindowRecorder ------------------------------------------------------------------------

HRESULT VideoWindowRecorder::UnexpectedWindowCall(const char* method) const {
    ADD_FAILURE() << window_label_ << ": unexpected call " << method;
    return E_NOTIMPL;
}

HRESULT VideoWindowRecorder::put_Caption(BSTR text) {
    window_calls.push_back("put_Caption");
    caption = text ? text : L"";
    return S_OK;
}

HRESULT VideoWindowRecorder::put_WindowStyle(long value) {
    window_calls.push_back("put_WindowStyle");
    style = value;
    return S_OK;
}

HRESULT VideoWindowRecorder::put_WindowStyleEx(long value) {
    window_calls.push_back("put_WindowStyleEx");
    style_ex = value;
    return S_OK;
}

HRESULT VideoWindowRecorder::put_AutoShow(long value) {
    window_calls.push_back("put_AutoShow");
    auto_show = value;
    return S_OK;
}

HRESULT VideoWindowRecorder::put_Owner(OAHWND value) {
    window_calls.push_back("put_Owner");
    owner = value;
    return S_OK;
}

HRESULT VideoWindowRecorder::put_Visible(long value) {
    window_calls.push_back(value == OATRUE ? "put_Visible true" : "put_Visible false");
    visible = value;
    return S_OK;
}

HRESULT VideoWindowRecorder::get_Visible(long* value) {
    if (!value) return E_POINTER;
    *value = visible;
    return S_OK;
}

HRESULT VideoWindowRecorder::put_MessageDrain(OAHWND value) {
    window_calls.push_back("put_MessageDrain");
    message_drain = value;
    return S_OK;
}

HRESULT VideoWindowRecorder::SetWindowPosition(long left, long top, long width, long height) {
    window_calls.push_back("SetWindowPosition");
    position = {left, top, width, height};
    return S_OK;
}

HRESULT VideoWindowRecorder::HideCursor(long hide) {
    window_calls.push_back("HideCursor");
    cursor_hidden = hide;
    return S_OK;
}

HRESULT VideoWindowRecorder::IsCursorHidden(long* hidden) {
    if (!hidden) return E_POINTER;
    *hidden = cursor_hidden;
    return S_OK;
}

// --- FakeVideoRenderer --------------------------------------------------------------------------

FakeVideoRenderer::FakeVideoRenderer(Trace& trace, std::wstring name)
    : FakeFilter(name, &trace), VideoWindowRecorder("renderer " + Narrow(name)), trace_(trace) {
    class_id = kVideoRendererClass;
}

HRESULT FakeVideoRenderer::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == __uuidof(IVideoWindow)) {
        *object = static_cast<IVideoWindow*>(this);
    } else if (iid == __uuidof(IBasicVideo) || iid == __uuidof(IBasicVideo2)) {
        if (!has_basic_video) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IBasicVideo2*>(this);
    } else {
        return FakeFilter::QueryInterface(iid, object);
    }
    AddRef();
    return S_OK;
}

HRESULT FakeVideoRenderer::Stop() {
    trace_.push_back(Label() + ".Stop");
    return S_OK;
}

HRESULT FakeVideoRenderer::SetDefaultSourcePosition() {
    basic_video_calls.push_back("SetDefaultSourcePosition");
    source_left = 0;
    source_top = 0;
    source_width = video_width;
    source_height = video_height;
    return S_OK;
}

namespace {

HRESULT Put(std::vector<std::string>& calls, const char* name, long& field, long value) {
    calls.push_back(std::string(name) + " " + std::to_string(value));
    field = value;
    return S_OK;
}

HRESULT Get(long field, long* value) {
    if (!value) return E_POINTER;
    *value = field;
    return S_OK;
}

}  // namespace

HRESULT FakeVideoRenderer::put_SourceLeft(long value) {
    return Put(basic_video_calls, "put_SourceLeft", source_left, value);
}
HRESULT FakeVideoRenderer::put_SourceTop(long value) { return Put(basic_video_calls, "put_SourceTop", source_top, value); }
HRESULT FakeVideoRenderer::put_SourceWidth(long value) {
    return Put(basic_video_calls, "put_SourceWidth", source_width, value);
}
HRESULT FakeVideoRenderer::put_SourceHeight(long value) {
    return Put(basic_video_calls, "put_SourceHeight", source_height, value);
}
HRESULT FakeVideoRenderer::GetVideoSize(long* width, long* height) {
    if (!width || !height) return E_POINTER;
    *width = video_width;
    *height = video_height;
    return S_OK;
}

HRESULT FakeVideoRenderer::GetPreferredAspectRatio(long* x, long* y) {
    if (!x || !y) return E_POINTER;
    if (aspect_x <= 0 || aspect_y <= 0) return E_FAIL;
    *x = aspect_x;
    *y = aspect_y;
    return S_OK;
}

HRESULT FakeVideoRenderer::get_SourceLeft(long* value) { return Get(source_left, value); }
HRESULT FakeVideoRenderer::get_SourceTop(long* value) { return Get(source_top, value); }
HRESULT FakeVideoRenderer::get_SourceWidth(long* value) { return Get(source_width, value); }
HRESULT FakeVideoRenderer::get_SourceHeight(long* value) { return Get(source_height, value); }

// --- FakeVmr and the Line 21 decoders -----------------------------------------------------------

FakeVmr::FakeVmr(Trace& trace) : FakeFilter(L"Video Mixing Renderer", &trace), VideoWindowRecorder("VMR") {
    class_id = kVideoMixingRendererClass;
}

HRESULT FakeVmr::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid != __uuidof(IVideoWindow)) return FakeFilter::QueryInterface(iid, object);
    *object = static_cast<IVideoWindow*>(this);
    AddRef();
    return S_OK;
}

FakeLine21Decoder::FakeLine21Decoder(std::wstring name, const CLSID& clsid, Trace* trace)
    : FakeFilter(std::move(name), trace) {
    class_id = clsid;
}

// --- FakeMixerInputPin --------------------------------------------------------------------------

FakeMixerInputPin::FakeMixerInputPin(FakeOverlayMixer& mixer, std::wstring name)
    : FakePin(mixer, std::move(name), PINDIR_INPUT), mixer_(mixer) {
    driver_controls.dwSize = sizeof driver_controls;
    driver_controls.dwFlags = DDCOLOR_BRIGHTNESS | DDCOLOR_CONTRAST | DDCOLOR_HUE | DDCOLOR_SATURATION |
                              DDCOLOR_SHARPNESS | DDCOLOR_GAMMA | DDCOLOR_COLORENABLE;
    driver_controls.lBrightness = 750;
    driver_controls.lContrast = 10000;
    driver_controls.lSaturation = 10000;
    driver_controls.lSharpness = 5;
    driver_controls.lGamma = 1;
    driver_controls.lColorEnable = 1;
}

HRESULT FakeMixerInputPin::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == __uuidof(win::IMixerPinConfig) || iid == __uuidof(win::IMixerPinConfig2)) {
        if (!has_pin_config) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<win::IMixerPinConfig2*>(this);
        AddRef();
        return S_OK;
    }
    return FakePin::QueryInterface(iid, object);
}

HRESULT FakeMixerInputPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) {
    const HRESULT hr = FakePin::ReceiveConnection(connector, type);
    if (SUCCEEDED(hr)) mixer_.InputConnected();
    return hr;
}

HRESULT FakeMixerInputPin::GetColorKey(COLORKEY* key, DWORD* color) {
    ++color_key_reads;
    if (!key) return E_POINTER;
    *key = color_key;
    if (color) *color = color_key.HighColorValue;
    return S_OK;
}

HRESULT FakeMixerInputPin::SetAspectRatioMode(win::AM_ASPECT_RATIO_MODE mode) {
    aspect_modes.push_back(mode);
    return set_aspect_result;
}

HRESULT FakeMixerInputPin::SetOverlaySurfaceColorControls(LPDDCOLORCONTROL controls) {
    if (Trace* trace = mixer_.TraceLog()) trace->push_back("mixer." + Narrow(Name()) + ".SetOverlaySurfaceColorControls");
    if (!controls) return E_POINTER;
    written_controls.push_back(*controls);
    return S_OK;
}

HRESULT FakeMixerInputPin::GetOverlaySurfaceColorControls(LPDDCOLORCONTROL controls) {
    ++control_reads;
    if (Trace* trace = mixer_.TraceLog()) trace->push_back("mixer." + Narrow(Name()) + ".GetOverlaySurfaceColorControls");
    if (!controls) return E_POINTER;
    if (FAILED(get_controls_result)) return get_controls_result;
    *controls = driver_controls;
    return S_OK;
}

// --- FakeOverlayMixer ---------------------------------------------------------------------------

FakeOverlayMixer::FakeOverlayMixer(Trace* trace, const CLSID& clsid, bool output_first, std::wstring name)
    : FakeFilter(std::move(name), trace) {
    class_id = clsid;
    if (output_first) output_ = std::make_unique<FakePin>(*this, L"Output", PINDIR_OUTPUT);
    AddInput();
    if (!output_first) output_ = std::make_unique<FakePin>(*this, L"Output", PINDIR_OUTPUT);
}

FakeOverlayMixer::~FakeOverlayMixer() {
    if (callback_) std::exchange(callback_, nullptr)->Release();
}

FakeMixerInputPin& FakeOverlayMixer::AddInput() {
    inputs_.push_back(std::make_unique<FakeMixerInputPin>(*this, L"Input" + std::to_wstring(inputs_.size())));
    return *inputs_.back();
}

void FakeOverlayMixer::InputConnected() {
    for (const auto& input : inputs_)
        if (!input->IsConnected()) return;
    AddInput();
}

std::vector<const FakeComObject*> FakeOverlayMixer::Objects() const {
    std::vector<const FakeComObject*> objects{this, output_.get()};
    for (const auto& input : inputs_) objects.push_back(input.get());
    return objects;
}

HRESULT FakeOverlayMixer::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid != __uuidof(IDDrawExclModeVideo)) return FakeFilter::QueryInterface(iid, object);
    if (!has_excl_mode) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IDDrawExclModeVideo*>(this);
    AddRef();
    return S_OK;
}

HRESULT FakeOverlayMixer::FindPin(LPCWSTR name, IPin** pin) {
    if (!name || !pin) return E_POINTER;
    *pin = nullptr;
    if (Trace* trace = TraceLog()) trace->push_back("mixer.FindPin " + Narrow(name));
    if (FAILED(find_pin_result)) return find_pin_result;
    for (FakePin* candidate : pins) {
        if (candidate->Name() == name) {
            *pin = candidate;
            candidate->AddRef();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT FakeOverlayMixer::GetNativeVideoProps(DWORD* width, DWORD* height, DWORD* aspect_x_out,
                                              DWORD* aspect_y_out) {
    if (!width || !height || !aspect_x_out || !aspect_y_out) return E_POINTER;
    *width = native_width;
    *height = native_height;
    *aspect_x_out = aspect_x;
    *aspect_y_out = aspect_y;
    return S_OK;
}

HRESULT FakeOverlayMixer::SetCallbackInterface(IDDrawExclModeVideoCallback* callback, DWORD flags) {
    if (Trace* trace = TraceLog())
        trace->push_back(Format("mixer.SetCallbackInterface %s %lu", callback ? "set" : "null",
                                static_cast<unsigned long>(flags)));
    if (FAILED(set_callback_result)) return set_callback_result;
    if (callback) callback->AddRef();
    if (callback_) callback_->Release();
    callback_ = callback;
    return S_OK;
}

namespace {

template <class Call>
HRESULT OnMixerThread(bool other_thread, Call call) {
    if (!other_thread) return call();
    HRESULT result = E_UNEXPECTED;
    std::thread thread([&] { result = call(); });
    thread.join();
    return result;
}

}  // namespace

HRESULT FakeOverlayMixer::ReportColorKey(COLORREF high_color, bool from_other_thread) {
    IDDrawExclModeVideoCallback* callback = callback_;
    if (!callback) {
        ADD_FAILURE() << "the mixer has no callback to report the colour key to";
        return E_FAIL;
    }
    const COLORKEY key{CK_RGB, 0, high_color, high_color};
    return OnMixerThread(from_other_thread, [&] { return callback->OnUpdateColorKey(&key, high_color); });
}

HRESULT FakeOverlayMixer::ReportSize(DWORD width, DWORD height, DWORD aspect_width, DWORD aspect_height,
                                     bool from_other_thread) {
    IDDrawExclModeVideoCallback* callback = callback_;
    if (!callback) {
        ADD_FAILURE() << "the mixer has no callback to report the size to";
        return E_FAIL;
    }
    return OnMixerThread(from_other_thread,
                         [&] { return callback->OnUpdateSize(width, height, aspect_width, aspect_height); });
}

// --- The shared set-up --------------------------------------------------------------------------


OverlayRig::OverlayRig() {
    factory.Provide(CLSID_VideoRenderer, static_cast<IBaseFilter*>(&renderer));
    factory.Provide(CLSID_OverlayMixer, static_cast<IBaseFilter*>(&mixer));
    factory.Provide(CLSID_Line21Decoder, static_cast<IBaseFilter*>(&line21));
    decoder.class_id = kDecoderClass;
    filter_graph.emplace();
    // The graph chooses its clock, whatever platform the tests run on (the clock is
    // TFilterGraph's business, tested with it).
    filter_graph->SetOwnClock(false);
    window = std::make_unique<video::TDSVideoWindowEx2>(SuiteParentWindow(), "Video_Window");
    window->SetBounds(0, 0, 400, 300);
    window->SetFilterGraph(&*filter_graph);
}

OverlayRig::~OverlayRig() {
    window.reset();
    filter_graph.reset();
}

void OverlayRig::Activate() { filter_graph->SetActive(true); }

void OverlayRig::RenderDirect() {
    Activate();
    graph.AddFilter(&decoder, L"Decoder");
    ConnectPins(video_out, renderer.input);
}

HRESULT OverlayRig::RenderFileDirect(const wchar_t* file) {
    Activate();
    graph.on_render = [this](FakeFilterGraph&, const std::wstring&) { RenderDirect(); };
    return filter_graph->RenderFile(file);
}

void OverlayRig::RenderToVmr(bool captions) {
    Activate();
    graph.AddFilter(&decoder, L"Decoder");
    graph.AddFilter(&vmr, L"Video Mixing Renderer");
    ConnectPins(video_out, vmr.video_in);
    if (captions) {
        graph.AddFilter(&line21_2, L"Line 21 Decoder 2");
        ConnectPins(captions_out, line21_2.input);
        ConnectPins(line21_2.output, vmr.subpicture_in);
    } else {
        ConnectPins(subpicture_out, vmr.subpicture_in);
    }
}

void OverlayRig::RenderThroughMixer() {
    Activate();
    graph.AddFilter(&decoder, L"Decoder");
    graph.AddFilter(&mixer, L"Overlay Mixer");
    ConnectPins(video_out, mixer.Input(0));
    ConnectPins(mixer.Output(), renderer.input);
}

std::vector<FakePin*> OverlayRig::AllPins() {
    std::vector<FakePin*> all;
    for (FakeFilter* filter : std::initializer_list<FakeFilter*>{&renderer, &mixer, &line21, &decoder, &vmr, &line21_2})
        all.insert(all.end(), filter->pins.begin(), filter->pins.end());
    return all;
}

std::vector<const FakeComObject*> OverlayRig::AllObjects() {
    std::vector<const FakeComObject*> all{&graph, &renderer, &mixer, &line21, &decoder, &vmr, &line21_2};
    for (FakePin* pin : AllPins()) all.push_back(pin);
    return all;
}

ConnectionMap OverlayRig::Connections() {
    ConnectionMap map;
    for (FakePin* pin : AllPins()) {
        if (!pin->IsConnected()) continue;
        const auto* peer = dynamic_cast<const FakePin*>(pin->Peer());
        map[pin->Label()] = peer ? peer->Label() : "(foreign pin)";
    }
    return map;
}

void OverlayRig::ReleaseAll() {
    window.reset();
    filter_graph.reset();
    graph.remove_filter_result = S_OK;
    graph.DropFilters();
    for (FakePin* pin : AllPins()) {
        pin->disconnect_failure = S_OK;
        pin->Disconnect();
    }
}

void OverlayRig::ExpectEveryReferenceBack() { ExpectOnlyOwnerReferences(AllObjects()); }

}  // namespace wallcine::test
