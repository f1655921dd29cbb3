// TFilterGraph's playback operations: run, pause, stop, render a file (through Wallcine's own
// media source when DirectShow cannot), strip the graph back to its clients' filters, set the
// volume, and the control events sent around them; the graph's clock where the component
// chooses it (OwnClock).
#include "media/filter_graph.h"

#include "media/directshow_error.h"
#include "media/filter_list.h"
#include "media/own_source_render.h"
#include "media/reference_clock.h"

namespace wallcine::media {

void TFilterGraph::NotifyControlEvent(TGraphControlEvent event, LONG param) {
    // By index: a client's handler may register or remove clients.
    for (size_t index = 0; index < event_clients_.size(); ++index) {
        auto client = event_clients_[index].clone();
        client->HandleControlEvent(event, param);
    }
}

namespace {

// Sends the control event, then runs the state change; the event precedes the call even when
// the call then fails.
template <class Call>
HRESULT ChangeState(TFilterGraph& graph, TGraphControlEvent event, Call call, bool& reachable) {
    auto control = graph.Query<IMediaControl>();
    reachable = static_cast<bool>(control);
    if (!control) return E_NOINTERFACE;
    graph.NotifyControlEvent(event, 0);
    return CheckGraphResult(call(*control));
}

}  // namespace

void TFilterGraph::ChooseClock() {
    if (clock_chosen_ || !own_clock_ || mode_ != gmNormal || !graph_) return;
    clock_chosen_ = true;
    // The graph keeps the clock it is given and frees it with itself. Should it refuse the clock,
    // it chooses its own as it always does.
    if (auto filter = graph_.try_query<IMediaFilter>()) filter->SetSyncSource(TReferenceClock::Create().get());
}

bool TFilterGraph::Play() {
    bool reachable = false;
    const HRESULT hr = ChangeState(
        *this, gcePlay,
        [this](IMediaControl& control) {
            ChooseClock();
            return control.Run();
        },
        reachable);
    return reachable && SUCCEEDED(hr);
}

bool TFilterGraph::Pause() {
    bool reachable = false;
    const HRESULT hr = ChangeState(
        *this, gcePause,
        [this](IMediaControl& control) {
            ChooseClock();
            return control.Pause();
        },
        reachable);
    return reachable && hr == S_OK;
}

bool TFilterGraph::Stop() {
    bool reachable = false;
    const HRESULT hr = ChangeState(*this, gceStop, [](IMediaControl& control) { return control.Stop(); }, reachable);
    return reachable && hr == S_OK;
}

HRESULT TFilterGraph::RenderFile(const std::wstring& file_name) {
    if (!graph_) return S_FALSE;
    NotifyControlEvent(gceRenderStarting, 0);
    HRESULT hr = graph_->RenderFile(file_name.c_str(), nullptr);
    if (DirectShowCannotRender(hr)) hr = RenderWithOwnSource(*graph_, file_name, hr);
    CheckGraphResult(hr);
    NotifyControlEvent(gceRenderDone, 0);
    return hr;
}

void TFilterGraph::ResetGraph() {
    if (!graph_) return;
    Stop();
    DisconnectAllPins();
    TFilterList filters(graph_.get());
    for (const auto& client : filter_clients_) filters.Remove(client->ProvideFilter().get());
    for (int index = 0; index < filters.Count(); ++index) CheckGraphResult(graph_->RemoveFilter(filters.Filters(index)));
}

// Breaks every connection from its output end: the output pin, then its peer. A parser frees
// its output pins when its input is disconnected, so no pin reference may be held across
// another filter's input disconnection; going by outputs, only the peer input is held then, and
// each filter's pins are listed afresh when its turn comes.
void TFilterGraph::DisconnectAllPins() {
    if (!graph_) return;
    const TFilterList filters(graph_.get());
    for (int filter = 0; filter < filters.Count(); ++filter) {
        const TPinList pins(filters.Filters(filter));
        for (int index = 0; index < pins.Count(); ++index) {
            IPin* pin = pins.Pins(index);
            PIN_DIRECTION direction{};
            win::com_ptr<IPin> peer;
            if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_OUTPUT ||
                FAILED(pin->ConnectedTo(peer.put())))
                continue;
            CheckGraphResult(pin->Disconnect());
            CheckGraphResult(peer->Disconnect());
        }
    }
}

void TFilterGraph::SetVolume(LONG volume) {
    // Attenuation in hundredths of a decibel: 0 is full volume, -10000 silence.
    if (auto audio = Query<IBasicAudio>()) audio->put_Volume(volume - 10000);
}

}  // namespace wallcine::media
