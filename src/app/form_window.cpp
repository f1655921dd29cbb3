#include "app/form_window.h"

#include <stdexcept>
#include <string>

#include "win/window_binding.h"

namespace wallcine::app {

FormWindow::~FormWindow() {
    win::Unbind(Handle());
    window_.reset();
}

void FormWindow::CreateForm(const Placement& placement) {
    WNDCLASSEXA window_class{sizeof window_class};
    window_class.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    window_class.lpfnWndProc = &win::BoundWindowProc<FormWindow, &FormWindow::window_, &FormWindow::HandleMessage>;
    window_class.hInstance = ::GetModuleHandleA(nullptr);
    window_class.hIcon = ::LoadIconA(window_class.hInstance, MAKEINTRESOURCEA(1));
    window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = placement.class_name;
    win::RegisterWindowClassOnce(window_class);
    HWND created = ::CreateWindowExA(placement.ex_style, placement.class_name, placement.caption, placement.style,
                                     placement.left, placement.top, placement.width, placement.height, nullptr,
                                     nullptr, ::GetModuleHandleA(nullptr), this);
    if (!created) throw std::runtime_error(std::string("Cannot create window ") + placement.class_name);
}

void FormWindow::Show() {
    if (!Visible()) FormShow();
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

}  // namespace wallcine::app
