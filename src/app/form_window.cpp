#include "app/form_window.h"

#include <stdexcept>
#include <string>

#include "win/show_exception.h"

namespace wallcine::app {

namespace {

void RegisterFormClass(const char* class_name, WNDPROC procedure) {
    WNDCLASSEXA existing{sizeof existing};
    if (::GetClassInfoExA(::GetModuleHandleA(nullptr), class_name, &existing)) return;

    WNDCLASSEXA window_class{sizeof window_class};
    window_class.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = ::GetModuleHandleA(nullptr);
    window_class.hIcon = ::LoadIconA(window_class.hInstance, MAKEINTRESOURCEA(1));
    window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = class_name;
    if (!::RegisterClassExA(&window_class))
        throw std::runtime_error(std::string("Cannot register window class ") + class_name);
}

}  // namespace

FormWindow::~FormWindow() {
    if (Handle()) ::SetWindowLongPtrA(Handle(), GWLP_USERDATA, 0);
    window_.reset();
}

void FormWindow::CreateForm(const Placement& placement) {
    RegisterFormClass(placement.class_name, &WindowProc);
    HWND created = ::CreateWindowExA(placement.ex_style, placement.class_name, placement.caption, placement.style,
                                     placement.left, placement.top, placement.width, placement.height, nullptr,
                                     nullptr, ::GetModuleHandleA(nullptr), this);
    if (!created) throw std::runtime_error(std::string("Cannot create window ") + placement.class_name);
}

void FormWindow::Show() noexcept {
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
}

void FormWindow::Hide() noexcept { ::ShowWindow(Handle(), SW_HIDE); }

bool FormWindow::Visible() const noexcept { return Handle() && ::IsWindowVisible(Handle()); }

LRESULT FormWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    return DefaultHandling(message, wparam, lparam);
}

LRESULT FormWindow::DefaultHandling(UINT message, WPARAM wparam, LPARAM lparam) noexcept {
    return ::DefWindowProcA(Handle(), message, wparam, lparam);
}

LRESULT CALLBACK FormWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
        self->window_.reset(window);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcA(window, message, wparam, lparam);

    if (message == WM_NCDESTROY) {
        // The window is gone: the object must not destroy it again, nor hear from it.
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        (void)self->window_.release();
        return ::DefWindowProcA(window, message, wparam, lparam);
    }
    try {
        return self->HandleMessage(message, wparam, lparam);
    } catch (...) {
        win::ShowCurrentException();
        return 0;
    }
}

}  // namespace wallcine::app
