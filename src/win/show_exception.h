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

}  // namespace wallcine::win
