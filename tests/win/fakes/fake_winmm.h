// FakeWinmm: a winmm timer service in the test's hands. It records the calls in order, reports
// the device capabilities a test sets, and delivers ticks only when the test asks: Tick() from a
// thread of its own, as winmm does (so a callback that touches the GUI thread's state shows),
// or, after StartTicking(), every few milliseconds until the event is killed, which waits for a
// tick under way (as TIME_KILL_SYNCHRONOUS does).
// One instance at a time (winmm's table holds plain function pointers).
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include "win/winmm_api.h"

namespace wallcine::test {

class FakeWinmm {
public:
    FakeWinmm();
    ~FakeWinmm();
    FakeWinmm(const FakeWinmm&) = delete;
    FakeWinmm& operator=(const FakeWinmm&) = delete;

    const win::WinmmApi& Api() const;

    // Knobs.
    MMRESULT caps_result = TIMERR_NOERROR;
    UINT period_min = 1;
    UINT period_max = 1000000;
    bool set_event_fails = false;

    // Calls the callback of a live event `count` times on another thread, and returns when it is done.
    void Tick(UINT timer_id, int count = 1);
    // Calls the callback of a live event every `period_ms` from another thread until it is killed.
    void StartTicking(UINT timer_id, DWORD period_ms);
    bool IsLive(UINT timer_id) const;
    size_t LiveEvents() const;
    int OpenPeriods() const { return open_periods_; }

    std::vector<std::string> calls;

private:
    struct Event {
        LPTIMECALLBACK callback;
        DWORD_PTR user;
        UINT flags;
    };
    static MMRESULT WINAPI GetDevCaps(LPTIMECAPS caps, UINT size);
    static MMRESULT WINAPI BeginPeriod(UINT period);
    static MMRESULT WINAPI EndPeriod(UINT period);
    static MMRESULT WINAPI SetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags);
    static MMRESULT WINAPI KillEvent(UINT timer_id);

    void StopTicking();

    // Held while a callback runs and while the event table changes: a kill waits for a tick.
    mutable std::recursive_mutex events_mutex_;
    std::map<UINT, Event> events_;
    std::thread ticker_;
    UINT ticking_id_ = 0;
    std::atomic<bool> stop_ticking_{false};
    UINT next_id_ = 7;
    int open_periods_ = 0;
};

}  // namespace wallcine::test
