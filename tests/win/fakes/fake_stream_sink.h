// The downstream end of a source's output pin, as a test sets it up:
//  - FakeSinkPin, a renderer's input pin: it takes the subtypes it is given, hands out its own
//    allocator, and records what arrives (new segments, samples, the end of the stream, flushes)
//    in order, from whatever thread delivers it. Like a paused renderer it can hold the first
//    sample after a start or a flush until it is flushed, stopped or run.
//  - FakeAllocator and FakeMediaSample, the buffers it hands out; a buffer can carry a media type,
//    as a renderer's does when it asks for another row layout.
//  - FakeEventSinkGraph, the graph a source joins: it records the events the source sends.
// All of them are FakeComObjects: the test owns them and checks their counts at the end.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "fakes/fake_dshow.h"
#include "fakes/fake_filter.h"
#include "media/source_media_types.h"

namespace wallcine::test {

class FakeAllocator;

class FakeMediaSample final : public IMediaSample, public FakeComObject {
public:
    FakeMediaSample(FakeAllocator& owner, long size);

    const std::vector<BYTE>& Bytes() const noexcept { return bytes_; }
    LONG Length() const noexcept { return length_; }
    REFERENCE_TIME Start() const noexcept { return start_; }
    REFERENCE_TIME Stop() const noexcept { return stop_; }
    bool Discontinuity() const noexcept { return discontinuity_; }
    // Hands out a fresh buffer: nothing set, `type` attached when given.
    void Prepare(const AM_MEDIA_TYPE* type);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetPointer(BYTE** buffer) override;
    long STDMETHODCALLTYPE GetSize() override { return static_cast<long>(bytes_.size()); }
    HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override;
    HRESULT STDMETHODCALLTYPE SetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override;
    HRESULT STDMETHODCALLTYPE IsSyncPoint() override { return sync_point_ ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE SetSyncPoint(WINBOOL value) override;
    HRESULT STDMETHODCALLTYPE IsPreroll() override { return preroll_ ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE SetPreroll(WINBOOL value) override;
    long STDMETHODCALLTYPE GetActualDataLength() override { return length_; }
    HRESULT STDMETHODCALLTYPE SetActualDataLength(long length) override;
    HRESULT STDMETHODCALLTYPE GetMediaType(AM_MEDIA_TYPE** type) override;
    HRESULT STDMETHODCALLTYPE SetMediaType(AM_MEDIA_TYPE*) override { return Unexpected("SetMediaType"); }
    HRESULT STDMETHODCALLTYPE IsDiscontinuity() override { return discontinuity_ ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE SetDiscontinuity(WINBOOL value) override;
    HRESULT STDMETHODCALLTYPE GetMediaTime(LONGLONG*, LONGLONG*) override { return Unexpected("GetMediaTime"); }
    HRESULT STDMETHODCALLTYPE SetMediaTime(LONGLONG*, LONGLONG*) override { return Unexpected("SetMediaTime"); }

private:
    FakeAllocator& owner_;
    std::vector<BYTE> bytes_;
    LONG length_ = 0;
    REFERENCE_TIME start_ = 0;
    REFERENCE_TIME stop_ = 0;
    bool sync_point_ = false;
    bool preroll_ = true;
    bool discontinuity_ = false;
    media::media_type type_;
};

class FakeAllocator final : public IMemAllocator, public FakeComObject {
public:
    explicit FakeAllocator(std::string label) : FakeComObject(std::move(label)) {}

    // Knob: the next buffer handed out carries this type (once).
    void AttachTypeToNextBuffer(const AM_MEDIA_TYPE& type);
    // Knob: buffers at least this large, whatever was asked (a renderer's surface rows).
    long minimum_buffer_size = 0;
    // "SetProperties 3x12", "Commit", "Decommit", in order.
    Trace Calls() const;
    // Every buffer, for the count check at the end.
    std::vector<const FakeComObject*> Samples() const;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    WALLCINE_FAKE_REFCOUNT

    HRESULT STDMETHODCALLTYPE SetProperties(ALLOCATOR_PROPERTIES* wanted, ALLOCATOR_PROPERTIES* actual) override;
    HRESULT STDMETHODCALLTYPE GetProperties(ALLOCATOR_PROPERTIES*) override { return Unexpected("GetProperties"); }
    HRESULT STDMETHODCALLTYPE Commit() override;
    HRESULT STDMETHODCALLTYPE Decommit() override;
    // Waits for a free buffer while committed; VFW_E_NOT_COMMITTED otherwise.
    HRESULT STDMETHODCALLTYPE GetBuffer(IMediaSample** buffer, REFERENCE_TIME*, REFERENCE_TIME*, DWORD) override;
    HRESULT STDMETHODCALLTYPE ReleaseBuffer(IMediaSample*) override { return Unexpected("ReleaseBuffer"); }

    // A buffer's last outside reference went.
    void Returned();

private:
    mutable std::mutex lock_;
    std::condition_variable returned_;
    Trace calls_;
    std::vector<std::unique_ptr<FakeMediaSample>> samples_;
    bool committed_ = false;
    media::media_type next_type_;
};

class FakeSinkPin final : public FakePin, public IMemInputPin {
public:
    FakeSinkPin(FakeFilter& owner, std::wstring name);

    // --- Knobs ---------------------------------------------------------------------------
    // The subtypes ReceiveConnection takes; any other is VFW_E_TYPE_NOT_ACCEPTED.
    std::vector<GUID> accepted_subtypes;
    // What Receive answers.
    HRESULT receive_result = S_OK;
    // As a paused renderer: the first sample after a start or a flush is kept waiting in
    // Receive until a flush, Stop or Run.
    bool hold_first_sample = false;
    FakeAllocator allocator;
    // Knob: keep a copy of every sample's bytes (ReceivedBytes).
    bool keep_bytes = false;

    // As the graph stops a renderer before its source: a held sample is let go, and every later
    // sample is refused.
    void Stop();
    // As a running renderer: nothing is held any more.
    void Run();

    // "NewSegment 120..200", "Receive 0..40 #1 32B disc", "EndOfStream", "BeginFlush",
    // "EndFlush"; times in milliseconds, # the sample's first byte.
    Trace Events() const;
    // Waits until the events fit `done`; false after `timeout_ms`.
    bool WaitForEvents(const std::function<bool(const Trace&)>& done, DWORD timeout_ms = 5000) const;
    // Waits until the events hold `line`.
    bool WaitForEvent(const std::string& line, DWORD timeout_ms = 5000) const;
    const AM_MEDIA_TYPE& ConnectionType() const noexcept { return connection_type_.get(); }
    std::vector<std::vector<BYTE>> ReceivedBytes() const;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return FakePin::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return FakePin::Release(); }

    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** out) override;
    HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* allocator, WINBOOL read_only) override;
    HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample**, long, long*) override {
        return FakePin::Unexpected("ReceiveMultiple");
    }
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override { return S_OK; }

private:
    void Record(std::string line);

    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    Trace events_;
    bool flushing_ = false;
    bool stopped_ = false;
    bool held_since_flush_ = false;
    media::media_type connection_type_;
    std::vector<std::vector<BYTE>> received_bytes_;
};

