#include "win/show_exception.h"

#include <windows.h>

#include <exception>

#include "win/desktop_services.h"

namespace wallcine::win {

void ShowException(const char* message) noexcept {
    DesktopServices().MessageBoxA(nullptr, message, kApplicationTitle, MB_OK | MB_ICONERROR);
}

void ShowCurrentException() noexcept {
    try {
        throw;
    } catch (const std::exception& error) {
        ShowException(error.what());
    } catch (...) {
        ShowException("Unknown error.");
    }
}

}  // namespace wallcine::win
