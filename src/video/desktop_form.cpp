#include "video/desktop_form.h"

#include <stdexcept>

#include "win/show_exception.h"

namespace wallcine::video {

namespace {
constexpr char kDesktopFormClass[] = "TDesktopForm";
}

DesktopForm::DesktopForm(COLORREF color, std::function<bool()> can_close)
    : can_close_(std::move(can_close)), background_(::CreateSolidBrush(color)) {
    WNDCLASSEXA existing{sizeof existing};
    if (!::GetClassInfoExA(::GetModuleHandleA(nullptr), kDesktopFormClass, &existing)) {
        WNDCLASSEXA window_class{sizeof window_class};
        window_class.lpfnWndProc = &WindowProc;
        window_class.hInstance = ::GetModuleHandleA(nullptr);
        window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        window_class.lpszClassName = kDesktopFormClass;
        if (!::RegisterClassExA(&window_class)) throw std::runtime_error("Cannot register the desktop form");
    }
    window_.reset(::CreateWindowExA(WS_EX_TOOLWINDOW, kDesktopFormClass, "", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0,
                                    nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr));
    if (!window_) throw std::runtime_error("Cannot create the desktop form");
    ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void DesktopForm::SetBounds(const RECT& bounds) {
    ::SetWindowPos(Handle(), nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void DesktopForm::Show() { ::ShowWindow(Handle(), SW_SHOWNOACTIVATE); }

void DesktopForm::Hide() { ::ShowWindow(Handle(), SW_HIDE); }

LRESULT CALLBACK DesktopForm::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<DesktopForm*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self) {
        try {
            if (message == WM_CLOSE) {
                if (self->can_close_ && self->can_close_()) ::ShowWindow(window, SW_HIDE);
                return 0;
            }
            if (message == WM_ERASEBKGND) {
                RECT client;
                ::GetClientRect(window, &client);
                ::FillRect(reinterpret_cast<HDC>(wparam), &client, self->background_.get());
                return 1;
            }
        } catch (...) {
            win::ShowCurrentException();
            return 0;
        }
    }
    return ::DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace wallcine::video
