// SetupOverlay: after a render, route the video through the Overlay Mixer (reusing a mixer
// already in place, taking the stream straight from the renderer's input, or moving every
// stream of a Video Mixing Renderer over), then register the overlay callback. Every connection
// change is recorded; any failure after the first one undoes them all, last first, and takes
// the mixer out again so the graph plays on as rendered. RefreshColorKey reads the key.
#include "win/dshow.h"

#include <vector>

#include "media/filter_list.h"
#include "video/video_window.h"
#include "win/object_factory.h"

namespace wallcine::video {

namespace {

// One connection change: made (the setup connected the pins) or broken (it disconnected them).
struct TConnection {
    enum Kind { Made = 0, Broken = 1 };
    win::com_ptr<IPin> out_pin;
    win::com_ptr<IPin> in_pin;
    Kind kind;
};

CLSID ClassOf(IBaseFilter* filter) {
    CLSID clsid = GUID_NULL;
    if (filter) filter->GetClassID(&clsid);
    return clsid;
}

win::com_ptr<IPin> PeerOf(IPin* pin) {
    win::com_ptr<IPin> peer;
    if (FAILED(pin->ConnectedTo(peer.put()))) peer.reset();
    return peer;
}

win::com_ptr<IBaseFilter> FilterOf(IPin* pin) {
    PIN_INFO info{};
    if (FAILED(pin->QueryPinInfo(&info))) return {};
    return win::com_ptr<IBaseFilter>::attach(info.pFilter);
}

bool IsInput(IPin* pin) {
    PIN_DIRECTION direction{};
    return SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_INPUT;
}

// The first pin of a filter, as its pin enumerator gives it.
HRESULT FirstPin(IBaseFilter* filter, win::com_ptr<IPin>& pin) {
    win::com_ptr<IEnumPins> pins;
    HRESULT hr = filter->EnumPins(pins.put());
    if (FAILED(hr)) return hr;
    hr = pins->Next(1, pin.put(), nullptr);
    if (hr != S_OK) {
        pin.reset();
        return FAILED(hr) ? hr : E_FAIL;
    }
    return S_OK;
}

}  // namespace

class OverlaySetup {
public:
    explicit OverlaySetup(TDSVideoWindowEx2& window) : w_(window) {}

    HRESULT Run() {
        const HRESULT hr = Rewire();
        undo_.clear();  // releases every recorded pin
        return hr;
    }

private:
    HRESULT Rewire() {
        Survey();
        HRESULT hr = w_.filter_graph_ ? w_.filter_graph_->QueryInterface(IID_IGraphBuilder, builder_.put_void())
                                      : E_NOINTERFACE;
        if (FAILED(hr)) return hr;

        if (w_.overlay_mixer_) {
            if (!MixerAlreadyFeedsRenderer()) return E_FAIL;
            return Callback();
        }

        if (FAILED(hr = win::CreateObject(CLSID_OverlayMixer, w_.overlay_mixer_))) return hr;
        if (FAILED(hr = builder_->AddFilter(w_.overlay_mixer_.get(), L"Overlay Mixer"))) {
            // A mixer that never joined the graph is not ours to hold on to.
            w_.overlay_mixer_.reset();
            return hr;
        }
        if (!w_.active_renderer_) return E_FAIL;
        if (FAILED(hr = FirstPin(w_.active_renderer_.get(), renderer_in_))) return hr;
        PIN_DIRECTION direction{};
        if (FAILED(hr = renderer_in_->QueryDirection(&direction))) return hr;
        // A renderer whose first pin is not its input cannot be fed: nothing was set up, so this
        // is no success.
        if (direction != PINDIR_INPUT) return E_FAIL;

        if (FAILED(hr = vmr_ ? VmrPath() : DirectPath())) return Undo(hr);
        if (FAILED(hr = MixerToRenderer())) return Undo(hr);
        return Callback();
    }

    // Steps 1-2: what the graph holds now.
    void Survey() {
        w_.overlay_mixer_.reset();
        w_.active_renderer_.reset();
        w_.overlay_checked_ = true;
        const media::TFilterList filters(w_.filter_graph_ ? w_.filter_graph_->Graph() : nullptr);
        for (int index = 0; index < filters.Count(); ++index) {
            IBaseFilter* filter = filters.Filters(index);
            const CLSID clsid = ClassOf(filter);
            if (clsid == CLSID_OverlayMixer)
                w_.overlay_mixer_ = win::com_ptr<IBaseFilter>::copy_from(filter);
            else if (clsid == CLSID_VideoMixingRenderer)
                vmr_ = win::com_ptr<IBaseFilter>::copy_from(filter);
            else if (clsid == CLSID_VideoRenderer)
                w_.active_renderer_ = win::com_ptr<IBaseFilter>::copy_from(filter);
        }
    }

