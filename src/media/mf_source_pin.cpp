#include "media/mf_source_pin.h"

#include <control.h>
#include <mmreg.h>
#include <evcode.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include <algorithm>
#include <cstring>
#include <system_error>

#include "media/mf_source_delivery.h"
#include "media/mf_source_filter.h"
#include "media/source_enumerators.h"
#include "win/object_factory.h"
#include "win/unique_handle.h"

namespace wallcine::media {

namespace {

constexpr DWORD kSeekingCapabilities = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards |
                                       AM_SEEKING_CanSeekBackwards | AM_SEEKING_CanGetStopPos |
                                       AM_SEEKING_CanGetDuration;

// Buffers of one picture each, and sound in buffers of a quarter second: the renderers hold one
// or two while they wait for its time.
constexpr long kPictureBuffers = 3;
constexpr long kSoundBuffers = 8;

ALLOCATOR_PROPERTIES WantedProperties(const AM_MEDIA_TYPE& type) {
    ALLOCATOR_PROPERTIES wanted{};
    wanted.cbAlign = 1;
    if (PictureFormatOf(type)) {
        wanted.cBuffers = kPictureBuffers;
        wanted.cbBuffer = static_cast<long>(type.lSampleSize);
    } else {
        const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat);
        wanted.cBuffers = kSoundBuffers;
        wanted.cbBuffer = std::max<long>(static_cast<long>(wave->nAvgBytesPerSec / 4 / wave->nBlockAlign * wave->nBlockAlign),
                                         wave->nBlockAlign);
    }
    return wanted;
}

}  // namespace

SourcePin::SourcePin(SourceFilter& filter, ReaderStream stream, std::wstring name, std::vector<media_type> types)
    : filter_(filter),
      stream_(stream),
      name_(std::move(name)),
      types_(std::make_shared<const std::vector<media_type>>(std::move(types))) {}

SourcePin::~SourcePin() {
    RequestStop();
    JoinDelivery();
}

STDMETHODIMP SourcePin::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IPin) {
        *object = static_cast<IPin*>(this);
    } else if (iid == IID_IMediaSeeking) {
        *object = static_cast<IMediaSeeking*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) SourcePin::AddRef() { return filter_.AddRef(); }
STDMETHODIMP_(ULONG) SourcePin::Release() { return filter_.Release(); }

// --- Connection ---------------------------------------------------------------------------------