// The graph a source joins: IFilterGraph for the join, IMediaEventSink for what the source
// reports. "Notify EC_ERRORABORT 80004005"; nothing else is expected.
class FakeEventSinkGraph final : public IFilterGraph, public IMediaEventSink, public FakeComObject {
public:
    FakeEventSinkGraph() : FakeComObject("event sink graph") {}
    Trace Events() const;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    WALLCINE_FAKE_REFCOUNT

    HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter*, LPCWSTR) override { return Unexpected("AddFilter"); }
    HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter*) override { return Unexpected("RemoveFilter"); }
    HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters**) override { return Unexpected("EnumFilters"); }
    HRESULT STDMETHODCALLTYPE FindFilterByName(LPCWSTR, IBaseFilter**) override {
        return Unexpected("FindFilterByName");
    }
    HRESULT STDMETHODCALLTYPE ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*) override {
        return Unexpected("ConnectDirect");
    }
    HRESULT STDMETHODCALLTYPE Reconnect(IPin*) override { return Unexpected("Reconnect"); }
    HRESULT STDMETHODCALLTYPE Disconnect(IPin*) override { return Unexpected("Disconnect"); }
    HRESULT STDMETHODCALLTYPE SetDefaultSyncSource() override { return Unexpected("SetDefaultSyncSource"); }
    HRESULT STDMETHODCALLTYPE Notify(LONG code, LONG_PTR param1, LONG_PTR param2) override;

private:
    mutable std::mutex lock_;
    Trace events_;
};

}  // namespace wallcine::test
