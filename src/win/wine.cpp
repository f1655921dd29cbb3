#include "win/wine.h"

#include <windows.h>

namespace wallcine::win {

bool RunningUnderWine() noexcept {
    static const bool wine = ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

}  // namespace wallcine::win
