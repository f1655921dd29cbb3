// FakePin, FakeFilter and the enumerators they hand out.
//  - FakePin keeps a real connection: Connect/ReceiveConnection between two fake pins join them
//    (each pin holds a reference on its peer, as DirectShow pins do), Disconnect undoes this
//    side only. A test builds a topology with ConnectPins(out, in).
//  - FakeFilter lists its pins in construction order and remembers the graph and name it joined.
//    It reports a class id only when the test gave it one. Richer fakes (renderers, the overlay
//    mixer) derive from FakePin and FakeFilter and add their interfaces.
//  - Enumerators are heap objects owned by whoever asked for them; they hold a reference on
//    every item, and a live count lets a test see one that was never released.
#pragma once

#include <windows.h>
#include <strmif.h>
#include <vfwmsgs.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_dshow.h"

namespace wallcine::test {

template <class Enum, class Item>
class FakeEnumerator final : public Enum {
public:
    explicit FakeEnumerator(const std::vector<Item*>& items, size_t position = 0) : items_(items), position_(position) {
        for (Item* item : items_) item->AddRef();
        ++live_;
    }
    ~FakeEnumerator() {
        for (Item* item : items_) item->Release();
        --live_;
    }
    static int Live() noexcept { return live_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(Enum)) {
            *object = static_cast<Enum*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = --refs_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item** out, ULONG* fetched) override {
        if (!out || (count != 1 && !fetched)) return E_POINTER;
        ULONG given = 0;
        while (given < count && position_ < items_.size()) {
            out[given] = items_[position_++];
            out[given]->AddRef();
            ++given;
        }
        if (fetched) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const size_t left = items_.size() - position_;
        position_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Enum** out) override {
        if (!out) return E_POINTER;
        *out = new FakeEnumerator(items_, position_);
        return S_OK;
    }

private:
    static inline int live_ = 0;
    std::vector<Item*> items_;
    size_t position_;
    LONG refs_ = 1;
};

using FakeEnumPins = FakeEnumerator<IEnumPins, IPin>;
using FakeEnumFilters = FakeEnumerator<IEnumFilters, IBaseFilter>;

class FakeFilter;

class FakePin : public IPin, public FakeComObject {
public:
    // Appends itself to `owner`'s pins; declare pins after their filter so they go first.
    FakePin(FakeFilter& owner, std::wstring name, PIN_DIRECTION direction);

    // Knob: the direction QueryDirection reports instead of the pin's own.
    std::optional<PIN_DIRECTION> direction_override;
    // Knob: a failure Disconnect returns instead of doing anything.
    HRESULT disconnect_failure = S_OK;

    bool IsConnected() const noexcept { return peer_ != nullptr; }
    IPin* Peer() const noexcept { return peer_; }
    const std::wstring& Name() const noexcept { return name_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    WALLCINE_FAKE_REFCOUNT

    HRESULT STDMETHODCALLTYPE Connect(IPin* receive_pin, const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE*) override { return Unexpected("ConnectionMediaType"); }
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* direction) override;
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR*) override { return Unexpected("QueryId"); }
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE*) override { return Unexpected("QueryAccept"); }
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes**) override { return Unexpected("EnumMediaTypes"); }
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin**, ULONG*) override {
        return Unexpected("QueryInternalConnections");
    }
    HRESULT STDMETHODCALLTYPE EndOfStream() override { return Unexpected("EndOfStream"); }
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return Unexpected("BeginFlush"); }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return Unexpected("EndFlush"); }
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override {
        return Unexpected("NewSegment");
    }

private:
    FakeFilter& owner_;
    std::wstring name_;
    PIN_DIRECTION direction_;
    IPin* peer_ = nullptr;  // one reference held while connected
};

// Joins two fake pins as a graph's connection would (output first); the test fails if the
// pins refuse.
void ConnectPins(FakePin& output, FakePin& input);

class FakeFilter : public IBaseFilter, public FakeComObject {
public:
    // `trace` (optional) receives the Disconnect calls of the filter's pins.
    explicit FakeFilter(std::wstring name, Trace* trace = nullptr);

    const std::wstring& Name() const noexcept { return name_; }
    Trace* TraceLog() const noexcept { return trace_; }
    // The pins, in construction order; FakePin adds itself.
    std::vector<FakePin*> pins;

    // What the last JoinFilterGraph gave (a graph holds no reference from its filters).
    IFilterGraph* joined_graph = nullptr;
    std::wstring joined_name;
    // Knob: the class id GetClassID reports; without one, GetClassID is an unexpected call.
    std::optional<CLSID> class_id;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    WALLCINE_FAKE_REFCOUNT

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE Stop() override { return Unexpected("IMediaFilter::Stop"); }
    HRESULT STDMETHODCALLTYPE Pause() override { return Unexpected("IMediaFilter::Pause"); }
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override { return Unexpected("IMediaFilter::Run"); }
    HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE*) override { return Unexpected("GetState"); }
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock*) override { return Unexpected("SetSyncSource"); }
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock**) override { return Unexpected("GetSyncSource"); }
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** out) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR, IPin**) override { return Unexpected("FindPin"); }
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR*) override { return Unexpected("QueryVendorInfo"); }

private:
    std::wstring name_;
    Trace* trace_;
};

}  // namespace wallcine::test
