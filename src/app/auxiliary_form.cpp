#include "app/auxiliary_form.h"

#include <stdexcept>

namespace wallcine::app {

namespace {

// WM_DPICHANGED, Windows 8.1 and later (the SDK's declaration needs a newer _WIN32_WINNT).
constexpr UINT kWmDpiChanged = 0x02E0;

}  // namespace

void AuxiliaryForm::CreateCentredForm(const char* class_name, const char* caption, DWORD style, DWORD ex_style,
                                      int width, int height, SizeOf size_of) {
    // WS_EX_CONTROLPARENT: the message loop moves the focus between the controls with Tab.
    ex_style |= WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
    // Made first, then sized: only a window knows the DPI of its monitor.
    CreateForm({class_name, caption, style, ex_style, 0, 0, width, height});
    scale_ = DpiScale(WindowDpi(Handle()));
    SIZE size{scale_(width), scale_(height)};
    if (size_of == SizeOf::ClientArea) size = OuterSizeForClient(size.cx, size.cy, style, ex_style, scale_.Dpi());
    ::SetWindowPos(Handle(), nullptr, (::GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2, size.cx, size.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

win::unique_hfont AuxiliaryForm::CreateFormFont(int weight, bool underline) const {
    win::unique_hfont font(::CreateFontA(-scale_(11), 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET,
                                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                         DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
    if (!font) throw std::runtime_error("Cannot create the windows' font");
    return font;
}

void AuxiliaryForm::RescaleChildren(const DpiScale& from, const DpiScale& to) noexcept {
    const auto rescale = [&](LONG pixels) { return ::MulDiv(pixels, static_cast<int>(to.Dpi()), static_cast<int>(from.Dpi())); };
    for (HWND child = ::GetWindow(Handle(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT bounds{};
        ::GetWindowRect(child, &bounds);
        ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&bounds), 2);
        const LONG left = rescale(bounds.left), top = rescale(bounds.top);
        ::SetWindowPos(child, nullptr, left, top, rescale(bounds.right) - left, rescale(bounds.bottom) - top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT AuxiliaryForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CLOSE:
        Hide();
        return 0;
    case WM_ACTIVATE:
        // As a dialog does: the focus goes back to the control that had it, or to the first
        // control in the tab order, not to the window itself.
        if (LOWORD(wparam) == WA_INACTIVE) {
            const HWND focus = ::GetFocus();
            if (focus && ::IsChild(Handle(), focus)) focused_control_ = focus;
        } else {
            FocusControl();
        }
        return 0;
    case kWmDpiChanged: {
        // Moved to a monitor of another DPI: the layout follows, then the window takes the size
        // and place the system suggests.
        const DpiScale previous = scale_;
        scale_ = DpiScale(LOWORD(wparam));
        RescaleChildren(previous, scale_);
        OnDpiChanged();
        const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
        ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                       suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    default:
        break;
    }
    return FormWindow::HandleMessage(message, wparam, lparam);
}

void AuxiliaryForm::FocusControl() noexcept {
    if (!focused_control_ || !::IsChild(Handle(), focused_control_) || !::IsWindowEnabled(focused_control_) ||
        !::IsWindowVisible(focused_control_))
        focused_control_ = ::GetNextDlgTabItem(Handle(), nullptr, FALSE);
    if (focused_control_) ::SetFocus(focused_control_);
}

}  // namespace wallcine::app
