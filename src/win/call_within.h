// CallWithin: a call into the platform that may never return, made on a thread of its own and
// waited for only so long. For platform code known to stall (Wine 8's Media Foundation, opening a
// damaged file, now and then waits forever for GStreamer): the caller gets a timeout and goes on.
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace wallcine::win {

// Runs `work(result)` on a new thread and waits for it at most `timeout`. Returns what `work`
// returned, with `result` moved out of it; or HRESULT_FROM_WIN32(ERROR_TIMEOUT) when it is late.
// A late call runs on to its end on its own thread and its result is then dropped there, so
// `work` must own (capture by value) everything it uses.
template <class Result, class Work>
HRESULT CallWithin(std::chrono::milliseconds timeout, Work work, Result& result) {
    struct Shared {
        std::mutex lock;
        std::condition_variable finished;
        bool done = false;
        HRESULT hr = E_PENDING;
        Result result{};
    };
    auto shared = std::make_shared<Shared>();
    try {
        std::thread([shared, work = std::move(work)]() mutable {
            Result made{};
            const HRESULT hr = work(made);
            std::lock_guard lock(shared->lock);
            shared->hr = hr;
            shared->result = std::move(made);
            shared->done = true;
            shared->finished.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return E_OUTOFMEMORY;
    }
    std::unique_lock lock(shared->lock);
    if (!shared->finished.wait_for(lock, timeout, [&] { return shared->done; }))
        return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    result = std::move(shared->result);
    return shared->hr;
}

}  // namespace wallcine::win
