// DesktopForm: the borderless top-level window that carries the video window during desktop
// mode, placed over one monitor. It is hidden except for the moment of the move, and refuses to
// be closed by the user; only its video window's destruction lets it go.
#pragma once

#include <windows.h>

#include <functional>

#include "win/unique_handle.h"

namespace wallcine::video {

class DesktopForm {
public:
    // `can_close` is asked on every close request (WM_CLOSE); false keeps the form.
    DesktopForm(COLORREF color, std::function<bool()> can_close);
    ~DesktopForm();
    DesktopForm(const DesktopForm&) = delete;
    DesktopForm& operator=(const DesktopForm&) = delete;
    HWND Handle() const noexcept { return window_.get(); }
    void SetBounds(const RECT& bounds);
    void Show();
    void Hide();

private:
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

    std::function<bool()> can_close_;
    win::unique_hbrush background_;
    win::unique_hwnd window_;
};

}  // namespace wallcine::video
