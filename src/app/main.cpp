// Wallcine's entry point.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/application.h"
#include "win/show_exception.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        // Only the first argument is used: a media file or a playlist.
        const std::string first_argument = __argc > 1 && __argv ? __argv[1] : "";
        return wallcine::app::RunApplication(wallcine::app::ExecutablePath(), first_argument);
    } catch (...) {
        wallcine::win::ShowCurrentException();
        return 1;
    }
}
