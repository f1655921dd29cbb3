#include "video/wallpaper_host.h"

#include "win/shell_windows.h"

namespace wallcine::video {

namespace {

constexpr char kProgmanClass[] = "Progman";
constexpr char kIconViewClass[] = "SHELLDLL_DefView";
constexpr char kWorkerClass[] = "WorkerW";
// A hung shell must not hang us: the search goes on without its answer.
constexpr UINT kSpawnTimeoutMs = 1000;

}  // namespace

bool IsWindows8OrLater(DWORD version) noexcept {
    const unsigned major = LOBYTE(LOWORD(version));
    const unsigned minor = HIBYTE(LOWORD(version));
    return major > 6 || (major == 6 && minor >= 2);
}

WallpaperHost FindWallpaperHost(bool windows8_or_later) {
    auto& shell = win::ShellWindows();
    const HWND progman = shell.FindWindowExA(nullptr, nullptr, kProgmanClass);
    if (!progman) return {};

    if (windows8_or_later) {
        DWORD_PTR answer = 0;
        shell.SendMessageTimeoutA(progman, kProgmanSpawnWorker, 0xD, 0x1, SMTO_NORMAL, kSpawnTimeoutMs, &answer);
        // The icon view now lies in a top-level window; the WorkerW right behind it is the layer.
        for (HWND window : shell.TopLevelWindows()) {
            if (!shell.FindWindowExA(window, nullptr, kIconViewClass)) continue;
            if (const HWND worker = shell.FindWindowExA(nullptr, window, kWorkerClass))
                return {WallpaperHost::Kind::kBehindIcons, worker, nullptr};
            break;
        }
    }
    // Windows 7, and Windows 11 24H2 where the icon view stays a child of Progman: the video goes
    // into Progman directly below the icon view.
    const HWND icon_view = shell.FindWindowExA(progman, nullptr, kIconViewClass);
    if (icon_view || !windows8_or_later) return {WallpaperHost::Kind::kInsideShell, progman, icon_view};
    // From Windows 8 on, a Progman with neither a layer nor the icons is no layout we know, and
    // the shell may paint the wallpaper over its children: our own window is safer.
    return {};
}

}  // namespace wallcine::video
