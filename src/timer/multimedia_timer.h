// TMultimediaTimer: calls OnTimer every Interval ms through winmm's periodic timer, on winmm's
// own timer thread. Ticks of one timer never overlap, and once the timer has been stopped
// (Enabled := false, a restart, destruction) no further tick begins: the event is created with
// TIME_KILL_SYNCHRONOUS, so timeKillEvent waits for a running tick unless it is called from
// inside that tick. An exception from OnTimer is reported, never let into winmm's thread. OnTimer
// must never SendMessage to a thread that may be stopping this timer (that would deadlock); post.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <functional>

#include "win/winmm_api.h"

namespace wallcine {

class TMultimediaTimer {
public:
    using TNotifyEvent = std::function<void(TMultimediaTimer& sender)>;

    explicit TMultimediaTimer(const win::WinmmApi& winmm = win::SystemWinmm());
    ~TMultimediaTimer();
    TMultimediaTimer(const TMultimediaTimer&) = delete;
    TMultimediaTimer& operator=(const TMultimediaTimer&) = delete;

    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool value);
    std::uint16_t Interval() const noexcept { return interval_; }
    void SetInterval(std::uint16_t value);
    std::uint16_t Resolution() const noexcept { return resolution_; }
    void SetResolution(std::uint16_t value);
    // Plain store; set it while the timer is stopped.
    void SetOnTimer(TNotifyEvent handler) { on_timer_ = std::move(handler); }

    // Reading stored settings: while loading, Enabled := true only records the wish; Loaded()
    // starts the timer once every setting is in place.
    void BeginLoading() noexcept { loading_ = true; }
    void Loaded();

    std::uint32_t TimerID() const noexcept { return timer_id_; }

protected:
    virtual void TimerTick();

private:
    static void CALLBACK TimerCallback(UINT timer_id, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR);
    void StartTimer();
    void StopTimer();

    const win::WinmmApi& winmm_;
    std::atomic<std::uint32_t> timer_id_{0};
    std::atomic<bool> enabled_{false};
    std::uint16_t interval_ = 1000;
    std::uint16_t resolution_ = 100;
    TNotifyEvent on_timer_;
    bool loading_ = false;
};

}  // namespace wallcine
