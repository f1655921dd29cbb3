// The shell's windows as desktop mode looks for them (Progman, the icon view, the WorkerW
// behind it): window search and the one message that asks the shell for its wallpaper layer,
// behind one small interface. Real Win32 by default, a fake window tree in tests
// (ScopedShellWindows).
#pragma once

#include <windows.h>

#include <vector>

#include "win/platform_override.h"

namespace wallcine::win {

class IShellWindows {
public:
    virtual ~IShellWindows() = default;

    // As FindWindowExA: the first window after `child_after` among `parent`'s children (the
    // top-level windows when `parent` is null) with the class name, any title.
    virtual HWND FindWindowExA(HWND parent, HWND child_after, const char* class_name) = 0;
    // The top-level windows from the top of the z-order down, as EnumWindows visits them.
    virtual std::vector<HWND> TopLevelWindows() = 0;
    // As SendMessageTimeoutA; false when the window did not answer in time.
    virtual bool SendMessageTimeoutA(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT flags,
                                     UINT timeout_ms, DWORD_PTR* result) = 0;
};

// The system's windows: every call goes straight to Win32.
IShellWindows& SystemShellWindows();
// What the components call: the system unless a test has put a fake in place.
IShellWindows& ShellWindows();

class ScopedShellWindows : public ScopedOverride<IShellWindows> {
public:
    explicit ScopedShellWindows(IShellWindows& replacement);
};

}  // namespace wallcine::win
