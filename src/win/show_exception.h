// The application's one error report: a message box with the application's title as caption
// and the error icon. Every window procedure and callback entry hands its errors here, so no
// exception ever crosses into the system.
#pragma once

#include <exception>

namespace wallcine::win {

inline constexpr char kApplicationTitle[] = "Wallcine";

void ShowException(const char* message) noexcept;
// Reports the exception currently being handled; call it from a catch block.
void ShowCurrentException() noexcept;

// Runs a handler the way every handler runs: an error it raises is reported here, the rest of
// that handler is skipped, and the program goes on. For handlers called outside a window
// procedure (a window's creation handler, run by its constructor).
template <class Handler>
void RunReportingErrors(Handler&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        ShowCurrentException();
    }
}

}  // namespace wallcine::win
