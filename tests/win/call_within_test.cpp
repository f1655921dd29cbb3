// CallWithin: a prompt call's result comes back; a call that does not return in time leaves the
// caller with a timeout, runs on, and drops its result on its own thread when it ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <memory>

#include "win/call_within.h"
#include "win/unique_handle.h"

namespace wallcine::win {
namespace {

using namespace std::chrono_literals;

TEST(CallWithin, APromptCallHandsBackItsResultAndCode) {
    int result = 0;
    const HRESULT hr = CallWithin(
        5s,
        [](int& made) {
            made = 42;
            return S_FALSE;
        },
        result);
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_EQ(result, 42);
}

// What a late call made: it says when it is destroyed.
struct Made {
    explicit Made(HANDLE destroyed) : destroyed(destroyed) {}
    ~Made() { ::SetEvent(destroyed); }
    HANDLE destroyed;
};

TEST(CallWithin, ALateCallTimesOutAndItsResultGoesWithItsThread) {
    auto release = std::make_shared<unique_handle_kernel>(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto destroyed = std::make_shared<unique_handle_kernel>(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(*release && *destroyed);

    std::unique_ptr<Made> result;
    const HRESULT hr = CallWithin(
        50ms,
        [release, destroyed](std::unique_ptr<Made>& made) {
            ::WaitForSingleObject(release->get(), INFINITE);
            made = std::make_unique<Made>(destroyed->get());
            return S_OK;
        },
        result);
    EXPECT_EQ(hr, HRESULT_FROM_WIN32(ERROR_TIMEOUT));
    EXPECT_EQ(result, nullptr);

    // Let the late call end: what it made is destroyed on its thread, not handed to anyone.
    ::SetEvent(release->get());
    EXPECT_EQ(::WaitForSingleObject(destroyed->get(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(result, nullptr);
    // The late thread lets go of what it captured as it ends: the test ends after it, not while
    // that thread is still unwinding (a process that exits under a running thread can crash).
    for (const DWORD start = ::GetTickCount(); release.use_count() > 1 && ::GetTickCount() - start < 5000;)
        ::Sleep(1);
    EXPECT_EQ(release.use_count(), 1);
}

}  // namespace
}  // namespace wallcine::win
