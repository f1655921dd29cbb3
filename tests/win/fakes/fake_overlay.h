// Fakes of the video side of a graph, for the video window, its overlay set-up and its colour
// control, in the style of fake_filter.h:
//  - VideoWindowRecorder: an IVideoWindow that keeps what the component sets on it.
//  - FakeVideoRenderer: the Video Renderer the component creates for itself (class id, one
//    input pin, IVideoWindow, IBasicVideo2 with a source rectangle, IMediaFilter::Stop).
//  - FakeVmr: a Video Mixing Renderer with two inputs (video, sub-picture) and IVideoWindow.
//  - FakeLine21Decoder: a Line 21 Decoder or Line 21 Decoder 2 (input, output).
//  - FakeOverlayMixer: the Overlay Mixer. Its inputs grow by one whenever the last free input
//    gets connected, as the real mixer's do; each input answers IMixerPinConfig2 (colour key,
//    aspect ratio mode, colour controls); the mixer answers IDDrawExclModeVideo, keeps the
//    callback handed to it and lets a test call that callback, from a thread of its own too.
//  - OverlayRig: the whole set-up the video window tests share: fake graph and factory, a real
//    TFilterGraph and a TDSVideoWindowEx2 registered with it, and rendered topologies.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "win/dshow.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_dshow.h"
#include "fakes/test_windows.h"
#include "fakes/fake_filter.h"
#include "fakes/fake_graph.h"
#include "media/filter_graph.h"
#include "video/video_window.h"
#include "win/object_factory.h"
#include "win/overlay_declarations.h"
#include "win/unique_handle.h"

namespace wallcine::test {

// The class ids the component tells filters apart by, written out here rather than taken from
// the code under test.
extern const CLSID kVideoRendererClass;        // {70E102B0-5556-11CE-97C0-00AA0055595A}
extern const CLSID kOverlayMixerClass;         // {CD8743A1-3736-11D0-9E69-00C04FD7C15B}
extern const CLSID kOverlayMixer2Class;        // {A0025E90-E45B-11D1-ABE9-00A0C905F375}
extern const CLSID kVideoMixingRendererClass;  // {B87BEB7B-8D29-423F-AE4D-6582C10175AC}
extern const CLSID kLine21DecoderClass;        // {6E8D4A20-310C-11D0-B79A-00AA003767A7}
extern const CLSID kLine21Decoder2Class;       // {E4206432-01A1-4BEE-B3E1-3702C8EDC574}
extern const CLSID kDecoderClass;              // any other filter (a source, a decoder)

// The IVideoWindow part of a renderer: every call the component may make is recorded by name,
// in order, and the values set are kept. IUnknown is left to the filter that embeds it.
class VideoWindowRecorder : public IVideoWindow {
public:
    explicit VideoWindowRecorder(std::string label) : window_label_(std::move(label)) {}
    virtual ~VideoWindowRecorder() = default;

    std::vector<std::string> window_calls;
    OAHWND owner = 0;
    long style = 0;
    long style_ex = 0;
    RECT position{};  // left, top, width, height as SetWindowPosition got them
    std::wstring caption;
    OAHWND message_drain = 0;
    long auto_show = -2;  // neither OATRUE nor OAFALSE until set
    long visible = OAFALSE;
    long cursor_hidden = OAFALSE;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return UnexpectedWindowCall("GetTypeInfoCount"); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {
        return UnexpectedWindowCall("GetTypeInfo");
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return UnexpectedWindowCall("GetIDsOfNames");
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return UnexpectedWindowCall("Invoke");
    }

