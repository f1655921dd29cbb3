// DesktopForm: the borderless top-level window that carries the video window during desktop
// mode, placed over one monitor. It is hidden except for the moment of the move, and refuses to
// be closed by the user; only its video window's destruction lets it go. As a top-level window
// it hears of display changes and of the shell's restart, and passes both on.
#pragma once

#include <windows.h>

#include <functional>

#include "win/unique_handle.h"

namespace wallcine::video {

class DesktopForm {
public:
    // `can_close` is asked on every close request (WM_CLOSE); false keeps the form.
    // `desktop_changed` runs on WM_DISPLAYCHANGE (false) and when the shell's taskbar was
    // created again, i.e. the shell restarted (true).
    DesktopForm(COLORREF color, std::function<bool()> can_close, std::function<void(bool)> desktop_changed);
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
    std::function<void(bool)> desktop_changed_;
    UINT taskbar_created_ = 0;
    win::unique_hbrush background_;
    win::unique_hwnd window_;
};

}  // namespace wallcine::video
