// What a start that cannot play looks like from outside: the system-modal "Error" box with the
// error's text, no tray icon while it is shown, the program ended once it is dismissed, and the
// desktop settings never touched.
#pragma once

#include <string>

#include "wallcine_process.h"

namespace wallcine::e2e {

// Expects the "Error" box of a Wallcine started by the test (the test's desktop settings made
// before it), checks all of the above, and returns the box's text (empty when no box came: the
// test has then failed with what happened instead).
std::string ErrorTextOfStart(const WallcineProcess& wallcine);

// Sets the test's desktop settings, starts Wallcine with `argument`, and does the same.
std::string ErrorTextOfStartWith(const std::string& argument);
// The same with a Unicode command line (CreateProcessW).
std::string ErrorTextOfStartWith(const std::wstring& argument);

// How the process stands, for a failure message: its exit code, or the boxes it shows.
std::string DescribeState(const WallcineProcess& wallcine);

// An exit code that is an exception's status (0xC0000005, ...): the process crashed.
inline bool IsCrashExitCode(DWORD code) { return code >= 0xC0000000; }

}  // namespace wallcine::e2e
