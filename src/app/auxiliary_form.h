// AuxiliaryForm: what the playing control, playlist and active filters windows share. They are
// created hidden, centred on the screen, shown on demand, and closing one only hides it. Their
// controls use the forms' font, "MS Sans Serif" at 8 points. Tab moves between their controls, as
// in a dialog. Their layouts are given in pixels at 96 DPI and scaled to the DPI of the monitor
// the window is on (app/dpi_scale.h), again when the window moves to a monitor of another DPI.
#pragma once

#include "app/dpi_scale.h"
#include "app/form_window.h"
#include "win/unique_handle.h"

namespace wallcine::app {

class AuxiliaryForm : public FormWindow {
protected:
    // Whether a form's size is that of the whole window or of its client area.
    enum class SizeOf { Window, ClientArea };

    // A tool window (no taskbar button of its own) of the given size in 96-DPI pixels, scaled
    // to its DPI and centred on the primary screen.
    void CreateCentredForm(const char* class_name, const char* caption, DWORD style, DWORD ex_style, int width,
                           int height, SizeOf size_of = SizeOf::Window);
    // The forms' font at the window's DPI.
    win::unique_hfont CreateFormFont(int weight = FW_NORMAL, bool underline = false) const;
    // 96-DPI pixels to the window's pixels.
    const DpiScale& Scale() const noexcept { return scale_; }

    // After the DPI changed: the child windows have been moved and sized in proportion; the form
    // makes its fonts anew and puts right what proportion alone does not. The window's own
    // size follows afterwards.
    virtual void OnDpiChanged() {}

    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    // Gives the focus to the control that last had it, else the first one in the tab order.
    void FocusControl() noexcept;
    void RescaleChildren(const DpiScale& from, const DpiScale& to) noexcept;

    HWND focused_control_ = nullptr;  // a child control, not owned
    DpiScale scale_;
};

}  // namespace wallcine::app