    HRESULT STDMETHODCALLTYPE put_Caption(BSTR text) override;
    HRESULT STDMETHODCALLTYPE get_Caption(BSTR*) override { return UnexpectedWindowCall("get_Caption"); }
    HRESULT STDMETHODCALLTYPE put_WindowStyle(long value) override;
    HRESULT STDMETHODCALLTYPE get_WindowStyle(long*) override { return UnexpectedWindowCall("get_WindowStyle"); }
    HRESULT STDMETHODCALLTYPE put_WindowStyleEx(long value) override;
    HRESULT STDMETHODCALLTYPE get_WindowStyleEx(long*) override { return UnexpectedWindowCall("get_WindowStyleEx"); }
    HRESULT STDMETHODCALLTYPE put_AutoShow(long value) override;
    HRESULT STDMETHODCALLTYPE get_AutoShow(long*) override { return UnexpectedWindowCall("get_AutoShow"); }
    HRESULT STDMETHODCALLTYPE put_WindowState(long) override { return UnexpectedWindowCall("put_WindowState"); }
    HRESULT STDMETHODCALLTYPE get_WindowState(long*) override { return UnexpectedWindowCall("get_WindowState"); }
    HRESULT STDMETHODCALLTYPE put_BackgroundPalette(long) override {
        return UnexpectedWindowCall("put_BackgroundPalette");
    }
    HRESULT STDMETHODCALLTYPE get_BackgroundPalette(long*) override {
        return UnexpectedWindowCall("get_BackgroundPalette");
    }
    HRESULT STDMETHODCALLTYPE put_Visible(long value) override;
    HRESULT STDMETHODCALLTYPE get_Visible(long* value) override;
    HRESULT STDMETHODCALLTYPE put_Left(long) override { return UnexpectedWindowCall("put_Left"); }
    HRESULT STDMETHODCALLTYPE get_Left(long*) override { return UnexpectedWindowCall("get_Left"); }
    HRESULT STDMETHODCALLTYPE put_Width(long) override { return UnexpectedWindowCall("put_Width"); }
    HRESULT STDMETHODCALLTYPE get_Width(long*) override { return UnexpectedWindowCall("get_Width"); }
    HRESULT STDMETHODCALLTYPE put_Top(long) override { return UnexpectedWindowCall("put_Top"); }
    HRESULT STDMETHODCALLTYPE get_Top(long*) override { return UnexpectedWindowCall("get_Top"); }
    HRESULT STDMETHODCALLTYPE put_Height(long) override { return UnexpectedWindowCall("put_Height"); }
    HRESULT STDMETHODCALLTYPE get_Height(long*) override { return UnexpectedWindowCall("get_Height"); }
    HRESULT STDMETHODCALLTYPE put_Owner(OAHWND value) override;
    HRESULT STDMETHODCALLTYPE get_Owner(OAHWND*) override { return UnexpectedWindowCall("get_Owner"); }
    HRESULT STDMETHODCALLTYPE put_MessageDrain(OAHWND value) override;
    HRESULT STDMETHODCALLTYPE get_MessageDrain(OAHWND*) override { return UnexpectedWindowCall("get_MessageDrain"); }
    HRESULT STDMETHODCALLTYPE get_BorderColor(long*) override { return UnexpectedWindowCall("get_BorderColor"); }
    HRESULT STDMETHODCALLTYPE put_BorderColor(long) override { return UnexpectedWindowCall("put_BorderColor"); }
    HRESULT STDMETHODCALLTYPE get_FullScreenMode(long*) override { return UnexpectedWindowCall("get_FullScreenMode"); }
    HRESULT STDMETHODCALLTYPE put_FullScreenMode(long) override { return UnexpectedWindowCall("put_FullScreenMode"); }
    HRESULT STDMETHODCALLTYPE SetWindowForeground(long) override { return UnexpectedWindowCall("SetWindowForeground"); }
    HRESULT STDMETHODCALLTYPE NotifyOwnerMessage(OAHWND, long, LONG_PTR, LONG_PTR) override {
        return UnexpectedWindowCall("NotifyOwnerMessage");
    }
    HRESULT STDMETHODCALLTYPE SetWindowPosition(long left, long top, long width, long height) override;
    HRESULT STDMETHODCALLTYPE GetWindowPosition(long*, long*, long*, long*) override {
        return UnexpectedWindowCall("GetWindowPosition");
    }
    HRESULT STDMETHODCALLTYPE GetMinIdealImageSize(long*, long*) override {
        return UnexpectedWindowCall("GetMinIdealImageSize");
    }
    HRESULT STDMETHODCALLTYPE GetMaxIdealImageSize(long*, long*) override {
        return UnexpectedWindowCall("GetMaxIdealImageSize");
    }
    HRESULT STDMETHODCALLTYPE GetRestorePosition(long*, long*, long*, long*) override {
        return UnexpectedWindowCall("GetRestorePosition");
    }
    // The cursor calls may come from any stray mouse message, so they are answered, not failed.
    HRESULT STDMETHODCALLTYPE HideCursor(long hide) override;
    HRESULT STDMETHODCALLTYPE IsCursorHidden(long* hidden) override;

protected:
    HRESULT UnexpectedWindowCall(const char* method) const;

private:
    std::string window_label_;
};

class FakeVideoRenderer : public FakeFilter, public VideoWindowRecorder, public IBasicVideo2 {
public:
    explicit FakeVideoRenderer(Trace& trace, std::wstring name = L"Video Renderer");

