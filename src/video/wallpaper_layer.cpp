#include "video/wallpaper_layer.h"

#include <stdexcept>
#include <vector>

#include "win/window_binding.h"
#include "win/wine.h"

namespace wallcine::video {

namespace {

// Our own layer: no frame or taskbar button (tool window), never activated, and with the
// layered style the mouse goes through it (WS_EX_TRANSPARENT) to whatever lies below.
constexpr DWORD kOwnWindowExStyle = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;

constexpr UINT_PTR kKeepAtBottomTimer = 1;
constexpr UINT kKeepAtBottomMs = 250;

// Whether a visible window lies below `window` in the z-order.
bool AnyVisibleWindowBelow(HWND window) {
    for (HWND below = ::GetWindow(window, GW_HWNDNEXT); below; below = ::GetWindow(below, GW_HWNDNEXT))
        if (::IsWindowVisible(below)) return true;
    return false;
}

// Wine's X11 driver only ever raises a window's X window, never lowers it: a window put at the
// bottom still covers, on screen, every window shown before it. Raising those again, from the
// lowest up, gives the screen the order the z-order already has. Other programs' windows are
// raised without waiting for them (a hung program must not hang us).
void ShowWindowsAboveOnScreen(HWND layer) {
    if (!win::RunningUnderWine()) return;
    std::vector<HWND> above;
    for (HWND window = ::GetWindow(layer, GW_HWNDPREV); window; window = ::GetWindow(window, GW_HWNDPREV))
        if (::IsWindowVisible(window)) above.push_back(window);
    for (HWND window : above) {
        const bool ours = ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId();
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | (ours ? 0 : SWP_ASYNCWINDOWPOS));
    }
}

// The monitor in the client coordinates of the layer's parent (the screen's for our own window).
RECT InParent(HWND parent, const RECT& monitor) {
    RECT bounds = monitor;
    if (parent) ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

}  // namespace

WallpaperLayer::WallpaperLayer(const WallpaperHost& host, const RECT& monitor, std::function<void()> on_lost)
    : host_(host), on_lost_(std::move(on_lost)), background_(::CreateSolidBrush(RGB(0, 0, 0))) {
    WNDCLASSEXA window_class{sizeof window_class};
    window_class.lpfnWndProc =
        &win::BoundWindowProc<WallpaperLayer, &WallpaperLayer::window_, &WallpaperLayer::HandleMessage>;
    window_class.hInstance = ::GetModuleHandleA(nullptr);
    window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    window_class.lpszClassName = kWallpaperLayerClass;
    win::RegisterWindowClassOnce(window_class);

    const bool own = host_.kind == WallpaperHost::Kind::kOwnWindow;
    // Our own window is owned by a hidden one: a taskbar that lists tool windows too (Wine's)
    // still leaves owned windows out.
    if (own)
        owner_.reset(::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       ::GetModuleHandleA(nullptr), nullptr));
    const RECT bounds = InParent(host_.parent, monitor);
    // Wine's X11 driver hands a popup that covers the screen to the X window manager, and then
    // waits up to 2 s for the manager's answer whenever the window is hidden or destroyed: with
    // no manager (a bare X server) each hide, and the exit, take 2 s. A window that is never
    // activated, has no caption or frame and is no popup, and was no popup covering the screen
    // when its X window was made, stays Wine's own. So under Wine our own layer is made empty as
    // a popup, then becomes a plain borderless top-level window, and only then covers the monitor.
    const bool plain_top_level = own && win::RunningUnderWine();
    const RECT created = plain_top_level ? RECT{} : bounds;
    if (!::CreateWindowExA(own ? kOwnWindowExStyle : 0, kWallpaperLayerClass, "",
                           (own ? WS_POPUP : WS_CHILD) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, created.left, created.top,
                           created.right - created.left, created.bottom - created.top,
                           own ? owner_.get() : host_.parent, nullptr, ::GetModuleHandleA(nullptr), this))
        throw std::runtime_error("Cannot create the wallpaper layer");
    if (plain_top_level) {
        ::SetWindowLongPtrA(Handle(), GWL_STYLE, ::GetWindowLongPtrA(Handle(), GWL_STYLE) & ~WS_POPUP);
        ::SetWindowPos(Handle(), nullptr, bounds.left, bounds.top, bounds.right - bounds.left,
                       bounds.bottom - bounds.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    if (own) {
        // A layered window shows nothing until its opacity is set: fully opaque.
        ::SetLayeredWindowAttributes(Handle(), 0, 255, LWA_ALPHA);
        // Other windows can put themselves at the bottom too (Wine's taskbar does): a regular
        // look puts us back below them.
        ::SetTimer(Handle(), kKeepAtBottomTimer, kKeepAtBottomMs, nullptr);
    }
}

WallpaperLayer::~WallpaperLayer() {
    // Our own destruction is no loss to report.
    win::Unbind(Handle());
    window_.reset();
}

HWND WallpaperLayer::InsertAfter() const noexcept {
    switch (host_.kind) {
    case WallpaperHost::Kind::kOwnWindow: return HWND_BOTTOM;
    case WallpaperHost::Kind::kInsideShell: return host_.below ? host_.below : HWND_TOP;
    case WallpaperHost::Kind::kBehindIcons: return HWND_TOP;
    }
    return HWND_TOP;
}

void WallpaperLayer::Cover(const RECT& monitor) {
    LowerOwner();
    const RECT bounds = InParent(host_.parent, monitor);
    ::SetWindowPos(Handle(), InsertAfter(), bounds.left, bounds.top, bounds.right - bounds.left,
                   bounds.bottom - bounds.top, SWP_NOACTIVATE);
}

void WallpaperLayer::LowerOwner() {
    // An owned window stays above its owner: the hidden owner goes to the bottom first.
    if (owner_) ::SetWindowPos(owner_.get(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void WallpaperLayer::Show() {
    const bool was_visible = Visible();
    LowerOwner();
    ::SetWindowPos(Handle(), InsertAfter(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (!was_visible && host_.kind == WallpaperHost::Kind::kOwnWindow) ShowWindowsAboveOnScreen(Handle());
}

void WallpaperLayer::Hide() { ::ShowWindow(Handle(), SW_HIDE); }

bool WallpaperLayer::Visible() const noexcept { return Handle() && ::IsWindowVisible(Handle()); }

LRESULT WallpaperLayer::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client;
        ::GetClientRect(Handle(), &client);
        ::FillRect(reinterpret_cast<HDC>(wparam), &client, background_.get());
        return 1;
    }
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_TIMER:
        if (wparam == kKeepAtBottomTimer && Visible() && AnyVisibleWindowBelow(Handle())) {
            LowerOwner();
            ::SetWindowPos(Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            ShowWindowsAboveOnScreen(Handle());
        }
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_WINDOWPOSCHANGING:
        // Whoever moves our own window in the z-order, it stays at the bottom.
        if (host_.kind == WallpaperHost::Kind::kOwnWindow) {
            auto* position = reinterpret_cast<WINDOWPOS*>(lparam);
            if (!(position->flags & SWP_NOZORDER)) position->hwndInsertAfter = HWND_BOTTOM;
        }
        break;
    case WM_DESTROY:
        // Still bound, so not our own destructor: the shell's window that held us is going.
        if (on_lost_) on_lost_();
        return 0;
    default:
        break;
    }
    return ::DefWindowProcA(Handle(), message, wparam, lparam);
}

}  // namespace wallcine::video
