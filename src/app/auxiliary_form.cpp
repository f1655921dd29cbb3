#include "app/auxiliary_form.h"

#include <stdexcept>

namespace wallcine::app {

void AuxiliaryForm::CreateCentredForm(const char* class_name, const char* caption, DWORD style, DWORD ex_style,
                                      int width, int height) {
    // WS_EX_CONTROLPARENT: the message loop moves the focus between the controls with Tab.
    CreateForm({class_name, caption, style, ex_style | WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT,
                (::GetSystemMetrics(SM_CXSCREEN) - width) / 2, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2,
                width, height});
}

win::unique_hfont AuxiliaryForm::CreateFormFont(int weight, bool underline) {
    win::unique_hfont font(::CreateFontA(-11, 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET,
                                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                         DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
    if (!font) throw std::runtime_error("Cannot create the windows' font");
    return font;
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
