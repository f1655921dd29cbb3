// Helpers for tests that build graphs on Wine's real DirectShow: a filter and event client that
// contributes a real Video Renderer under its own name and records every event with its thread,
// looks into a graph's filters and pins, and a message pump with a bound.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "fakes/fake_dshow.h"
#include "media/directshow_error.h"
#include "media/graph_clients.h"
#include "win/com_ptr.h"
#include "win/dshow.h"

namespace wallcine::test {

using media::EDirectShowException;
using media::IGraphEventClient;
using media::IGraphFilterClient;
using media::TFilterClientOperation;
using media::TGraphControlEvent;
using media::fcoAfterRemove;
using media::fcoBeforeAdd;
using win::com_ptr;

inline constexpr wchar_t kRendererName[] = L"Video_Window";

struct RecordedGraphEvent {
    LONG code;
    LONG_PTR param1;
    LONG_PTR param2;
    DWORD thread;
};

struct RecordedControlEvent {
    TGraphControlEvent event;
    LONG param;
    DWORD thread;
};

// Filter client and event client at once, as the video window of the application is.
class RendererClient final : public IGraphFilterClient, public IGraphEventClient {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == __uuidof(IGraphFilterClient)) {
            *object = static_cast<IGraphFilterClient*>(this);
        } else if (iid == __uuidof(IGraphEventClient)) {
            *object = static_cast<IGraphEventClient*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    ULONG References() const { return references_; }

    com_ptr<IBaseFilter> ProvideFilter() override { return renderer_.clone(); }
    std::wstring ProvideFilterName() override { return kRendererName; }
    void HandleFilterOperation(TFilterClientOperation operation, LONG) override {
        if (operation == fcoBeforeAdd) {
            HRESULT hr = ::CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                            renderer_.put_void());
            if (FAILED(hr)) throw EDirectShowException("test client: no video renderer", hr);
        } else if (operation == fcoAfterRemove) {
            renderer_.reset();
        }
    }

    void HandleGraphEvent(LONG code, LONG_PTR param1, LONG_PTR param2) override {
        graph_events.push_back({code, param1, param2, ::GetCurrentThreadId()});
    }
    void HandleControlEvent(TGraphControlEvent event, LONG param) override {
        control_events.push_back({event, param, ::GetCurrentThreadId()});
    }

    IBaseFilter* Renderer() const { return renderer_.get(); }
    const RecordedGraphEvent* FindGraphEvent(LONG code) const {
        for (const auto& e : graph_events)
            if (e.code == code) return &e;
        return nullptr;
    }

    std::vector<RecordedGraphEvent> graph_events;
    std::vector<RecordedControlEvent> control_events;

private:
    ~RendererClient() = default;
    ULONG references_ = 1;
    com_ptr<IBaseFilter> renderer_;
};

// --- Looking into a real graph ------------------------------------------------------------------

inline bool SameObject(IUnknown* a, IUnknown* b) {
    if (!a || !b) return false;
    com_ptr<IUnknown> ua, ub;
    a->QueryInterface(IID_IUnknown, ua.put_void());
    b->QueryInterface(IID_IUnknown, ub.put_void());
    return ua && ua.get() == ub.get();
}

inline std::vector<com_ptr<IBaseFilter>> FiltersOf(IFilterGraph* graph) {
    std::vector<com_ptr<IBaseFilter>> filters;
    com_ptr<IEnumFilters> items;
    if (FAILED(graph->EnumFilters(items.put()))) return filters;
    com_ptr<IBaseFilter> filter;
    while (items->Next(1, filter.put(), nullptr) == S_OK) filters.push_back(std::move(filter));
    return filters;
}

inline std::wstring NameOf(IBaseFilter* filter) {
    FILTER_INFO info{};
    if (FAILED(filter->QueryFilterInfo(&info))) return L"?";
    if (info.pGraph) info.pGraph->Release();
    return info.achName;
}

inline std::string NamesOf(IFilterGraph* graph) {
    std::string names;
    for (const auto& filter : FiltersOf(graph)) {
        const std::wstring name = NameOf(filter.get());
        names += (names.empty() ? "" : ", ") + std::string(name.begin(), name.end());
    }
    return names;
}

// Pins of a filter in one direction, with whether each is connected.
inline std::vector<bool> PinConnections(IBaseFilter* filter, PIN_DIRECTION direction) {
    std::vector<bool> connected;
    com_ptr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.put()))) return connected;
    com_ptr<IPin> pin;
    while (pins->Next(1, pin.put(), nullptr) == S_OK) {
        PIN_DIRECTION d;
        if (FAILED(pin->QueryDirection(&d)) || d != direction) continue;
        com_ptr<IPin> peer;
        connected.push_back(pin->ConnectedTo(peer.put()) == S_OK && peer);
    }
    return connected;
}

inline bool AnyPinConnected(IBaseFilter* filter) {
    for (auto direction : {PINDIR_INPUT, PINDIR_OUTPUT})
        for (bool connected : PinConnections(filter, direction))
            if (connected) return true;
    return false;
}

// Pumps this thread's messages (the graph's notification window lives here) until `done`
// holds or `timeout_ms` has passed; returns `done()`.
template <class Predicate>
bool PumpUntil(Predicate done, DWORD timeout_ms) {
    const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (done()) return true;
        if (::GetTickCount64() >= deadline) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}


// The folder of the clips scripts/make-test-clips made (WALLCINE_MEDIA, which ctest sets), with a
// trailing backslash; empty when it is not set.
inline std::wstring MediaFolder() {
    const wchar_t* media = _wgetenv(L"WALLCINE_MEDIA");
    if (!media || !*media) return {};
    std::wstring folder = media;
    for (auto& c : folder)
        if (c == L'/') c = L'\\';
    if (folder.back() != L'\\') folder += L'\\';
    return folder;
}

}  // namespace wallcine::test
