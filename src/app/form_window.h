// FormWindow: the base of Wallcine's four top-level windows. It registers each window class
// under its form's class name (TForm1..TForm4, so tools and tests can find the windows), binds
// the C++ object to its window (win/window_binding.h) and forwards messages to HandleMessage.
#pragma once

#include <windows.h>

#include "win/unique_handle.h"

namespace wallcine::app {

class FormWindow {
public:
    // Detaches the object before destroying the window, so no message reaches a half-destroyed form.
    virtual ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    HWND Handle() const noexcept { return window_.get(); }
    // Shows the window and brings it to the front; a hidden window runs FormShow first.
    void Show();
    void Hide() noexcept;
    bool Visible() const noexcept;

protected:
    FormWindow() = default;

    struct Placement {
        const char* class_name;
        const char* caption;
        DWORD style;
        DWORD ex_style;
        int left, top, width, height;
    };
    // Creates the window hidden; WM_CREATE reaches HandleMessage of the fully built object.
    void CreateForm(const Placement& placement);

    // Runs when a hidden window is about to become visible through Show.
    virtual void FormShow() {}

    virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT DefaultHandling(UINT message, WPARAM wparam, LPARAM lparam) noexcept;

private:
    win::unique_hwnd window_;
};

}  // namespace wallcine::app
