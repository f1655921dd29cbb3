#include "media/mf_source_filter.h"

#include <control.h>
#include <evcode.h>
#include <vfwmsgs.h>

#include <algorithm>
#include <cwchar>
#include <new>

#include "media/source_enumerators.h"

namespace wallcine::media {

win::com_ptr<IBaseFilter> CreateMediaFoundationSource(std::unique_ptr<IMediaReader> reader) {
    return win::com_ptr<IBaseFilter>::attach(new SourceFilter(std::move(reader)));
}

SourceFilter::SourceFilter(std::unique_ptr<IMediaReader> reader) : reader_(std::move(reader)) {
    stop_ = End();
    if (const auto& video = reader_->Video()) {
        std::vector<media_type> types;
        for (PictureFormat format : video->formats) types.push_back(VideoMediaType(format, *video));
        pins_.push_back(std::make_unique<SourcePin>(*this, ReaderStream::kVideo, L"Video", std::move(types)));
    }
    if (const auto& audio = reader_->Audio()) {
        std::vector<media_type> types;
        types.push_back(AudioMediaType(*audio));
        pins_.push_back(std::make_unique<SourcePin>(*this, ReaderStream::kAudio, L"Audio", std::move(types)));
    }
}

SourceFilter::~SourceFilter() {
    // A graph stops its filters before it lets them go; this covers one that did not.
    std::lock_guard lock(lock_);
    if (state_ != State_Stopped) StopStreaming(true);
}

STDMETHODIMP SourceFilter::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IMediaFilter || iid == IID_IBaseFilter) {
        *object = static_cast<IBaseFilter*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) SourceFilter::AddRef() { return ++references_; }

STDMETHODIMP_(ULONG) SourceFilter::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP SourceFilter::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_WallcineMediaFoundationSource;
    return S_OK;
}

// The graph pauses its filters from the renderers upstream: the renderers wait for their first
// samples, which the delivery threads started here bring.
STDMETHODIMP SourceFilter::Pause() {
    std::lock_guard lock(lock_);
    return PauseLocked();
}

HRESULT SourceFilter::PauseLocked() {
    if (state_ == State_Stopped) {
        for (auto& pin : pins_) {
            if (!pin->Connected()) continue;
            if (const HRESULT hr = pin->CommitAllocator(); FAILED(hr)) {
                for (auto& committed : pins_) committed->DecommitAllocator();
                return hr;
            }
        }
        if (const HRESULT hr = StartStreaming(); FAILED(hr)) {
            StopStreaming(false);
            return hr;
        }
    }
    state_ = State_Paused;
    return S_OK;
}

// The renderers keep the time: running, the source only has to keep them fed.
STDMETHODIMP SourceFilter::Run(REFERENCE_TIME) {
    std::lock_guard lock(lock_);
    if (state_ == State_Stopped)
        if (const HRESULT hr = PauseLocked(); FAILED(hr)) return hr;
    state_ = State_Running;
    return S_OK;
}

STDMETHODIMP SourceFilter::Stop() {
    std::lock_guard lock(lock_);
    if (state_ != State_Stopped) StopStreaming(false);
    state_ = State_Stopped;
    return S_OK;
}

STDMETHODIMP SourceFilter::GetState(DWORD, FILTER_STATE* state) {
    if (!state) return E_POINTER;
    std::lock_guard lock(lock_);
    *state = state_;
    return S_OK;
}

STDMETHODIMP SourceFilter::SetSyncSource(IReferenceClock* clock) {
    std::lock_guard lock(lock_);
    clock_ = win::com_ptr<IReferenceClock>::copy_from(clock);
    return S_OK;
}

STDMETHODIMP SourceFilter::GetSyncSource(IReferenceClock** clock) {
    if (!clock) return E_POINTER;
    std::lock_guard lock(lock_);
    *clock = clock_.clone().detach();
    return S_OK;
}

STDMETHODIMP SourceFilter::EnumPins(IEnumPins** pins) {
    std::vector<IPin*> list;
    for (auto& pin : pins_) list.push_back(pin.get());
    return CreatePinEnumerator(*this, std::move(list), pins);
}

STDMETHODIMP SourceFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (!id || !pin) return E_POINTER;
    for (auto& candidate : pins_) {
        if (candidate->Name() == id) {
            candidate->AddRef();
            *pin = candidate.get();
            return S_OK;
        }
    }
    *pin = nullptr;
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP SourceFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (!info) return E_POINTER;
    std::lock_guard lock(lock_);
    const size_t length = std::min(name_.size(), std::size(info->achName) - 1);
    std::wmemcpy(info->achName, name_.c_str(), length);
    info->achName[length] = L'\0';
    info->pGraph = graph_;
    if (info->pGraph) info->pGraph->AddRef();
    return S_OK;
}

