#include "media/reference_clock.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <new>
#include <system_error>

namespace wallcine::media {

namespace {

constexpr REFERENCE_TIME kUnitsPerSecond = 10'000'000;

// The performance counter in 100 ns units.
REFERENCE_TIME Now() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER value;
        ::QueryPerformanceFrequency(&value);
        return value.QuadPart;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    // In two parts, so the product cannot overflow.
    return counter.QuadPart / frequency * kUnitsPerSecond + counter.QuadPart % frequency * kUnitsPerSecond / frequency;
}

}  // namespace

win::com_ptr<IReferenceClock> TReferenceClock::Create() {
    return win::com_ptr<IReferenceClock>::attach(new TReferenceClock);
}

TReferenceClock::~TReferenceClock() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_one();
    if (advise_thread_.joinable()) advise_thread_.join();
}

HRESULT TReferenceClock::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IReferenceClock) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IReferenceClock*>(this);
    AddRef();
    return S_OK;
}

ULONG TReferenceClock::AddRef() { return ++references_; }

ULONG TReferenceClock::Release() {
    const ULONG remaining = --references_;
    if (remaining == 0) delete this;
    return remaining;
}

HRESULT TReferenceClock::GetTime(REFERENCE_TIME* time) {
    if (!time) return E_POINTER;
    const REFERENCE_TIME now = Now();
    *time = now;
    const std::lock_guard lock(mutex_);
    const bool moved = now != last_time_;
    last_time_ = now;
    return moved ? S_OK : S_FALSE;
}

HRESULT TReferenceClock::AdviseTime(REFERENCE_TIME base, REFERENCE_TIME offset, HEVENT event, DWORD_PTR* cookie) {
    if (base + offset <= 0) return E_INVALIDARG;
    return AddSink(reinterpret_cast<HANDLE>(event), base + offset, 0, cookie);
}

HRESULT TReferenceClock::AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HSEMAPHORE semaphore,
                                        DWORD_PTR* cookie) {
    if (start <= 0 || period <= 0) return E_INVALIDARG;
    return AddSink(reinterpret_cast<HANDLE>(semaphore), start, period, cookie);
}

HRESULT TReferenceClock::AddSink(HANDLE handle, REFERENCE_TIME due, REFERENCE_TIME period, DWORD_PTR* cookie) {
    if (!handle) return E_INVALIDARG;
    if (!cookie) return E_POINTER;
    try {
        const std::lock_guard lock(mutex_);
        sinks_.push_back({next_cookie_, handle, due, period});
        if (!advise_thread_.joinable()) {
            try {
                advise_thread_ = std::thread([this] { SignalSinks(); });
            } catch (const std::system_error&) {
                sinks_.pop_back();
                return E_FAIL;
            }
        }
        *cookie = next_cookie_++;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    changed_.notify_one();
    return S_OK;
}

HRESULT TReferenceClock::Unadvise(DWORD_PTR cookie) {
    const std::lock_guard lock(mutex_);
    const auto found =
        std::find_if(sinks_.begin(), sinks_.end(), [cookie](const Sink& sink) { return sink.cookie == cookie; });
    if (found == sinks_.end()) return S_FALSE;
    sinks_.erase(found);
    // The advise thread may still wake once at the sink's due time, and find nothing to do.
    return S_OK;
}

void TReferenceClock::SignalSinks() {
    std::unique_lock lock(mutex_);
    // Checked under the lock before every sleep, and the destructor sets it under the same lock
    // before it wakes us: the request to stop is never missed.
    while (!stopping_) {
        const REFERENCE_TIME now = Now();
        REFERENCE_TIME next_due = std::numeric_limits<REFERENCE_TIME>::max();
        for (auto sink = sinks_.begin(); sink != sinks_.end();) {
            if (sink->due <= now) {
                if (sink->period == 0) {
                    ::SetEvent(sink->handle);
                    sink = sinks_.erase(sink);
                    continue;
                }
                const REFERENCE_TIME periods = (now - sink->due) / sink->period + 1;
                ::ReleaseSemaphore(sink->handle, static_cast<LONG>(std::min<REFERENCE_TIME>(periods, LONG_MAX)),
                                   nullptr);
                sink->due += periods * sink->period;
            }
            next_due = std::min(next_due, sink->due);
            ++sink;
        }
        // Until the next due time, or until a sink is added or the clock goes. A far due time is
        // slept towards a second at a time, so the wait never overflows the system's clock.
        if (next_due == std::numeric_limits<REFERENCE_TIME>::max())
            changed_.wait(lock);
        else
            changed_.wait_for(lock, std::chrono::microseconds((std::min(next_due - now, kUnitsPerSecond) + 9) / 10));
    }
}

}  // namespace wallcine::media
