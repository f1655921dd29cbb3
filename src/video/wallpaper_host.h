// Finding the place for the video when no overlay shows it: the shell's wallpaper layer behind
// the desktop icons, or, where the shell has none, a window of our own at the bottom.
#pragma once

#include <windows.h>

namespace wallcine::video {

struct WallpaperHost {
    enum class Kind {
        kBehindIcons,  // the WorkerW the shell keeps behind its icon view (Windows 8 to 11 23H2)
        kInsideShell,  // inside Progman, below the icon view (Windows 7; Windows 11 24H2)
        kOwnWindow,    // no shell layer found (Wine, another shell): our own bottom window
    };
    Kind kind = Kind::kOwnWindow;
    HWND parent = nullptr;  // the shell's window that takes the video; null for kOwnWindow
    HWND below = nullptr;   // the sibling the video goes directly below; null: above every sibling
};

// The message that asks Progman to split its icon view from the wallpaper layer (undocumented,
// answered by every shell since Windows 8; its parameters are the ones the shell itself sends).
inline constexpr UINT kProgmanSpawnWorker = 0x052C;

// Searches the shell's windows through win::ShellWindows(). From Windows 8 on it first asks
// Progman for the layer; on Windows 7 (`windows8_or_later` false) the video goes inside Progman.
WallpaperHost FindWallpaperHost(bool windows8_or_later);

// Whether the GetVersion value names Windows 8 (6.2) or later.
bool IsWindows8OrLater(DWORD version) noexcept;

}  // namespace wallcine::video
