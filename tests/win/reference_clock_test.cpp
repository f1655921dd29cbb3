// TReferenceClock on the real system: its time, the events and semaphores it signals, what it
// refuses, and its end, which must come however recently it was advised. The waits are bounded
// and generous: they catch a sink never signalled or a release that hangs, not a slow machine.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "media/reference_clock.h"
#include "win/unique_handle.h"

namespace wallcine::media {
namespace {

constexpr REFERENCE_TIME kMillisecond = 10'000;
constexpr DWORD kPatienceMs = 5000;

REFERENCE_TIME TimeOf(IReferenceClock& clock) {
    REFERENCE_TIME now = 0;
    EXPECT_TRUE(SUCCEEDED(clock.GetTime(&now)));
    return now;
}

TEST(ReferenceClock, TimeNeverGoesBackAndKeepsPaceWithTheTickCount) {
    const auto clock = TReferenceClock::Create();
    REFERENCE_TIME previous = TimeOf(*clock);
    for (int i = 0; i < 1000; ++i) {
        const REFERENCE_TIME now = TimeOf(*clock);
        ASSERT_GE(now, previous);
        previous = now;
    }
    // Each reading of the clock between two of the tick count, so a pause of this thread in
    // between cannot skew the comparison; the tick count itself moves in steps of up to 16 ms.
    const auto tick = [] { return static_cast<REFERENCE_TIME>(::GetTickCount64()) * kMillisecond; };
    const REFERENCE_TIME before_start = tick(), start = TimeOf(*clock), after_start = tick();
    ::Sleep(200);
    const REFERENCE_TIME before_end = tick(), end = TimeOf(*clock), after_end = tick();
    constexpr REFERENCE_TIME kTickStep = 16 * kMillisecond;
    EXPECT_GE(end - start, before_end - after_start - kTickStep);
    EXPECT_LE(end - start, after_end - before_start + kTickStep);
}

TEST(ReferenceClock, AnAdvisedEventIsSetOnceItsTimeHasCome) {
    const auto clock = TReferenceClock::Create();
    const win::unique_handle_kernel event(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    const REFERENCE_TIME base = TimeOf(*clock);
    DWORD_PTR cookie = 0;
    ASSERT_EQ(clock->AdviseTime(base, 30 * kMillisecond, reinterpret_cast<HEVENT>(event.get()), &cookie), S_OK);

    ASSERT_EQ(::WaitForSingleObject(event.get(), kPatienceMs), WAIT_OBJECT_0);
    EXPECT_GE(TimeOf(*clock), base + 30 * kMillisecond) << "set before its time";
    // A single event: it is gone once set.
    EXPECT_EQ(clock->Unadvise(cookie), S_FALSE);
}

TEST(ReferenceClock, AnAdvisedSemaphoreIsReleasedEveryPeriodUntilUnadvised) {
    const auto clock = TReferenceClock::Create();
    const win::unique_handle_kernel semaphore(::CreateSemaphoreA(nullptr, 0, 1000, nullptr));
    const REFERENCE_TIME start = TimeOf(*clock) + 10 * kMillisecond;
    constexpr REFERENCE_TIME kPeriod = 20 * kMillisecond;
    DWORD_PTR cookie = 0;
    ASSERT_EQ(clock->AdvisePeriodic(start, kPeriod, reinterpret_cast<HSEMAPHORE>(semaphore.get()), &cookie), S_OK);

    for (int release = 0; release < 3; ++release) {
        ASSERT_EQ(::WaitForSingleObject(semaphore.get(), kPatienceMs), WAIT_OBJECT_0) << "release " << release;
        EXPECT_GE(TimeOf(*clock), start + release * kPeriod) << "release " << release << " came early";
    }

    ASSERT_EQ(clock->Unadvise(cookie), S_OK);
    // Drain what was counted before the unadvise; then nothing more comes.
    while (::WaitForSingleObject(semaphore.get(), 0) == WAIT_OBJECT_0) {
    }
    EXPECT_EQ(::WaitForSingleObject(semaphore.get(), 200), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(clock->Unadvise(cookie), S_FALSE);
}

TEST(ReferenceClock, AnUnadvisedEventIsNeverSet) {
    const auto clock = TReferenceClock::Create();
    const win::unique_handle_kernel event(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    DWORD_PTR cookie = 0;
    ASSERT_EQ(clock->AdviseTime(TimeOf(*clock), 50 * kMillisecond, reinterpret_cast<HEVENT>(event.get()), &cookie),
              S_OK);
    ASSERT_EQ(clock->Unadvise(cookie), S_OK);
    EXPECT_EQ(::WaitForSingleObject(event.get(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(ReferenceClock, RefusesWhatItCannotAdvise) {
    const auto clock = TReferenceClock::Create();
    const win::unique_handle_kernel event(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    const auto handle = reinterpret_cast<HEVENT>(event.get());
    const auto semaphore = reinterpret_cast<HSEMAPHORE>(event.get());
    DWORD_PTR cookie = 0;
    EXPECT_EQ(clock->GetTime(nullptr), E_POINTER);
    EXPECT_EQ(clock->AdviseTime(0, 0, handle, &cookie), E_INVALIDARG) << "a time not after 0";
    EXPECT_EQ(clock->AdviseTime(100, -100, handle, &cookie), E_INVALIDARG) << "a time not after 0";
    EXPECT_EQ(clock->AdviseTime(100, 0, 0, &cookie), E_INVALIDARG) << "no event";
    EXPECT_EQ(clock->AdviseTime(100, 0, handle, nullptr), E_POINTER);
    EXPECT_EQ(clock->AdvisePeriodic(0, 100, semaphore, &cookie), E_INVALIDARG) << "no start";
    EXPECT_EQ(clock->AdvisePeriodic(100, 0, semaphore, &cookie), E_INVALIDARG) << "no period";
    EXPECT_EQ(clock->AdvisePeriodic(100, 100, 0, &cookie), E_INVALIDARG) << "no semaphore";
    EXPECT_EQ(clock->Unadvise(12345), S_FALSE);
}

// Clocks let go right after an advise, an unadvise or a signal, as graphs let go of theirs when
// an item is skipped at once: each release ends the clock's thread and returns. (Wine 8's own
// system clock can miss the wake-up that ends its thread, and its release then never returns.)
TEST(ReferenceClock, ALastReleaseEndsTheClockWhateverItsThreadIsDoing) {
    const win::unique_handle_kernel done(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread releases([done = done.get()] {
        const win::unique_handle_kernel event(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
        for (int round = 0; round < 300; ++round) {
            auto clock = TReferenceClock::Create();
            DWORD_PTR cookie = 0;
            clock->AdviseTime(TimeOf(*clock), (round % 3) * kMillisecond, reinterpret_cast<HEVENT>(event.get()),
                              &cookie);
            if (round % 2) clock->Unadvise(cookie);
            clock.reset();
        }
        ::SetEvent(done);
    });
    if (::WaitForSingleObject(done.get(), 30000) == WAIT_OBJECT_0) {
        releases.join();
    } else {
        ADD_FAILURE() << "a clock's release did not return";
        releases.detach();  // hung for good; the process ends with the test
    }
}

}  // namespace
}  // namespace wallcine::media
