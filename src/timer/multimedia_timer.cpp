#include "timer/multimedia_timer.h"

#include "win/show_exception.h"

namespace wallcine {

namespace {
// TIME_PERIODIC with a function callback; the synchronous kill is what makes "no tick after the
// stop returns" hold on every system.
constexpr UINT kEventFlags = TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS;
}  // namespace

TMultimediaTimer::TMultimediaTimer(const win::WinmmApi& winmm) : winmm_(winmm) {}

TMultimediaTimer::~TMultimediaTimer() { SetEnabled(false); }

void TMultimediaTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    if (value)
        StartTimer();
    else
        StopTimer();
}

void TMultimediaTimer::SetInterval(std::uint16_t value) {
    if (value == interval_) return;
    if (enabled_) StopTimer();
    interval_ = value;
    if (enabled_) StartTimer();
}

void TMultimediaTimer::SetResolution(std::uint16_t value) {
    if (value == resolution_) return;
    if (enabled_) StopTimer();
    resolution_ = value;
    if (enabled_) StartTimer();
}

void TMultimediaTimer::Loaded() {
    loading_ = false;
    if (enabled_) StartTimer();
}

void TMultimediaTimer::TimerTick() {
    if (on_timer_) on_timer_(*this);
}

void CALLBACK TMultimediaTimer::TimerCallback(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    // Nothing may unwind into winmm's thread: a failing handler is reported like any other error.
    try {
        reinterpret_cast<TMultimediaTimer*>(user)->TimerTick();
    } catch (...) {
        win::ShowCurrentException();
    }
}

void TMultimediaTimer::StartTimer() {
    if (loading_ || timer_id_ != 0) return;

    TIMECAPS caps{};
    if (winmm_.timeGetDevCaps(&caps, sizeof caps) != TIMERR_NOERROR) caps = TIMECAPS{};
    // Compared on 32 bits, stored as the low 16 bits.
    std::uint32_t resolution = resolution_;
    if (resolution < caps.wPeriodMin) resolution = caps.wPeriodMin;
    if (resolution > caps.wPeriodMax) resolution = caps.wPeriodMax;
    resolution_ = static_cast<std::uint16_t>(resolution);
    if (interval_ < resolution_) interval_ = resolution_;
    if (interval_ == 0) return;

    winmm_.timeBeginPeriod(resolution_);
    timer_id_ = winmm_.timeSetEvent(interval_, resolution_, &TimerCallback, reinterpret_cast<DWORD_PTR>(this),
                                    kEventFlags);
    enabled_ = timer_id_ != 0;
    if (timer_id_ == 0) winmm_.timeEndPeriod(resolution_);
}

void TMultimediaTimer::StopTimer() {
    const std::uint32_t id = timer_id_.exchange(0);
    if (id == 0) return;
    winmm_.timeKillEvent(id);
    winmm_.timeEndPeriod(resolution_);
}

}  // namespace wallcine
