// Removing our tray icon without letting the shell hold up the caller. The shell answers the
// request when it has handled it, and handling it can take long: Wine's tray outside a virtual
// desktop hides its own window when its last icon goes, and that hide waits up to 2 s for an X
// window manager (all of it where there is none). The request is made from a thread of its own;
// the caller waits for the answer only a short while, after which the shell finishes the
// removal on its own.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace wallcine::app {

// How long the caller waits for the shell's answer once the request is on its way: far more
// than a shell that is not busy needs, far less than a user notices.
inline constexpr DWORD kTrayAnswerWaitMs = 300;

// Asks the installed desktop services (win::DesktopServices()) to delete `icon` (NIM_DELETE)
// and returns when they answered or `answer_wait_ms` after the request was made, whichever
// comes first. The record is copied: the caller's may go at once. True when they answered in
// time. Where no thread can be started the request is made on the calling thread.
bool RemoveTrayIconPromptly(const NOTIFYICONDATAA& icon, DWORD answer_wait_ms = kTrayAnswerWaitMs) noexcept;

}  // namespace wallcine::app