STDMETHODIMP SourcePin::Connect(IPin* receiver, const AM_MEDIA_TYPE* wanted) {
    if (!receiver) return E_POINTER;
    std::lock_guard lock(filter_.Lock());
    if (peer_) return VFW_E_ALREADY_CONNECTED;
    if (filter_.StateLocked() != State_Stopped) return VFW_E_NOT_STOPPED;
    PIN_DIRECTION direction{};
    if (FAILED(receiver->QueryDirection(&direction)) || direction != PINDIR_INPUT) return VFW_E_INVALID_DIRECTION;
    // Our types in our order: the first one the input pin takes is the connection's.
    for (const media_type& type : *types_) {
        if (wanted && !MatchesPartialType(type.get(), *wanted)) continue;
        if (SUCCEEDED(TryConnection(*receiver, type))) return S_OK;
    }
    return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT SourcePin::TryConnection(IPin& receiver, const media_type& type) {
    HRESULT hr = receiver.ReceiveConnection(this, &type.get());
    if (FAILED(hr)) return hr;
    peer_ = win::com_ptr<IPin>::copy_from(&receiver);
    connected_type_ = type.clone();
    win::com_ptr<IMemInputPin> input = peer_.try_query<IMemInputPin>();
    hr = input ? DecideAllocator(*input, type.get()) : VFW_E_NO_TRANSPORT;
    if (SUCCEEDED(hr) && stream_ == ReaderStream::kVideo) hr = filter_.Reader().SetPictureFormat(*PictureFormatOf(type.get()));
    if (FAILED(hr)) {
        receiver.Disconnect();
        DropConnection();
        return hr;
    }
    peer_input_ = std::move(input);
    return S_OK;
}

// The input pin's allocator when it offers one that can hold our samples, our own otherwise.
HRESULT SourcePin::DecideAllocator(IMemInputPin& input, const AM_MEDIA_TYPE& type) {
    ALLOCATOR_PROPERTIES wanted = WantedProperties(type);
    ALLOCATOR_PROPERTIES required{};
    if (SUCCEEDED(input.GetAllocatorRequirements(&required))) {
        wanted.cBuffers = std::max(wanted.cBuffers, required.cBuffers);
        wanted.cbBuffer = std::max(wanted.cbBuffer, required.cbBuffer);
        wanted.cbAlign = std::max(wanted.cbAlign, required.cbAlign);
        wanted.cbPrefix = required.cbPrefix;
    }
    const auto settle = [&](win::com_ptr<IMemAllocator> allocator) {
        ALLOCATOR_PROPERTIES actual{};
        HRESULT hr = allocator->SetProperties(&wanted, &actual);
        if (FAILED(hr)) return hr;
        // Sound may go in smaller pieces; a picture must fit one buffer.
        if (PictureFormatOf(type) && actual.cbBuffer < wanted.cbBuffer) return VFW_E_SIZENOTSET;
        if (FAILED(hr = input.NotifyAllocator(allocator.get(), FALSE))) return hr;
        allocator_ = std::move(allocator);
        return S_OK;
    };
    win::com_ptr<IMemAllocator> offered;
    if (SUCCEEDED(input.GetAllocator(offered.put())) && offered && SUCCEEDED(settle(std::move(offered)))) return S_OK;
    win::com_ptr<IMemAllocator> own;
    HRESULT hr = win::CreateObject(CLSID_MemoryAllocator, own);
    return FAILED(hr) ? hr : settle(std::move(own));
}

void SourcePin::DropConnection() noexcept {
    allocator_.reset();
    peer_input_.reset();
    peer_.reset();
    connected_type_.reset();
}

STDMETHODIMP SourcePin::Disconnect() {
    std::lock_guard lock(filter_.Lock());
    if (filter_.StateLocked() != State_Stopped) return VFW_E_NOT_STOPPED;
    if (!peer_) return S_FALSE;
    DropConnection();
    return S_OK;
}

STDMETHODIMP SourcePin::ConnectedTo(IPin** pin) {
    if (!pin) return E_POINTER;
    std::lock_guard lock(filter_.Lock());
    *pin = peer_.clone().detach();
    return *pin ? S_OK : VFW_E_NOT_CONNECTED;
}

STDMETHODIMP SourcePin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
    if (!type) return E_POINTER;
    std::lock_guard lock(filter_.Lock());
    if (!peer_) {
        *type = {};
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaTypeContents(*type, connected_type_.get());
}

STDMETHODIMP SourcePin::QueryPinInfo(PIN_INFO* info) {
    if (!info) return E_POINTER;
    info->pFilter = &filter_;
    filter_.AddRef();
    info->dir = PINDIR_OUTPUT;
    const size_t length = std::min(name_.size(), std::size(info->achName) - 1);
    std::wmemcpy(info->achName, name_.c_str(), length);
    info->achName[length] = L'\0';
    return S_OK;
}

STDMETHODIMP SourcePin::QueryDirection(PIN_DIRECTION* direction) {
    if (!direction) return E_POINTER;
    *direction = PINDIR_OUTPUT;
    return S_OK;
}

STDMETHODIMP SourcePin::QueryId(LPWSTR* id) {
    if (!id) return E_POINTER;
    const size_t bytes = (name_.size() + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
    if (!*id) return E_OUTOFMEMORY;
    std::memcpy(*id, name_.c_str(), bytes);
    return S_OK;
}

STDMETHODIMP SourcePin::QueryAccept(const AM_MEDIA_TYPE* type) {
    if (!type) return E_POINTER;
    for (const media_type& offered : *types_)
        if (SameMediaType(offered.get(), *type) || IsPictureLayoutOf(*type, offered.get())) return S_OK;
    return S_FALSE;
}

STDMETHODIMP SourcePin::EnumMediaTypes(IEnumMediaTypes** types) { return CreateMediaTypeEnumerator(types_, types); }

// --- Streaming ----------------------------------------------------------------------------------

HRESULT SourcePin::CommitAllocator() { return allocator_ ? allocator_->Commit() : VFW_E_NO_ALLOCATOR; }

void SourcePin::DecommitAllocator() noexcept {
    if (allocator_) allocator_->Decommit();
}

void SourcePin::BeginFlushDownstream() noexcept {
    if (peer_) peer_->BeginFlush();
}

void SourcePin::EndFlushDownstream() noexcept {
    if (peer_) peer_->EndFlush();
}

HRESULT SourcePin::StartDelivery(LONGLONG segment_start) {
    JoinDelivery();
    stop_requested_ = false;
    try {
        delivery_ = std::thread([this, segment_start] { DeliveryLoop(segment_start); });
    } catch (const std::system_error&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

void SourcePin::JoinDelivery() noexcept {
    if (delivery_.joinable()) delivery_.join();
}

void SourcePin::DeliveryLoop(LONGLONG segment_start) {
    win::com_init_scope com(COINIT_MULTITHREADED);
    IMediaReader& reader = filter_.Reader();
    peer_->NewSegment(segment_start, filter_.StopPosition(), 1.0);
    SampleDelivery delivery(*allocator_, *peer_input_, connected_type_.get(), segment_start);
    while (!stop_requested_) {
        ReaderSample sample;
        const HRESULT hr = reader.Read(stream_, sample);
        if (stop_requested_) return;
        if (FAILED(hr)) {
            // The rest of the file cannot be read: the graph hears why, and the renderer plays
            // what it has to its end.
            filter_.NotifyEvent(EC_ERRORABORT, hr, 0);
            peer_->EndOfStream();
            return;
        }
        if (hr == S_FALSE || sample.time >= filter_.StopPosition()) {
            peer_->EndOfStream();
            return;
        }
        // Decoded on the way from a key frame to where the seek went: before the segment.
        if (delivery.EndOf(sample) <= segment_start) continue;
        // A renderer that refuses a sample is flushing or stopping: it wants no more of this run.
        if (delivery.Deliver(sample) != S_OK) return;
    }
}

// --- IMediaSeeking ------------------------------------------------------------------------------

STDMETHODIMP SourcePin::GetCapabilities(DWORD* capabilities) {
    if (!capabilities) return E_POINTER;
    *capabilities = kSeekingCapabilities;
    return S_OK;
}

STDMETHODIMP SourcePin::CheckCapabilities(DWORD* capabilities) {
    if (!capabilities) return E_POINTER;
    const DWORD asked = *capabilities;
    *capabilities &= kSeekingCapabilities;
    if (*capabilities == asked) return S_OK;
    return *capabilities ? S_FALSE : E_FAIL;
}

STDMETHODIMP SourcePin::IsFormatSupported(const GUID* format) {
    if (!format) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

STDMETHODIMP SourcePin::QueryPreferredFormat(GUID* format) { return GetTimeFormat(format); }

STDMETHODIMP SourcePin::GetTimeFormat(GUID* format) {
    if (!format) return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

STDMETHODIMP SourcePin::IsUsingTimeFormat(const GUID* format) { return IsFormatSupported(format); }

STDMETHODIMP SourcePin::SetTimeFormat(const GUID* format) {
    if (!format) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : E_INVALIDARG;
}

STDMETHODIMP SourcePin::GetDuration(LONGLONG* duration) {
    if (!duration) return E_POINTER;
    *duration = filter_.Duration();
    return S_OK;
}

STDMETHODIMP SourcePin::GetStopPosition(LONGLONG* stop) {
    if (!stop) return E_POINTER;
    return filter_.GetPositions(nullptr, stop);
}

STDMETHODIMP SourcePin::ConvertTimeFormat(LONGLONG* target, const GUID* target_format, LONGLONG source,
                                          const GUID* source_format) {
    if (!target) return E_POINTER;
    const auto media_time = [](const GUID* format) { return !format || *format == TIME_FORMAT_MEDIA_TIME; };
    if (!media_time(target_format) || !media_time(source_format)) return E_INVALIDARG;
    *target = source;
    return S_OK;
}

STDMETHODIMP SourcePin::SetPositions(LONGLONG* current, DWORD current_flags, LONGLONG* stop, DWORD stop_flags) {
    return filter_.SetPositions(*this, current, current_flags, stop, stop_flags);
}

STDMETHODIMP SourcePin::GetPositions(LONGLONG* current, LONGLONG* stop) {
    if (!current || !stop) return E_POINTER;
    return filter_.GetPositions(current, stop);
}

STDMETHODIMP SourcePin::GetAvailable(LONGLONG* earliest, LONGLONG* latest) {
    if (earliest) *earliest = 0;
    if (latest) *latest = filter_.Duration();
    return S_OK;
}

STDMETHODIMP SourcePin::SetRate(double rate) { return rate == 1.0 ? S_OK : E_INVALIDARG; }

STDMETHODIMP SourcePin::GetRate(double* rate) {
    if (!rate) return E_POINTER;
    *rate = 1.0;
    return S_OK;
}

STDMETHODIMP SourcePin::GetPreroll(LONGLONG* preroll) {
    if (!preroll) return E_POINTER;
    *preroll = 0;
    return S_OK;
}

}  // namespace wallcine::media