    FakePin input{*this, L"Input", PINDIR_INPUT};

    // Knobs: whether IBasicVideo2 is answered, the picture SetDefaultSourcePosition and
    // GetVideoSize show, and the preferred aspect ratio (0 x 0: "not known", an error).
    bool has_basic_video = true;
    long video_width = 640;
    long video_height = 480;
    long aspect_x = 0;
    long aspect_y = 0;
    // State: the source rectangle, and IBasicVideo2's calls as "put_SourceWidth 320" lines.
    long source_left = 0, source_top = 0, source_width = 0, source_height = 0;
    std::vector<std::string> basic_video_calls;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    WALLCINE_FAKE_REFCOUNT
    // Writes "<label>.Stop" to the trace.
    HRESULT STDMETHODCALLTYPE Stop() override;

    // IDispatch of both automation interfaces.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return UnexpectedWindowCall("GetTypeInfoCount"); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {
        return UnexpectedWindowCall("GetTypeInfo");
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return UnexpectedWindowCall("GetIDsOfNames");
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return UnexpectedWindowCall("Invoke");
    }

    // IBasicVideo / IBasicVideo2
    HRESULT STDMETHODCALLTYPE get_AvgTimePerFrame(REFTIME*) override { return Unexpected("get_AvgTimePerFrame"); }
    HRESULT STDMETHODCALLTYPE get_BitRate(long*) override { return Unexpected("get_BitRate"); }
    HRESULT STDMETHODCALLTYPE get_BitErrorRate(long*) override { return Unexpected("get_BitErrorRate"); }
    HRESULT STDMETHODCALLTYPE get_VideoWidth(long*) override { return Unexpected("get_VideoWidth"); }
    HRESULT STDMETHODCALLTYPE get_VideoHeight(long*) override { return Unexpected("get_VideoHeight"); }
    HRESULT STDMETHODCALLTYPE put_SourceLeft(long value) override;
    HRESULT STDMETHODCALLTYPE get_SourceLeft(long* value) override;
    HRESULT STDMETHODCALLTYPE put_SourceWidth(long value) override;
    HRESULT STDMETHODCALLTYPE get_SourceWidth(long* value) override;
    HRESULT STDMETHODCALLTYPE put_SourceTop(long value) override;
    HRESULT STDMETHODCALLTYPE get_SourceTop(long* value) override;
    HRESULT STDMETHODCALLTYPE put_SourceHeight(long value) override;
    HRESULT STDMETHODCALLTYPE get_SourceHeight(long* value) override;
    HRESULT STDMETHODCALLTYPE put_DestinationLeft(long) override { return Unexpected("put_DestinationLeft"); }
    HRESULT STDMETHODCALLTYPE get_DestinationLeft(long*) override { return Unexpected("get_DestinationLeft"); }
    HRESULT STDMETHODCALLTYPE put_DestinationWidth(long) override { return Unexpected("put_DestinationWidth"); }
    HRESULT STDMETHODCALLTYPE get_DestinationWidth(long*) override { return Unexpected("get_DestinationWidth"); }
    HRESULT STDMETHODCALLTYPE put_DestinationTop(long) override { return Unexpected("put_DestinationTop"); }
    HRESULT STDMETHODCALLTYPE get_DestinationTop(long*) override { return Unexpected("get_DestinationTop"); }
    HRESULT STDMETHODCALLTYPE put_DestinationHeight(long) override { return Unexpected("put_DestinationHeight"); }
    HRESULT STDMETHODCALLTYPE get_DestinationHeight(long*) override { return Unexpected("get_DestinationHeight"); }
    HRESULT STDMETHODCALLTYPE SetSourcePosition(long, long, long, long) override {
        return Unexpected("SetSourcePosition");
    }
    HRESULT STDMETHODCALLTYPE GetSourcePosition(long*, long*, long*, long*) override {
        return Unexpected("GetSourcePosition");
    }
    HRESULT STDMETHODCALLTYPE SetDefaultSourcePosition() override;
    HRESULT STDMETHODCALLTYPE SetDestinationPosition(long, long, long, long) override {
        return Unexpected("SetDestinationPosition");
    }
    HRESULT STDMETHODCALLTYPE GetDestinationPosition(long*, long*, long*, long*) override {
        return Unexpected("GetDestinationPosition");
    }
    HRESULT STDMETHODCALLTYPE SetDefaultDestinationPosition() override {
        return Unexpected("SetDefaultDestinationPosition");
    }
    HRESULT STDMETHODCALLTYPE GetVideoSize(long* width, long* height) override;
    HRESULT STDMETHODCALLTYPE GetVideoPaletteEntries(long, long, long*, long*) override {
        return Unexpected("GetVideoPaletteEntries");
    }
    HRESULT STDMETHODCALLTYPE GetCurrentImage(long*, long*) override { return Unexpected("GetCurrentImage"); }
    HRESULT STDMETHODCALLTYPE IsUsingDefaultSource() override { return Unexpected("IsUsingDefaultSource"); }
    HRESULT STDMETHODCALLTYPE IsUsingDefaultDestination() override { return Unexpected("IsUsingDefaultDestination"); }
    HRESULT STDMETHODCALLTYPE GetPreferredAspectRatio(long* x, long* y) override;

private:
    Trace& trace_;
};

