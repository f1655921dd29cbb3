// The per-program overlay switch of Windows 8 and 8.1: DirectDraw overlays are off for a
// program there unless HKCU\Software\Microsoft\Direct3D\Shims\EnableOverlays holds the DWORD 1
// under the program's full path. Start-up sets it once and asks the user to restart.
#pragma once

#include <string>

#include "win/desktop_services.h"

namespace wallcine::app {

inline constexpr char kOverlayShimKey[] = "Software\\Microsoft\\Direct3D\\Shims\\EnableOverlays";
inline constexpr char kOverlayPatchText[] =
    "Windows 8 Overlay registry patch completed. You should restart the program for changes to take effect.";
inline constexpr char kOverlayPatchCaption[] = "Wallcine - Windows 8 Warning";

enum class OverlayPatchOutcome {
    NotNeeded,         // not Windows 6.2/6.3: the registry was not touched
    AlreadyEnabled,    // the value is already the DWORD 1
    WrittenRestart,    // the value was written and the user told to restart: end with exit code 0
    CouldNotWrite,     // the key could not be opened or the value not written: start anyway
};

// Only the major version 6 with minor 2 or more needs the switch (Windows 8 and 8.1).
bool NeedsOverlayPatch(DWORD version);

// Applies the switch for `exe_path` through the desktop services; shows the warning itself.
OverlayPatchOutcome ApplyOverlayPatch(win::IDesktopServices& services, const std::string& exe_path);

}  // namespace wallcine::app
