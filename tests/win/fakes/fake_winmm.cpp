#include "fakes/fake_winmm.h"

#include <gtest/gtest.h>

#include "core/errors.h"

namespace wallcine::test {

namespace {
FakeWinmm* active = nullptr;
}

FakeWinmm::FakeWinmm() {
    EXPECT_EQ(active, nullptr) << "one FakeWinmm at a time";
    active = this;
}

FakeWinmm::~FakeWinmm() {
    EXPECT_TRUE(events_.empty()) << "a timer event was never killed";
    EXPECT_EQ(open_periods_, 0) << "timeBeginPeriod without timeEndPeriod";
    active = nullptr;
}

const win::WinmmApi& FakeWinmm::Api() const {
    static const win::WinmmApi api{&GetDevCaps, &BeginPeriod, &EndPeriod, &SetEvent, &KillEvent};
    return api;
}

void FakeWinmm::Tick(UINT timer_id) {
    auto found = events_.find(timer_id);
    ASSERT_NE(found, events_.end()) << "tick of a dead event";
    const Event event = found->second;
    event.callback(timer_id, 0, event.user, 0, 0);
}

MMRESULT WINAPI FakeWinmm::GetDevCaps(LPTIMECAPS caps, UINT size) {
    active->calls.push_back(Format("timeGetDevCaps %u", size));
    if (active->caps_result != TIMERR_NOERROR) return active->caps_result;
    caps->wPeriodMin = active->period_min;
    caps->wPeriodMax = active->period_max;
    return TIMERR_NOERROR;
}

MMRESULT WINAPI FakeWinmm::BeginPeriod(UINT period) {
    active->calls.push_back(Format("timeBeginPeriod %u", period));
    ++active->open_periods_;
    return TIMERR_NOERROR;
}

MMRESULT WINAPI FakeWinmm::EndPeriod(UINT period) {
    active->calls.push_back(Format("timeEndPeriod %u", period));
    --active->open_periods_;
    return TIMERR_NOERROR;
}

MMRESULT WINAPI FakeWinmm::SetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags) {
    active->calls.push_back(Format("timeSetEvent %u %u flags $%X", delay, resolution, flags));
    if (active->set_event_fails) return 0;
    const UINT id = active->next_id_++;
    active->events_[id] = Event{callback, user, flags};
    return id;
}

MMRESULT WINAPI FakeWinmm::KillEvent(UINT timer_id) {
    active->calls.push_back(Format("timeKillEvent %u", timer_id));
    return active->events_.erase(timer_id) ? TIMERR_NOERROR : MMSYSERR_INVALPARAM;
}

}  // namespace wallcine::test