class FakeVmr : public FakeFilter, public VideoWindowRecorder {
public:
    explicit FakeVmr(Trace& trace);

    FakePin video_in{*this, L"VMR Input0", PINDIR_INPUT};
    FakePin subpicture_in{*this, L"VMR Input1", PINDIR_INPUT};

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    WALLCINE_FAKE_REFCOUNT
};

class FakeLine21Decoder : public FakeFilter {
public:
    FakeLine21Decoder(std::wstring name, const CLSID& clsid, Trace* trace);

    FakePin input{*this, L"In", PINDIR_INPUT};
    FakePin output{*this, L"Out", PINDIR_OUTPUT};
};

class FakeOverlayMixer;

class FakeMixerInputPin final : public FakePin, public win::IMixerPinConfig2 {
public:
    FakeMixerInputPin(FakeOverlayMixer& mixer, std::wstring name);

    // Knobs.
    bool has_pin_config = true;
    COLORKEY color_key{CK_RGB, 0, 0x00100010, 0x00100010};
    HRESULT set_aspect_result = S_OK;
    // What GetOverlaySurfaceColorControls gives (the driver's settings), or its failure.
    DDCOLORCONTROL driver_controls{};
    HRESULT get_controls_result = S_OK;
    // State (the colour-control calls also go to the mixer's trace as
    // "mixer.Input0.GetOverlaySurfaceColorControls" and "...Set...").
    std::vector<win::AM_ASPECT_RATIO_MODE> aspect_modes;
    std::vector<DDCOLORCONTROL> written_controls;
    int control_reads = 0;
    int color_key_reads = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    WALLCINE_FAKE_REFCOUNT
    // Accepts the connection, then lets the mixer add an input if none is free any more.
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;

