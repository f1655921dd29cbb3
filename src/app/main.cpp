// Wallcine's entry point.
#include <windows.h>

#include "app/application.h"
#include "win/show_exception.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        return wallcine::app::RunApplication(wallcine::app::ExecutablePath());
    } catch (...) {
        wallcine::win::ShowCurrentException();
        return 1;
    }
}
