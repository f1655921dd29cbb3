// Waiting on another process: every wait polls a condition until it holds or a time-out passes,
// so a test is as fast as the program and as patient as a slow Wine on a busy machine.
#pragma once

#include <windows.h>

namespace wallcine::e2e {

// Generous: Wine on two busy cores can take seconds for what Windows does at once.
inline constexpr DWORD kPatience = 20000;
inline constexpr DWORD kPollInterval = 20;

// True as soon as `condition()` holds; false when it still does not after `timeout_ms`.
template <class Condition>
bool WaitUntil(Condition&& condition, DWORD timeout_ms = kPatience) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount() - start > timeout_ms) return condition();
        ::Sleep(kPollInterval);
    }
}

}  // namespace wallcine::e2e
