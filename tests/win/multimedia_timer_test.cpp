// TMultimediaTimer against a fake winmm: clamping, the begin/end period pairing, restarts,
// stopping from inside a tick, loading and destruction.
#include <gtest/gtest.h>

#include <memory>

#include "fakes/desktop_services_recorder.h"
#include "fakes/fake_winmm.h"
#include "timer/multimedia_timer.h"

namespace wallcine {
namespace {

using test::FakeWinmm;
using Calls = std::vector<std::string>;

TEST(MultimediaTimer, CreationMakesNoPlatformCallAndHasTheStoredDefaults) {
    FakeWinmm winmm;
    TMultimediaTimer timer(winmm.Api());
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000);
    EXPECT_EQ(timer.Resolution(), 100);
    EXPECT_EQ(timer.TimerID(), 0u);
    timer.SetEnabled(false);  // already off: nothing to do
    EXPECT_TRUE(winmm.calls.empty());
}

TEST(MultimediaTimer, StartAndStopPairTheResolutionRequest) {
    FakeWinmm winmm;
    TMultimediaTimer timer(winmm.Api());
    timer.SetInterval(20);
    timer.SetResolution(10);
    timer.SetEnabled(true);
    timer.SetEnabled(true);  // a second true creates no second event
    EXPECT_TRUE(timer.Enabled());
    const UINT id = timer.TimerID();
    EXPECT_TRUE(winmm.IsLive(id));
    timer.SetEnabled(false);
    EXPECT_EQ(winmm.calls, (Calls{"timeGetDevCaps 8", "timeBeginPeriod 10", "timeSetEvent 20 10 flags $101",
                                  "timeKillEvent " + std::to_string(id), "timeEndPeriod 10"}));
    EXPECT_EQ(timer.TimerID(), 0u);
}

struct ClampCase {
    const char* name;
    MMRESULT caps_result;
    UINT period_min, period_max;
    std::uint16_t interval, resolution;
    std::uint16_t expected_interval, expected_resolution;
    bool expect_event;
};

class MultimediaTimerClamping : public ::testing::TestWithParam<ClampCase> {};

TEST_P(MultimediaTimerClamping, ClampsToTheDeviceAndReadsBackTheClampedValues) {
    const ClampCase& c = GetParam();
    FakeWinmm winmm;
    winmm.caps_result = c.caps_result;
    winmm.period_min = c.period_min;
    winmm.period_max = c.period_max;
    TMultimediaTimer timer(winmm.Api());
    timer.SetInterval(c.interval);
    timer.SetResolution(c.resolution);
    timer.SetEnabled(true);

    EXPECT_EQ(timer.Resolution(), c.expected_resolution);
    EXPECT_EQ(timer.Interval(), c.expected_interval);
    EXPECT_EQ(winmm.LiveEvents(), c.expect_event ? 1u : 0u);
    // A zero interval creates no event but keeps Enabled as set.
    EXPECT_TRUE(timer.Enabled());
    timer.SetEnabled(false);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MultimediaTimerClamping,
    ::testing::Values(ClampCase{"InRange", TIMERR_NOERROR, 1, 1000, 20, 10, 20, 10, true},
                      ClampCase{"BelowDeviceMinimum", TIMERR_NOERROR, 5, 1000, 20, 1, 20, 5, true},
                      ClampCase{"AboveDeviceMaximum", TIMERR_NOERROR, 1, 50, 20, 100, 50, 50, true},
                      ClampCase{"IntervalRaisedToResolution", TIMERR_NOERROR, 1, 1000, 5, 10, 10, 10, true},
                      // A failed capability query gives zero limits: resolution 0 and, with a
                      // zero interval too, no event at all.
                      ClampCase{"CapsFailKeepsInterval", TIMERR_NOCANDO, 5, 50, 20, 10, 20, 0, true},
                      ClampCase{"CapsFailZeroInterval", TIMERR_NOCANDO, 5, 50, 0, 10, 0, 0, false},
                      // Compared on 32 bits, stored on 16: a device maximum above 65535 never clamps.
                      ClampCase{"HugeDeviceMaximum", TIMERR_NOERROR, 1, 0x10000, 65535, 65535, 65535, 65535, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MultimediaTimer, FailedEventCreationReleasesTheResolutionAndClearsEnabled) {
    FakeWinmm winmm;
    winmm.set_event_fails = true;
    TMultimediaTimer timer(winmm.Api());
    timer.SetEnabled(true);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(winmm.OpenPeriods(), 0);
    EXPECT_EQ(winmm.calls.back(), "timeEndPeriod 100");
    // Enabled := true tries again.
    winmm.set_event_fails = false;
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(winmm.LiveEvents(), 1u);
    timer.SetEnabled(false);
}

TEST(MultimediaTimer, ChangingIntervalOrResolutionRestartsOnlyWhenTheValueDiffers) {
    FakeWinmm winmm;
    TMultimediaTimer timer(winmm.Api());
    timer.SetInterval(20);
    timer.SetResolution(10);
    timer.SetEnabled(true);
    winmm.calls.clear();

    timer.SetInterval(20);
    timer.SetResolution(10);
    EXPECT_TRUE(winmm.calls.empty());

    const UINT first = timer.TimerID();
    timer.SetInterval(5);  // below the resolution: raised to it
    EXPECT_EQ(timer.Interval(), 10);
    const UINT second = timer.TimerID();
    timer.SetResolution(2);
    EXPECT_EQ(winmm.calls,
              (Calls{"timeKillEvent " + std::to_string(first), "timeEndPeriod 10", "timeGetDevCaps 8",
                     "timeBeginPeriod 10", "timeSetEvent 10 10 flags $101", "timeKillEvent " + std::to_string(second),
                     "timeEndPeriod 10", "timeGetDevCaps 8", "timeBeginPeriod 2", "timeSetEvent 10 2 flags $101"}));
    EXPECT_EQ(winmm.LiveEvents(), 1u);
    timer.SetEnabled(false);
}

TEST(MultimediaTimer, TicksCallOnTimerWithTheTimerAsSender) {
    FakeWinmm winmm;
    TMultimediaTimer timer(winmm.Api());
    int ticks = 0;
    timer.SetOnTimer([&](TMultimediaTimer& sender) {
        EXPECT_EQ(&sender, &timer);
        ++ticks;
    });
    timer.SetEnabled(true);
    winmm.Tick(timer.TimerID());
    winmm.Tick(timer.TimerID());
    EXPECT_EQ(ticks, 2);
    timer.SetEnabled(false);
}

TEST(MultimediaTimer, AFailingHandlerIsReportedAndNeverUnwindsIntoWinmm) {
    FakeWinmm winmm;
    test::DesktopServicesRecorder services;
    win::ScopedDesktopServices use_recorder(services);
    TMultimediaTimer timer(winmm.Api());
    timer.SetOnTimer([](TMultimediaTimer&) { throw std::runtime_error("tick failed"); });
    timer.SetEnabled(true);
    winmm.Tick(timer.TimerID());  // returns normally
    EXPECT_EQ(services.calls, (Calls{"MessageBoxA null [tick failed] [Wallcine] 16"}));
    EXPECT_TRUE(timer.Enabled());
    timer.SetEnabled(false);
}

TEST(MultimediaTimer, DisablingFromInsideOnTimerEndsTheTicks) {
    FakeWinmm winmm;
    TMultimediaTimer timer(winmm.Api());
    int ticks = 0;
    timer.SetOnTimer([&](TMultimediaTimer& sender) {
        ++ticks;
        sender.SetEnabled(false);
    });
    timer.SetEnabled(true);
    const UINT id = timer.TimerID();
    winmm.Tick(id);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_FALSE(winmm.IsLive(id));
    EXPECT_EQ(winmm.OpenPeriods(), 0);
}

TEST(MultimediaTimer, DestroyingARunningTimerKillsItsEvent) {
    FakeWinmm winmm;
    auto timer = std::make_unique<TMultimediaTimer>(winmm.Api());
    timer->SetEnabled(true);
    const UINT id = timer->TimerID();
    timer.reset();
    EXPECT_FALSE(winmm.IsLive(id));
    EXPECT_EQ(winmm.OpenPeriods(), 0);
}

TEST(MultimediaTimer, EnabledWhileLoadingWaitsForLoaded) {
    FakeWinmm winmm;
    TMultimediaTimer timer(winmm.Api());
    timer.BeginLoading();
    timer.SetEnabled(true);
    timer.SetInterval(20);
    timer.SetResolution(10);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(winmm.LiveEvents(), 0u);
    EXPECT_TRUE(winmm.calls.empty());

    timer.Loaded();
    EXPECT_EQ(winmm.calls, (Calls{"timeGetDevCaps 8", "timeBeginPeriod 10", "timeSetEvent 20 10 flags $101"}));
    timer.SetEnabled(false);
}

TEST(MultimediaTimer, LoadedWithEnabledFalseStartsNothing) {
    FakeWinmm winmm;
    TMultimediaTimer timer(winmm.Api());
    timer.BeginLoading();
    timer.Loaded();
    EXPECT_TRUE(winmm.calls.empty());
}

}  // namespace
}  // namespace wallcine