STDMETHODIMP SourceFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    std::lock_guard lock(lock_);
    graph_ = graph;
    name_ = name ? name : L"";
    return S_OK;
}

void SourceFilter::NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2) noexcept {
    IFilterGraph* graph = graph_;
    if (!graph) return;
    win::com_ptr<IMediaEventSink> sink;
    if (SUCCEEDED(graph->QueryInterface(IID_IMediaEventSink, sink.put_void())) && sink)
        sink->Notify(code, param1, param2);
}

const SourcePin* SourceFilter::SeekingPin() const noexcept {
    for (const auto& pin : pins_)
        if (pin->Connected()) return pin.get();
    return nullptr;
}

HRESULT SourceFilter::StartStreaming() {
    // A stream no pin delivers stays off, or the reader would keep all of it in memory.
    for (auto& pin : pins_) reader_->SetStreamEnabled(pin->Stream(), pin->Connected());
    HRESULT hr = reader_->Seek(start_);
    if (FAILED(hr)) return hr;
    for (auto& pin : pins_) {
        if (!pin->Connected()) continue;
        if (FAILED(hr = pin->StartDelivery(start_))) return hr;
    }
    return S_OK;
}

// Flushing (for a seek) empties the renderers and keeps the allocators; stopping gives the
// allocators back, which also wakes a thread waiting for a buffer.
void SourceFilter::StopStreaming(bool flush) noexcept {
    for (auto& pin : pins_) pin->RequestStop();
    for (auto& pin : pins_) {
        if (!pin->Connected()) continue;
        if (flush)
            pin->BeginFlushDownstream();
        else
            pin->DecommitAllocator();
    }
    for (auto& pin : pins_) pin->JoinDelivery();
    if (flush)
        for (auto& pin : pins_)
            if (pin->Connected()) pin->EndFlushDownstream();
}

HRESULT SourceFilter::SetPositions(const SourcePin& caller, LONGLONG* current, DWORD current_flags, LONGLONG* stop,
                                   DWORD stop_flags) {
    const DWORD current_how = current_flags & AM_SEEKING_PositioningBitsMask;
    const DWORD stop_how = stop_flags & AM_SEEKING_PositioningBitsMask;
    if ((current_how != AM_SEEKING_NoPositioning && !current) || (stop_how != AM_SEEKING_NoPositioning && !stop))
        return E_POINTER;

    std::lock_guard lock(lock_);
    LONGLONG new_start = start_;
    switch (current_how) {
    case AM_SEEKING_NoPositioning:
        break;
    case AM_SEEKING_AbsolutePositioning:
        new_start = *current;
        break;
    case AM_SEEKING_RelativePositioning:
        new_start = start_ + *current;
        break;
    default:
        return E_INVALIDARG;
    }
    LONGLONG new_stop = stop_;
    switch (stop_how) {
    case AM_SEEKING_NoPositioning:
        break;
    case AM_SEEKING_AbsolutePositioning:
        new_stop = *stop;
        break;
    case AM_SEEKING_RelativePositioning:
        new_stop = stop_ + *stop;
        break;
    case AM_SEEKING_IncrementalPositioning:
        new_stop = new_start + *stop;
        break;
    default:
        return E_INVALIDARG;
    }
    new_start = std::clamp<LONGLONG>(new_start, 0, End());
    new_stop = std::clamp<LONGLONG>(new_stop, new_start, End());
    if ((current_flags & AM_SEEKING_ReturnTime) && current) *current = new_start;
    if ((stop_flags & AM_SEEKING_ReturnTime) && stop) *stop = new_stop;

    // Every renderer hands the graph's seek on to the pin it is connected to: the seek comes once
    // per connected pin, and the first of them carries it out for all.
    if (&caller != SeekingPin()) return S_OK;
    stop_ = new_stop;
    if (current_how == AM_SEEKING_NoPositioning) return S_OK;
    if (state_ == State_Stopped) {
        start_ = new_start;
        return S_OK;
    }
    StopStreaming(true);
    start_ = new_start;
    return StartStreaming();
}

HRESULT SourceFilter::GetPositions(LONGLONG* current, LONGLONG* stop) {
    std::lock_guard lock(lock_);
    if (current) *current = start_;
    if (stop) *stop = stop_;
    return S_OK;
}

}  // namespace wallcine::media
