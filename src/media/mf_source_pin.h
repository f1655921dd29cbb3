// An output pin of Wallcine's media source: one stream of the file (video or audio). It offers
// the stream's uncompressed types, connects with the first one the input pin takes, settles an
// allocator with it, and while the filter runs pushes the stream's samples from a thread of its
// own. Its IMediaSeeking is where the renderers pass the graph's seeks on to the source; the
// filter carries them out. The pin lives inside its filter and shares its reference count.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "media/media_reader.h"
#include "media/source_media_types.h"
#include "win/com_ptr.h"

namespace wallcine::media {

class SourceFilter;

class SourcePin final : public IPin, public IMediaSeeking {
public:
    SourcePin(SourceFilter& filter, ReaderStream stream, std::wstring name, std::vector<media_type> types);
    ~SourcePin();
    SourcePin(const SourcePin&) = delete;
    SourcePin& operator=(const SourcePin&) = delete;

    ReaderStream Stream() const noexcept { return stream_; }
    const std::wstring& Name() const noexcept { return name_; }

    // --- For the filter, under its lock -------------------------------------------------------
    bool Connected() const noexcept { return static_cast<bool>(peer_); }
    HRESULT CommitAllocator();
    void DecommitAllocator() noexcept;
    // Starts the delivery thread: samples from the reader's current place, stamped from
    // `segment_start`. Only while connected.
    HRESULT StartDelivery(LONGLONG segment_start);
    // The thread stops at its next step; JoinDelivery waits for it.
    void RequestStop() noexcept { stop_requested_ = true; }
    void JoinDelivery() noexcept;
    void BeginFlushDownstream() noexcept;
    void EndFlushDownstream() noexcept;

    // --- IUnknown: the filter's count -----------------------------------------------------------
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // --- IPin -----------------------------------------------------------------------------------
    STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* wanted) override;
    STDMETHODIMP ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
    STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    // An output pin receives no stream calls.
    STDMETHODIMP EndOfStream() override { return E_UNEXPECTED; }
    STDMETHODIMP BeginFlush() override { return E_UNEXPECTED; }
    STDMETHODIMP EndFlush() override { return E_UNEXPECTED; }
    STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return E_UNEXPECTED; }

    // --- IMediaSeeking: media time only, rate 1 ----------------------------------------------------
    STDMETHODIMP GetCapabilities(DWORD* capabilities) override;
    STDMETHODIMP CheckCapabilities(DWORD* capabilities) override;
    STDMETHODIMP IsFormatSupported(const GUID* format) override;
    STDMETHODIMP QueryPreferredFormat(GUID* format) override;
    STDMETHODIMP GetTimeFormat(GUID* format) override;
    STDMETHODIMP IsUsingTimeFormat(const GUID* format) override;
    STDMETHODIMP SetTimeFormat(const GUID* format) override;
    STDMETHODIMP GetDuration(LONGLONG* duration) override;
    STDMETHODIMP GetStopPosition(LONGLONG* stop) override;
    // The graph counts the position on its clock; the source does not know what has been shown.
    STDMETHODIMP GetCurrentPosition(LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP ConvertTimeFormat(LONGLONG* target, const GUID* target_format, LONGLONG source,
                                   const GUID* source_format) override;
    STDMETHODIMP SetPositions(LONGLONG* current, DWORD current_flags, LONGLONG* stop, DWORD stop_flags) override;
    STDMETHODIMP GetPositions(LONGLONG* current, LONGLONG* stop) override;
    STDMETHODIMP GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    STDMETHODIMP SetRate(double rate) override;
    STDMETHODIMP GetRate(double* rate) override;
    STDMETHODIMP GetPreroll(LONGLONG* preroll) override;

private:
    HRESULT TryConnection(IPin& receiver, const media_type& type);
    HRESULT DecideAllocator(IMemInputPin& input, const AM_MEDIA_TYPE& type);
    void DropConnection() noexcept;
    void DeliveryLoop(LONGLONG segment_start);

    SourceFilter& filter_;
    const ReaderStream stream_;
    const std::wstring name_;
    std::shared_ptr<const std::vector<media_type>> types_;

    // The connection: changed only while the filter is stopped, under its lock; the delivery
    // thread uses it while it runs.
    win::com_ptr<IPin> peer_;
    win::com_ptr<IMemInputPin> peer_input_;
    win::com_ptr<IMemAllocator> allocator_;
    media_type connected_type_;

    std::thread delivery_;
    std::atomic<bool> stop_requested_{false};
};

}  // namespace wallcine::media