    // A mixer found in the graph is reused when its output feeds our renderer and an input is in use.
    bool MixerAlreadyFeedsRenderer() {
        bool feeds_renderer = false;
        bool input_in_use = false;
        const media::TPinList pins(w_.overlay_mixer_.get());
        for (int index = 0; index < pins.Count(); ++index) {
            IPin* pin = pins.Pins(index);
            auto peer = PeerOf(pin);
            if (!peer) continue;
            if (IsInput(pin))
                input_in_use = true;
            else if (w_.active_renderer_ && FilterOf(peer.get()).get() == w_.active_renderer_.get())
                feeds_renderer = true;
        }
        return feeds_renderer && input_in_use;
    }

    HRESULT Disconnect(IPin* first, IPin* second) {
        HRESULT hr = first->Disconnect();
        if (SUCCEEDED(hr)) hr = second->Disconnect();
        return hr;
    }

    void Record(IPin* out_pin, IPin* in_pin, TConnection::Kind kind) {
        undo_.push_back({win::com_ptr<IPin>::copy_from(out_pin), win::com_ptr<IPin>::copy_from(in_pin), kind});
    }

    HRESULT Connect(IGraphBuilder& through, IPin* out_pin, IPin* in_pin) {
        const HRESULT hr = through.Connect(out_pin, in_pin);
        if (SUCCEEDED(hr)) Record(out_pin, in_pin, TConnection::Made);
        return hr;
    }

    // The first input of the mixer with nothing connected; the list is read afresh for every pin
    // examined, because the mixer adds an input whenever one gets connected.
    win::com_ptr<IPin> FreeMixerInput() {
        for (int index = 0;; ++index) {
            const media::TPinList pins(w_.overlay_mixer_.get());
            if (index >= pins.Count()) return {};
            IPin* pin = pins.Pins(index);
            if (IsInput(pin) && !PeerOf(pin)) return win::com_ptr<IPin>::copy_from(pin);
        }
    }

    // Steps 11-14: the decoder feeds our renderer; put the mixer in between.
    HRESULT DirectPath() {
        win::com_ptr<IPin> source;
        HRESULT hr = renderer_in_->ConnectedTo(source.put());
        if (FAILED(hr)) return hr;
        if (FAILED(hr = Disconnect(renderer_in_.get(), source.get()))) return hr;
        Record(source.get(), renderer_in_.get(), TConnection::Broken);
        auto mixer_in = FreeMixerInput();
        if (!mixer_in) return E_FAIL;
        return Connect(*builder_, source.get(), mixer_in.get());
    }

    // Steps 15-19: every stream the builder sent to a Video Mixing Renderer moves to the mixer.
    HRESULT VmrPath() {
        media::TPinList vmr_pins(vmr_.get());
        std::vector<win::com_ptr<IPin>> sources;
        for (int index = 0; index < vmr_pins.Count(); ++index) {
            IPin* vmr_in = vmr_pins.Pins(index);
            auto up = PeerOf(vmr_in);
            if (!up) break;
            if (HRESULT hr = Disconnect(up.get(), vmr_in); FAILED(hr)) return hr;
            Record(up.get(), vmr_in, TConnection::Broken);
            sources.push_back(std::move(up));
            vmr_pins.Rebuild();
        }
        for (auto& source : sources) {
            auto mixer_in = FreeMixerInput();
            if (!mixer_in) return E_FAIL;
            if (ClassOf(FilterOf(source.get()).get()) == CLSID_Line21Decoder2) {
                if (HRESULT hr = ReplaceCaptionDecoder(source); FAILED(hr)) return hr;
            }
            if (HRESULT hr = Connect(*builder_, source.get(), mixer_in.get()); FAILED(hr)) return hr;
        }
        return S_OK;
    }

    // Captions for the Video Mixing Renderer come from Line 21 Decoder 2; the mixer needs the
    // older Line 21 Decoder, fed from the same source. `source` becomes the new decoder's output.
    HRESULT ReplaceCaptionDecoder(win::com_ptr<IPin>& source) {
        line21_decoder2_ = FilterOf(source.get());
        win::com_ptr<IPin> decoder2_in;
        HRESULT hr = FirstPin(line21_decoder2_.get(), decoder2_in);
        if (FAILED(hr)) return hr;
        win::com_ptr<IPin> up;
        if (FAILED(hr = decoder2_in->ConnectedTo(up.put()))) return hr;
        if (FAILED(hr = Disconnect(decoder2_in.get(), up.get()))) return hr;
        Record(up.get(), decoder2_in.get(), TConnection::Broken);
        if (FAILED(hr = win::CreateObject(CLSID_Line21Decoder, line21_decoder_))) return hr;
        IFilterGraph2* graph = w_.filter_graph_->Graph();
        if (FAILED(hr = graph->AddFilter(line21_decoder_.get(), L"Line21 Decoder"))) {
            line21_decoder_.reset();
            return hr;
        }
        const media::TPinList decoder_pins(line21_decoder_.get());
        if (decoder_pins.Count() < 2) return E_FAIL;
        if (FAILED(hr = Connect(*graph, up.get(), decoder_pins.Pins(0)))) return hr;
        source = win::com_ptr<IPin>::copy_from(decoder_pins.Pins(1));
        return S_OK;
    }