    HRESULT STDMETHODCALLTYPE SetRelativePosition(DWORD, DWORD, DWORD, DWORD) override {
        return Unexpected("SetRelativePosition");
    }
    HRESULT STDMETHODCALLTYPE GetRelativePosition(DWORD*, DWORD*, DWORD*, DWORD*) override {
        return Unexpected("GetRelativePosition");
    }
    HRESULT STDMETHODCALLTYPE SetZOrder(DWORD) override { return Unexpected("SetZOrder"); }
    HRESULT STDMETHODCALLTYPE GetZOrder(DWORD*) override { return Unexpected("GetZOrder"); }
    HRESULT STDMETHODCALLTYPE SetColorKey(COLORKEY*) override { return Unexpected("SetColorKey"); }
    HRESULT STDMETHODCALLTYPE GetColorKey(COLORKEY* key, DWORD* color) override;
    HRESULT STDMETHODCALLTYPE SetBlendingParameter(DWORD) override { return Unexpected("SetBlendingParameter"); }
    HRESULT STDMETHODCALLTYPE GetBlendingParameter(DWORD*) override { return Unexpected("GetBlendingParameter"); }
    HRESULT STDMETHODCALLTYPE SetAspectRatioMode(win::AM_ASPECT_RATIO_MODE mode) override;
    HRESULT STDMETHODCALLTYPE GetAspectRatioMode(win::AM_ASPECT_RATIO_MODE*) override {
        return Unexpected("GetAspectRatioMode");
    }
    HRESULT STDMETHODCALLTYPE SetStreamTransparent(BOOL) override { return Unexpected("SetStreamTransparent"); }
    HRESULT STDMETHODCALLTYPE GetStreamTransparent(BOOL*) override { return Unexpected("GetStreamTransparent"); }
    HRESULT STDMETHODCALLTYPE SetOverlaySurfaceColorControls(LPDDCOLORCONTROL controls) override;
    HRESULT STDMETHODCALLTYPE GetOverlaySurfaceColorControls(LPDDCOLORCONTROL controls) override;

private:
    FakeOverlayMixer& mixer_;
};

class FakeOverlayMixer final : public FakeFilter, public IDDrawExclModeVideo {
public:
    // Pins "Input0" and "Output", in that order, or the other way round with `output_first`.
    explicit FakeOverlayMixer(Trace* trace = nullptr, const CLSID& clsid = kOverlayMixerClass, bool output_first = false,
                              std::wstring name = L"Overlay Mixer");
    ~FakeOverlayMixer() override;

    // Knobs.
    HRESULT find_pin_result = S_OK;  // a failure FindPin returns instead of the pin
    bool has_excl_mode = true;       // whether IDDrawExclModeVideo is answered
    HRESULT set_callback_result = S_OK;
    DWORD native_width = 720, native_height = 576, aspect_x = 16, aspect_y = 9;

    FakeMixerInputPin& Input(size_t index) { return *inputs_.at(index); }
    size_t InputCount() const noexcept { return inputs_.size(); }
    FakePin& Output() { return *output_; }
    // The callback SetCallbackInterface last stored (the mixer holds a reference), or null.
    IDDrawExclModeVideoCallback* Callback() const noexcept { return callback_; }
    // Calls the stored callback as the mixer does, on this thread or on a thread of its own;
    // returns what the callback answered.
    HRESULT ReportColorKey(COLORREF high_color, bool from_other_thread = false);
    HRESULT ReportSize(DWORD width, DWORD height, DWORD aspect_width, DWORD aspect_height,
                       bool from_other_thread = false);
    // The mixer and all its pins, for the reference check.
    std::vector<const FakeComObject*> Objects() const;
    // Called by an input that just got connected.
    void InputConnected();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    WALLCINE_FAKE_REFCOUNT
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR name, IPin** pin) override;

    // IDDrawExclModeVideo
    HRESULT STDMETHODCALLTYPE SetDDrawObject(IDirectDraw*) override { return Unexpected("SetDDrawObject"); }
    HRESULT STDMETHODCALLTYPE GetDDrawObject(IDirectDraw**, WINBOOL*) override { return Unexpected("GetDDrawObject"); }
    HRESULT STDMETHODCALLTYPE SetDDrawSurface(IDirectDrawSurface*) override { return Unexpected("SetDDrawSurface"); }
    HRESULT STDMETHODCALLTYPE GetDDrawSurface(IDirectDrawSurface**, WINBOOL*) override {
        return Unexpected("GetDDrawSurface");
    }
    HRESULT STDMETHODCALLTYPE SetDrawParameters(const RECT*, const RECT*) override {
        return Unexpected("SetDrawParameters");
    }
    HRESULT STDMETHODCALLTYPE GetNativeVideoProps(DWORD* width, DWORD* height, DWORD* aspect_x_out,
                                                  DWORD* aspect_y_out) override;
    // Writes "mixer.SetCallbackInterface set|null <flags>" to the trace.
    HRESULT STDMETHODCALLTYPE SetCallbackInterface(IDDrawExclModeVideoCallback* callback, DWORD flags) override;

