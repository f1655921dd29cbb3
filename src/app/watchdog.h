// The watchdog: a second Wallcine.exe, started with desktop mode, with no window and no tray
// icon. It waits for the main process to end; if that process ended without giving the desktop
// back (the restore journal is still there: a crash, Task Manager, a kill), the watchdog gives it
// back from the journal. After a normal Exit it finds no journal and ends at once. One watchdog at
// most runs per session; the main process does not depend on it.
#pragma once

#include <windows.h>

#include <string>

namespace wallcine::app {

// The command-line switch that makes Wallcine.exe a watchdog: "Wallcine.exe --watchdog <pid>".
inline constexpr char kWatchdogSwitch[] = "--watchdog";

// Starts the watchdog for the current process (a no-op when one already watches it); false when it
// could not be started.
bool StartWatchdog(const std::string& exe_path);

// The watchdog's life: waits for process `watched`, then restores from the journal if one is left.
// Returns the exit code.
int RunWatchdog(DWORD watched);

}  // namespace wallcine::app
