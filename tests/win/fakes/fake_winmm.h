// FakeWinmm: a winmm timer service in the test's hands. It records the calls in order, reports
// the device capabilities a test sets, and delivers a tick only when the test calls Tick().
// One instance at a time (winmm's table holds plain function pointers).
#pragma once

#include <map>
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

    // Calls the callback of a live event, as winmm's thread would.
    void Tick(UINT timer_id);
    bool IsLive(UINT timer_id) const { return events_.contains(timer_id); }
    size_t LiveEvents() const { return events_.size(); }
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

    std::map<UINT, Event> events_;
    UINT next_id_ = 7;
    int open_periods_ = 0;
};

}  // namespace wallcine::test
