#include "fakes/fake_filter.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <utility>

namespace wallcine::test {

// --- FakePin ------------------------------------------------------------------------------

FakePin::FakePin(FakeFilter& owner, std::wstring name, PIN_DIRECTION direction)
    : FakeComObject("pin " + Narrow(owner.Name()) + "." + Narrow(name)),
      owner_(owner),
      name_(std::move(name)),
      direction_(direction) {
    owner_.pins.push_back(this);
}

HRESULT FakePin::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IPin)) {
        *object = static_cast<IPin*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakePin::Connect(IPin* receive_pin, const AM_MEDIA_TYPE* type) {
    if (!receive_pin) return E_POINTER;
    if (direction_ != PINDIR_OUTPUT) return Unexpected("Connect on an input pin");
    if (peer_) return VFW_E_ALREADY_CONNECTED;
    const HRESULT hr = receive_pin->ReceiveConnection(this, type);
    if (FAILED(hr)) return hr;
    peer_ = receive_pin;
    peer_->AddRef();
    return S_OK;
}

HRESULT FakePin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE*) {
    if (!connector) return E_POINTER;
    if (direction_ != PINDIR_INPUT) return Unexpected("ReceiveConnection on an output pin");
    if (peer_) return VFW_E_ALREADY_CONNECTED;
    peer_ = connector;
    peer_->AddRef();
    return S_OK;
}

HRESULT FakePin::Disconnect() {
    if (Trace* trace = owner_.TraceLog()) trace->push_back(Label() + " Disconnect");
    if (FAILED(disconnect_failure)) return disconnect_failure;
    if (!peer_) return S_FALSE;
    std::exchange(peer_, nullptr)->Release();
    return S_OK;
}

HRESULT FakePin::ConnectedTo(IPin** pin) {
    if (!pin) return E_POINTER;
    *pin = peer_;
    if (!peer_) return VFW_E_NOT_CONNECTED;
    peer_->AddRef();
    return S_OK;
}

HRESULT FakePin::QueryPinInfo(PIN_INFO* info) {
    if (!info) return E_POINTER;
    info->pFilter = &owner_;
    owner_.AddRef();
    info->dir = direction_;
    wcsncpy(info->achName, name_.c_str(), MAX_PIN_NAME - 1);
    info->achName[MAX_PIN_NAME - 1] = L'\0';
    return S_OK;
}

HRESULT FakePin::QueryDirection(PIN_DIRECTION* direction) {
    if (!direction) return E_POINTER;
    *direction = direction_override.value_or(direction_);
    return S_OK;
}

void ConnectPins(FakePin& output, FakePin& input) {
    EXPECT_EQ(output.Connect(&input, nullptr), S_OK) << output.Label() << " -> " << input.Label();
}

// --- FakeFilter ---------------------------------------------------------------------------

FakeFilter::FakeFilter(std::wstring name, Trace* trace)
    : FakeComObject("filter " + Narrow(name)), name_(std::move(name)), trace_(trace) {}

HRESULT FakeFilter::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IPersist) || iid == __uuidof(IMediaFilter) ||
        iid == __uuidof(IBaseFilter)) {
        *object = static_cast<IBaseFilter*>(this);
        AddRef();
        return S_OK;
    }
    // No property pages, no dialogs, no seeking: callers must cope with E_NOINTERFACE.
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeFilter::GetClassID(CLSID* clsid) {
    if (!class_id) return Unexpected("GetClassID");
    if (!clsid) return E_POINTER;
    *clsid = *class_id;
    return S_OK;
}

HRESULT FakeFilter::EnumPins(IEnumPins** out) {
    if (!out) return E_POINTER;
    *out = new FakeEnumPins(std::vector<IPin*>(pins.begin(), pins.end()));
    return S_OK;
}

HRESULT FakeFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (!info) return E_POINTER;
    wcsncpy(info->achName, joined_name.c_str(), MAX_FILTER_NAME - 1);
    info->achName[MAX_FILTER_NAME - 1] = L'\0';
    info->pGraph = joined_graph;
    if (joined_graph) joined_graph->AddRef();
    return S_OK;
}

HRESULT FakeFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    joined_graph = graph;
    joined_name = name ? name : L"";
    return S_OK;
}

}  // namespace wallcine::test
