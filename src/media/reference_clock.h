// TReferenceClock: a reference clock for a filter graph (IReferenceClock) on the performance
// counter, for where the system's own clocks cannot be used: under Wine 8 the DirectSound
// renderer never frees its clock, and the graph's system clock can hang in its final release
// (its advise thread misses the wake-up that should end it, and the release waits for that
// thread for ever). This one signals its advise sinks from one thread of its own, started at the
// first advise and ended, without fail, when the last reference goes.
#pragma once

#include <windows.h>
#include "win/dshow.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "win/com_ptr.h"

namespace wallcine::media {

class TReferenceClock final : public IReferenceClock {
public:
    // A new clock with one reference, the caller's.
    static win::com_ptr<IReferenceClock> Create();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // Times in 100 ns units. GetTime answers S_FALSE when the time has not moved since the last call.
    HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* time) override;
    // Sets `event` once the clock reaches base + offset.
    HRESULT STDMETHODCALLTYPE AdviseTime(REFERENCE_TIME base, REFERENCE_TIME offset, HEVENT event,
                                         DWORD_PTR* cookie) override;
    // Releases `semaphore` once at `start` and once every `period` after it.
    HRESULT STDMETHODCALLTYPE AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HSEMAPHORE semaphore,
                                             DWORD_PTR* cookie) override;
    // S_FALSE for a cookie that is not (or no longer) advised.
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD_PTR cookie) override;

private:
    struct Sink {
        DWORD_PTR cookie;
        HANDLE handle;
        REFERENCE_TIME due;
        REFERENCE_TIME period;  // 0: a single event
    };

    TReferenceClock() = default;
    ~TReferenceClock();
    HRESULT AddSink(HANDLE handle, REFERENCE_TIME due, REFERENCE_TIME period, DWORD_PTR* cookie);
    // The advise thread: signals what is due, then sleeps until the next due time or a change.
    void SignalSinks();

    std::atomic<ULONG> references_{1};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Sink> sinks_;
    DWORD_PTR next_cookie_ = 1;
    REFERENCE_TIME last_time_ = 0;
    bool stopping_ = false;
    std::thread advise_thread_;
};

}  // namespace wallcine::media
