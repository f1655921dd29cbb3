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
    StopTicking();
    EXPECT_TRUE(events_.empty()) << "a timer event was never killed";
    EXPECT_EQ(open_periods_, 0) << "timeBeginPeriod without timeEndPeriod";
    active = nullptr;
}

const win::WinmmApi& FakeWinmm::Api() const {
    static const win::WinmmApi api{&GetDevCaps, &BeginPeriod, &EndPeriod, &SetEvent, &KillEvent};
    return api;
}

void FakeWinmm::Tick(UINT timer_id, int count) {
    std::thread winmm_thread([this, timer_id, count] {
        for (int tick = 0; tick < count; ++tick) {
            const std::lock_guard lock(events_mutex_);
            auto found = events_.find(timer_id);
            if (found == events_.end()) {
                ADD_FAILURE() << "tick of a dead event";
                return;
            }
            found->second.callback(timer_id, 0, found->second.user, 0, 0);
        }
    });
    winmm_thread.join();
}

void FakeWinmm::StartTicking(UINT timer_id, DWORD period_ms) {
    StopTicking();
    if (ticker_.joinable()) ticker_.join();
    ticking_id_ = timer_id;
    stop_ticking_ = false;
    ticker_ = std::thread([this, timer_id, period_ms] {
        while (!stop_ticking_) {
            ::Sleep(period_ms);
            const std::lock_guard lock(events_mutex_);
            if (stop_ticking_) return;
            auto found = events_.find(timer_id);
            if (found == events_.end()) return;
            found->second.callback(timer_id, 0, found->second.user, 0, 0);
        }
    });
}

void FakeWinmm::StopTicking() {
    stop_ticking_ = true;
    // A kill from inside a tick ends the ticker once that tick returns.
    if (ticker_.joinable() && ticker_.get_id() != std::this_thread::get_id()) ticker_.join();
    ticking_id_ = 0;
}

bool FakeWinmm::IsLive(UINT timer_id) const {
    const std::lock_guard lock(events_mutex_);
    return events_.contains(timer_id);
}

size_t FakeWinmm::LiveEvents() const {
    const std::lock_guard lock(events_mutex_);
    return events_.size();
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
    const std::lock_guard lock(active->events_mutex_);
    const UINT id = active->next_id_++;
    active->events_[id] = Event{callback, user, flags};
    return id;
}

MMRESULT WINAPI FakeWinmm::KillEvent(UINT timer_id) {
    active->calls.push_back(Format("timeKillEvent %u", timer_id));
    bool killed = false;
    {
        // Waits for a tick under way, as a synchronous kill does.
        const std::lock_guard lock(active->events_mutex_);
        killed = active->events_.erase(timer_id) != 0;
        if (timer_id == active->ticking_id_) active->stop_ticking_ = true;
    }
    if (timer_id == active->ticking_id_) active->StopTicking();
    return killed ? TIMERR_NOERROR : MMSYSERR_INVALPARAM;
}

}  // namespace wallcine::test