    // Steps 20-21.
    HRESULT MixerToRenderer() {
        win::com_ptr<IPin> mixer_out;
        HRESULT hr = w_.overlay_mixer_->FindPin(L"Output", mixer_out.put());
        if (FAILED(hr)) return hr;
        return Connect(*builder_, mixer_out.get(), renderer_in_.get());
    }

    // Steps 22-24.
    HRESULT Callback() {
        HRESULT hr = w_.overlay_mixer_.query_to(w_.excl_mode_video_);
        if (FAILED(hr)) return Undo(hr);
        w_.DropOverlayCallback();
        w_.overlay_callback_ = win::com_ptr<TOverlayCallback>::copy_from(new TOverlayCallback(&w_));
        if (FAILED(hr = w_.excl_mode_video_->SetCallbackInterface(w_.overlay_callback_.get(), 0))) return Undo(hr);
        IFilterGraph2* graph = w_.filter_graph_->Graph();
        if (line21_decoder2_) graph->RemoveFilter(line21_decoder2_.get());
        if (vmr_) graph->RemoveFilter(vmr_.get());
        return hr;
    }

    // U1-U6: every recorded change backwards, the mixer out; a VMR still in the graph takes over.
    HRESULT Undo(HRESULT failure) {
        for (auto change = undo_.rbegin(); change != undo_.rend(); ++change) {
            if (change->kind == TConnection::Made) {
                change->out_pin->Disconnect();
                change->in_pin->Disconnect();
            } else {
                builder_->Connect(change->out_pin.get(), change->in_pin.get());
            }
        }
        if (line21_decoder_) w_.filter_graph_->Graph()->RemoveFilter(line21_decoder_.get());
        // Nothing of the mixer stays with us: not its exclusive-mode interface, not our callback.
        w_.excl_mode_video_.reset();
        w_.DropOverlayCallback();
        if (HRESULT hr = builder_->RemoveFilter(w_.overlay_mixer_.get()); FAILED(hr)) return hr;
        w_.overlay_mixer_.reset();
        if (vmr_) {
            auto own_renderer = w_.video_window_.query<IBaseFilter>();
            w_.filter_graph_->Graph()->RemoveFilter(own_renderer.get());
            w_.video_window_.reset();
            w_.active_renderer_ = vmr_.clone();
            w_.video_window_ = vmr_.query<IVideoWindow>();
        }
        return failure;
    }

    TDSVideoWindowEx2& w_;
    win::com_ptr<IGraphBuilder> builder_;
    win::com_ptr<IBaseFilter> vmr_;
    win::com_ptr<IBaseFilter> line21_decoder2_;
    win::com_ptr<IBaseFilter> line21_decoder_;
    win::com_ptr<IPin> renderer_in_;
    std::vector<TConnection> undo_;
};

HRESULT TDSVideoWindowEx2::SetupOverlay() { return OverlaySetup(*this).Run(); }

void TDSVideoWindowEx2::RefreshColorKey() {
    if (!overlay_active_) return;
    renderer_window_ = ::FindWindowExA(Parent(), nullptr, "VideoRenderer", name_.c_str());
    if (!renderer_window_) renderer_window_ = ::FindWindowExA(nullptr, nullptr, "VideoRenderer", name_.c_str());
    if (!renderer_window_) return;
    // The renderer's window directly below ours.
    ::SetWindowPos(renderer_window_, Handle(), 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOCOPYBITS);
    if (!overlay_mixer_) return;
    win::com_ptr<IPin> first_pin;
    FirstPin(overlay_mixer_.get(), first_pin);
    auto config = first_pin.try_query<win::IMixerPinConfig2>();
    if (!config) return;
    COLORKEY key{CK_INDEX | CK_RGB, 0, 0x000F000F, 0x000F000F};
    DWORD color = 0;
    config->GetColorKey(&key, &color);
    color_key_ = key.HighColorValue;
    if (OnColorKeyChanged) OnColorKeyChanged(*this);
}

}  // namespace wallcine::video
