#include "fakes/fake_stream_sink.h"

#include <control.h>
#include <evcode.h>
#include <vfwmsgs.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace wallcine::test {

namespace {

std::string Milliseconds(REFERENCE_TIME time) { return std::to_string(time / 10'000); }

}  // namespace

// --- FakeMediaSample ----------------------------------------------------------------------------

FakeMediaSample::FakeMediaSample(FakeAllocator& owner, long size)
    : FakeComObject(owner.Label() + " buffer"), owner_(owner), bytes_(static_cast<size_t>(size)) {}

void FakeMediaSample::Prepare(const AM_MEDIA_TYPE* type) {
    std::fill(bytes_.begin(), bytes_.end(), BYTE{0});
    length_ = 0;
    start_ = stop_ = 0;
    sync_point_ = false;
    preroll_ = true;
    discontinuity_ = false;
    type_ = type ? media::media_type::copy_of(*type) : media::media_type();
}

HRESULT FakeMediaSample::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == IID_IMediaSample) {
        *object = static_cast<IMediaSample*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG FakeMediaSample::Release() {
    const ULONG left = ReleaseImpl();
    if (left == 1) owner_.Returned();
    return left;
}

HRESULT FakeMediaSample::GetPointer(BYTE** buffer) {
    if (!buffer) return E_POINTER;
    *buffer = bytes_.data();
    return S_OK;
}

HRESULT FakeMediaSample::GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) {
    if (!start || !stop) return E_POINTER;
    *start = start_;
    *stop = stop_;
    return S_OK;
}

HRESULT FakeMediaSample::SetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) {
    if (!start || !stop) return Unexpected("SetTime without both times");
    start_ = *start;
    stop_ = *stop;
    return S_OK;
}

HRESULT FakeMediaSample::SetSyncPoint(WINBOOL value) {
    sync_point_ = value != FALSE;
    return S_OK;
}

HRESULT FakeMediaSample::SetPreroll(WINBOOL value) {
    preroll_ = value != FALSE;
    return S_OK;
}

HRESULT FakeMediaSample::SetActualDataLength(long length) {
    if (length < 0 || static_cast<size_t>(length) > bytes_.size()) return VFW_E_BUFFER_OVERFLOW;
    length_ = length;
    return S_OK;
}

HRESULT FakeMediaSample::GetMediaType(AM_MEDIA_TYPE** type) {
    if (!type) return E_POINTER;
    *type = nullptr;
    if (type_.get().majortype == GUID_NULL) return S_FALSE;
    *type = media::CopyMediaTypeToTaskMemory(type_.get());
    return *type ? S_OK : E_OUTOFMEMORY;
}

HRESULT FakeMediaSample::SetDiscontinuity(WINBOOL value) {
    discontinuity_ = value != FALSE;
    return S_OK;
}

// --- FakeAllocator ------------------------------------------------------------------------------

void FakeAllocator::AttachTypeToNextBuffer(const AM_MEDIA_TYPE& type) {
    std::lock_guard lock(lock_);
    next_type_ = media::media_type::copy_of(type);
}

Trace FakeAllocator::Calls() const {
    std::lock_guard lock(lock_);
    return calls_;
}

std::vector<const FakeComObject*> FakeAllocator::Samples() const {
    std::lock_guard lock(lock_);
    std::vector<const FakeComObject*> samples;
    for (const auto& sample : samples_) samples.push_back(sample.get());
    return samples;
}

HRESULT FakeAllocator::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == IID_IMemAllocator) {
        *object = static_cast<IMemAllocator*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeAllocator::SetProperties(ALLOCATOR_PROPERTIES* wanted, ALLOCATOR_PROPERTIES* actual) {
    if (!wanted || !actual) return E_POINTER;
    std::lock_guard lock(lock_);
    calls_.push_back("SetProperties " + std::to_string(wanted->cBuffers) + "x" + std::to_string(wanted->cbBuffer));
    if (committed_) return VFW_E_ALREADY_COMMITTED;
    *actual = *wanted;
    actual->cbBuffer = std::max(wanted->cbBuffer, minimum_buffer_size);
    samples_.clear();
    for (long i = 0; i < actual->cBuffers; ++i) samples_.push_back(std::make_unique<FakeMediaSample>(*this, actual->cbBuffer));
    return S_OK;
}

HRESULT FakeAllocator::Commit() {
    std::lock_guard lock(lock_);
    calls_.push_back("Commit");
    committed_ = true;
    return S_OK;
}

HRESULT FakeAllocator::Decommit() {
    {
        std::lock_guard lock(lock_);
        calls_.push_back("Decommit");
        committed_ = false;
    }
    returned_.notify_all();
    return S_OK;
}

HRESULT FakeAllocator::GetBuffer(IMediaSample** buffer, REFERENCE_TIME*, REFERENCE_TIME*, DWORD) {
    if (!buffer) return E_POINTER;
    *buffer = nullptr;
    std::unique_lock lock(lock_);
    for (;;) {
        if (!committed_) return VFW_E_NOT_COMMITTED;
        for (const auto& sample : samples_) {
            if (sample->RefCount() != 1) continue;
            sample->Prepare(next_type_.get().majortype == GUID_NULL ? nullptr : &next_type_.get());
            next_type_.reset();
            sample->AddRef();
            *buffer = sample.get();
            return S_OK;
        }
        returned_.wait(lock);
    }
}

void FakeAllocator::Returned() {
    { std::lock_guard lock(lock_); }
    returned_.notify_all();
}

// --- FakeSinkPin --------------------------------------------------------------------------------

FakeSinkPin::FakeSinkPin(FakeFilter& owner, std::wstring name)
    : FakePin(owner, std::move(name), PINDIR_INPUT), allocator(Label() + " allocator") {}

void FakeSinkPin::Record(std::string line) {
    {
        std::lock_guard lock(lock_);
        events_.push_back(std::move(line));
    }
    changed_.notify_all();
}

Trace FakeSinkPin::Events() const {
    std::lock_guard lock(lock_);
    return events_;
}

std::vector<std::vector<BYTE>> FakeSinkPin::ReceivedBytes() const {
    std::lock_guard lock(lock_);
    return received_bytes_;
}

bool FakeSinkPin::WaitForEvents(const std::function<bool(const Trace&)>& done, DWORD timeout_ms) const {
    std::unique_lock lock(lock_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return done(events_); });
}

