// Wallcine's entry point.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/application.h"
#include "app/watchdog.h"
#include "win/show_exception.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        // "--watchdog <pid>": the watchdog of a running Wallcine, with no window.
        if (__argc >= 3 && __argv && std::string(__argv[1]) == wallcine::app::kWatchdogSwitch)
            return wallcine::app::RunWatchdog(static_cast<DWORD>(std::strtoul(__argv[2], nullptr, 10)));
        // Only the first argument is used: a media file or a playlist.
        const std::string first_argument = __argc > 1 && __argv ? __argv[1] : "";
        return wallcine::app::RunApplication(wallcine::app::ExecutablePath(), first_argument);
    } catch (...) {
        wallcine::win::ShowCurrentException();
        return 1;
    }
}
