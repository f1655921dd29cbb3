// TMultimediaTimer on the real winmm: a 20 ms timer ticks at about that period, one tick at a
// time, and no tick begins once the stop has returned, also when the stop comes from inside a
// tick. The period bounds are wide: they catch a timer that is off by a factor, not jitter.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "timer/multimedia_timer.h"

namespace wallcine {
namespace {

using namespace std::chrono_literals;

struct TickProbe {
    std::atomic<int> ticks{0};
    std::atomic<int> running{0};
    std::atomic<int> most_at_once{0};
    std::atomic<DWORD> first_tick_ms{0};
    std::atomic<DWORD> last_tick_ms{0};
    std::atomic<DWORD> thread_id{0};

    void OnTick(std::chrono::milliseconds work) {
        const int now_running = ++running;
        int seen = most_at_once;
        while (now_running > seen && !most_at_once.compare_exchange_weak(seen, now_running)) {
        }
        const DWORD now = ::GetTickCount();
        if (ticks++ == 0) first_tick_ms = now;
        last_tick_ms = now;
        thread_id = ::GetCurrentThreadId();
        std::this_thread::sleep_for(work);
        --running;
    }
};

TEST(MultimediaTimerOnWinmm, TicksEveryTwentyMillisecondsOneAtATimeOnAThreadOfItsOwn) {
    TickProbe probe;
    TMultimediaTimer timer;
    timer.SetInterval(20);
    timer.SetResolution(10);
    timer.SetOnTimer([&](TMultimediaTimer&) { probe.OnTick(5ms); });
    timer.SetEnabled(true);
    ASSERT_TRUE(timer.Enabled());
    std::this_thread::sleep_for(1000ms);
    timer.SetEnabled(false);

    const int ticks = probe.ticks;
    ASSERT_GE(ticks, 10);
    const double period = double(probe.last_tick_ms - probe.first_tick_ms) / (ticks - 1);
    EXPECT_GT(period, 10.0);
    EXPECT_LT(period, 60.0);
    EXPECT_EQ(probe.most_at_once, 1);
    EXPECT_NE(probe.thread_id, ::GetCurrentThreadId());

    // Nothing after the stop has returned, not even a tick that was about to begin.
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(probe.ticks, ticks);
    EXPECT_EQ(probe.running, 0);
}

TEST(MultimediaTimerOnWinmm, AStopWaitsForARunningTick) {
    TickProbe probe;
    TMultimediaTimer timer;
    timer.SetInterval(10);
    timer.SetResolution(1);
    timer.SetOnTimer([&](TMultimediaTimer&) { probe.OnTick(50ms); });
    timer.SetEnabled(true);
    while (probe.running == 0) std::this_thread::sleep_for(1ms);
    timer.SetEnabled(false);
    // The tick in progress finished before the stop returned.
    EXPECT_EQ(probe.running, 0);
    const int ticks = probe.ticks;
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(probe.ticks, ticks);
}

TEST(MultimediaTimerOnWinmm, DisablingFromInsideTheTickEndsTheTicks) {
    std::atomic<int> ticks{0};
    TMultimediaTimer timer;
    timer.SetInterval(20);
    timer.SetResolution(10);
    timer.SetOnTimer([&](TMultimediaTimer& sender) {
        if (++ticks == 3) sender.SetEnabled(false);
    });
    timer.SetEnabled(true);
    for (int waited = 0; timer.Enabled() && waited < 2000; waited += 5) std::this_thread::sleep_for(5ms);
    ASSERT_FALSE(timer.Enabled());
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(ticks, 3);
}

}  // namespace
}  // namespace wallcine