private:
    FakeMixerInputPin& AddInput();

    std::vector<std::unique_ptr<FakeMixerInputPin>> inputs_;
    std::unique_ptr<FakePin> output_;
    IDDrawExclModeVideoCallback* callback_ = nullptr;  // one reference held
};

// --- The shared set-up -------------------------------------------------------------------------


// Every connected pin with its peer, by label, for comparing whole topologies (a mixer input
// that appeared and stayed free does not count as a change).
using ConnectionMap = std::map<std::string, std::string>;

// A fake graph manager behind a real TFilterGraph, with a TDSVideoWindowEx2 named "Video_Window"
// registered with it (not yet active), 400 x 300 in the suite's parent. The factory hands out
// `renderer` for the Video Renderer, `mixer` for the Overlay Mixer and `line21` for the Line 21
// Decoder. The other fakes form the rendered graphs a test picks.
class OverlayRig {
public:
    OverlayRig();
    virtual ~OverlayRig();
    OverlayRig(const OverlayRig&) = delete;
    OverlayRig& operator=(const OverlayRig&) = delete;

    win::com_init_scope com;
    Trace trace;
    FakeFilterGraph graph{trace};
    FakeObjectFactory factory{trace, graph};
    win::ScopedObjectFactory factory_scope{factory};

    FakeVideoRenderer renderer{trace};
    FakeOverlayMixer mixer{&trace};
    FakeLine21Decoder line21{L"Line21 Decoder", kLine21DecoderClass, &trace};

    // A DVD-like decoder with video, sub-picture and closed-caption outputs.
    FakeFilter decoder{L"Decoder", &trace};
    FakePin video_out{decoder, L"Video", PINDIR_OUTPUT};
    FakePin subpicture_out{decoder, L"SubPicture", PINDIR_OUTPUT};
    FakePin captions_out{decoder, L"CC", PINDIR_OUTPUT};
    FakeVmr vmr{trace};
    FakeLine21Decoder line21_2{L"Line 21 Decoder 2", kLine21Decoder2Class, &trace};

    std::optional<media::TFilterGraph> filter_graph;
    std::unique_ptr<video::TDSVideoWindowEx2> window;

    void Activate();
    // What a render leaves in the graph: the decoder's video straight into our renderer, or
    // video and sub-picture (or captions through Line 21 Decoder 2) into a VMR. Activates first.
    void RenderDirect();
    // Renders `file` through the TFilterGraph with the builder doing RenderDirect, as a clip whose
    // video goes straight to our renderer; the render-done event then sets the overlay up.
    HRESULT RenderFileDirect(const wchar_t* file);
    void RenderToVmr(bool captions);
    // The decoder in the graph feeding the mixer, which feeds our renderer: what a successful
    // set-up leaves. Activates first.
    void RenderThroughMixer();

    ConnectionMap Connections();
    // The window and the component go (the window first, as its form destroys it), the graph
    // lets go of its filters, the test undoes its own connections; then every fake must be
    // back at the test's reference.
    void ReleaseAll();
    void ExpectEveryReferenceBack();

private:
    std::vector<FakePin*> AllPins();
    std::vector<const FakeComObject*> AllObjects();
};

}  // namespace wallcine::test