bool FakeSinkPin::WaitForEvent(const std::string& line, DWORD timeout_ms) const {
    return WaitForEvents([&](const Trace& events) { return std::find(events.begin(), events.end(), line) != events.end(); },
                         timeout_ms);
}

void FakeSinkPin::Stop() {
    {
        std::lock_guard lock(lock_);
        stopped_ = true;
    }
    changed_.notify_all();
}

void FakeSinkPin::Run() {
    {
        std::lock_guard lock(lock_);
        hold_first_sample = false;
    }
    changed_.notify_all();
}

HRESULT FakeSinkPin::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IMemInputPin) {
        *object = static_cast<IMemInputPin*>(this);
        AddRef();
        return S_OK;
    }
    return FakePin::QueryInterface(iid, object);
}

HRESULT FakeSinkPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) {
    if (!type) return Unexpected("ReceiveConnection without a type");
    if (std::find(accepted_subtypes.begin(), accepted_subtypes.end(), type->subtype) == accepted_subtypes.end())
        return VFW_E_TYPE_NOT_ACCEPTED;
    const HRESULT hr = FakePin::ReceiveConnection(connector, type);
    if (SUCCEEDED(hr)) connection_type_ = media::media_type::copy_of(*type);
    return hr;
}

HRESULT FakeSinkPin::EndOfStream() {
    Record("EndOfStream");
    return S_OK;
}

HRESULT FakeSinkPin::BeginFlush() {
    {
        std::lock_guard lock(lock_);
        flushing_ = true;
        events_.push_back("BeginFlush");
    }
    changed_.notify_all();
    return S_OK;
}

HRESULT FakeSinkPin::EndFlush() {
    {
        std::lock_guard lock(lock_);
        flushing_ = false;
        held_since_flush_ = false;
        events_.push_back("EndFlush");
    }
    changed_.notify_all();
    return S_OK;
}

HRESULT FakeSinkPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    if (rate != 1.0) ADD_FAILURE() << "NewSegment at rate " << rate;
    {
        std::lock_guard lock(lock_);
        held_since_flush_ = false;
    }
    Record("NewSegment " + Milliseconds(start) + ".." + Milliseconds(stop));
    return S_OK;
}

HRESULT FakeSinkPin::GetAllocator(IMemAllocator** out) {
    if (!out) return E_POINTER;
    allocator.AddRef();
    *out = &allocator;
    return S_OK;
}

HRESULT FakeSinkPin::NotifyAllocator(IMemAllocator* chosen, WINBOOL) {
    if (chosen != &allocator) ADD_FAILURE() << Label() << ": NotifyAllocator with another allocator";
    return S_OK;
}

HRESULT FakeSinkPin::Receive(IMediaSample* sample) {
    if (!sample) return E_POINTER;
    std::unique_lock lock(lock_);
    if (flushing_) return S_FALSE;
    if (stopped_) return VFW_E_WRONG_STATE;
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    REFERENCE_TIME start = 0, stop = 0;
    sample->GetTime(&start, &stop);
    const long length = sample->GetActualDataLength();
    events_.push_back("Receive " + Milliseconds(start) + ".." + Milliseconds(stop) + " #" +
                      std::to_string(length > 0 ? data[0] : 0) + " " + std::to_string(length) + "B" +
                      (sample->IsDiscontinuity() == S_OK ? " disc" : ""));
    if (keep_bytes && length > 0) received_bytes_.emplace_back(data, data + length);
    changed_.notify_all();
    if (hold_first_sample && !held_since_flush_) {
        held_since_flush_ = true;
        changed_.wait(lock, [&] { return flushing_ || stopped_ || !hold_first_sample; });
        if (flushing_) return S_FALSE;
        if (stopped_) return VFW_E_WRONG_STATE;
    }
    return receive_result;
}

// --- FakeEventSinkGraph -------------------------------------------------------------------------

Trace FakeEventSinkGraph::Events() const {
    std::lock_guard lock(lock_);
    return events_;
}

HRESULT FakeEventSinkGraph::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == IID_IFilterGraph) {
        *object = static_cast<IFilterGraph*>(this);
    } else if (iid == IID_IMediaEventSink) {
        *object = static_cast<IMediaEventSink*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT FakeEventSinkGraph::Notify(LONG code, LONG_PTR param1, LONG_PTR) {
    char text[64];
    std::snprintf(text, sizeof text, "Notify %s %08lx", code == EC_ERRORABORT ? "EC_ERRORABORT" : "other",
                  static_cast<unsigned long>(param1));
    std::lock_guard lock(lock_);
    events_.push_back(text);
    return S_OK;
}

}  // namespace wallcine::test
