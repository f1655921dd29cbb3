#include "app/dpi_scale.h"

namespace wallcine::app {

namespace {

// Windows 10 1607 and later; looked up at run time so that Wallcine still starts on Windows 7.
using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <class Function>
Function User32Function(const char* name) noexcept {
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name))) : nullptr;
}

UINT SystemDpi() noexcept {
    HDC screen = ::GetDC(nullptr);
    if (!screen) return kDesignDpi;
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

}  // namespace

UINT WindowDpi(HWND window) noexcept {
    static const auto get_dpi_for_window = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (get_dpi_for_window && window) {
        if (const UINT dpi = get_dpi_for_window(window)) return dpi;
    }
    return SystemDpi();
}

SIZE OuterSizeForClient(int client_width, int client_height, DWORD style, DWORD ex_style, UINT dpi) noexcept {
    static const auto adjust_for_dpi = User32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
    RECT bounds{0, 0, client_width, client_height};
    if (!adjust_for_dpi || !adjust_for_dpi(&bounds, style, FALSE, ex_style, dpi))
        ::AdjustWindowRectEx(&bounds, style, FALSE, ex_style);
    return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

}  // namespace wallcine::app
