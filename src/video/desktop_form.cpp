#include "video/desktop_form.h"

#include <stdexcept>

#include "win/window_binding.h"

namespace wallcine::video {

namespace {
constexpr char kDesktopFormClass[] = "TDesktopForm";
}

DesktopForm::DesktopForm(COLORREF color, std::function<bool()> can_close, std::function<void(bool)> desktop_changed)
    : can_close_(std::move(can_close)),
      desktop_changed_(std::move(desktop_changed)),
      taskbar_created_(::RegisterWindowMessageA("TaskbarCreated")),
      background_(::CreateSolidBrush(color)) {
    WNDCLASSEXA window_class{sizeof window_class};
    window_class.lpfnWndProc = &win::BoundWindowProc<DesktopForm, &DesktopForm::window_, &DesktopForm::HandleMessage>;
    window_class.hInstance = ::GetModuleHandleA(nullptr);
    window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    window_class.lpszClassName = kDesktopFormClass;
    win::RegisterWindowClassOnce(window_class);
    // Layered and never given its layered attributes, the form is never drawn: shown, it only
    // makes its children count as shown for the moment of the move, with no flash of its colour
    // over the screen. Under Wine it then never gets an X window on the screen either; a shown
    // popup covering the screen would be handed to the X window manager, and hiding it would
    // wait up to 2 s for the manager's answer (all of the 2 s where there is no manager).
    if (!::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_LAYERED, kDesktopFormClass, "", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                           0, 0, nullptr, nullptr, ::GetModuleHandleA(nullptr), this))
        throw std::runtime_error("Cannot create the desktop form");
}

DesktopForm::~DesktopForm() {
    win::Unbind(Handle());
    window_.reset();
}

void DesktopForm::SetBounds(const RECT& bounds) {
    ::SetWindowPos(Handle(), nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void DesktopForm::Show() { ::ShowWindow(Handle(), SW_SHOWNOACTIVATE); }

void DesktopForm::Hide() { ::ShowWindow(Handle(), SW_HIDE); }

LRESULT DesktopForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CLOSE) {
        if (can_close_ && can_close_()) Hide();
        return 0;
    }
    if (message == WM_DISPLAYCHANGE || (message == taskbar_created_ && taskbar_created_)) {
        if (desktop_changed_) desktop_changed_(message != WM_DISPLAYCHANGE);
        return 0;
    }
    if (message == WM_ERASEBKGND) {
        RECT client;
        ::GetClientRect(Handle(), &client);
        ::FillRect(reinterpret_cast<HDC>(wparam), &client, background_.get());
        return 1;
    }
    return ::DefWindowProcA(Handle(), message, wparam, lparam);
}

}  // namespace wallcine::video
