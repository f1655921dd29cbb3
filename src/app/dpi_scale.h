// The DPI scaling of the auxiliary windows. Their layouts are drawn in pixels at 96 DPI; on a
// display of another DPI every position, size and font height is scaled by dpi / 96. Wallcine
// declares itself per-monitor aware (v2, else v1) in its manifest where Windows has it, so a
// window takes the DPI of the monitor it is on and is told when that changes; on Windows 7 and 8
// every monitor has the system DPI.
#pragma once

#include <windows.h>

namespace wallcine::app {

inline constexpr UINT kDesignDpi = 96;

// Pixels of the 96-DPI layout at a DPI, rounded as MulDiv does (halves away from zero).
class DpiScale {
public:
    explicit DpiScale(UINT dpi = kDesignDpi) noexcept : dpi_(dpi ? dpi : kDesignDpi) {}
    UINT Dpi() const noexcept { return dpi_; }
    int operator()(int design_pixels) const noexcept {
        return ::MulDiv(design_pixels, static_cast<int>(dpi_), static_cast<int>(kDesignDpi));
    }

private:
    UINT dpi_;
};

// The DPI a window is shown at: its monitor's where the system knows per-monitor DPI
// (GetDpiForWindow, Windows 10 1607), else the system DPI.
UINT WindowDpi(HWND window) noexcept;

// The outer size of a window whose client area has the given size, at a DPI (the frame and
// caption are scaled too where the system scales them per monitor).
SIZE OuterSizeForClient(int client_width, int client_height, DWORD style, DWORD ex_style, UINT dpi) noexcept;

}  // namespace wallcine::app
