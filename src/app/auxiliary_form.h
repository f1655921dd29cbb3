// AuxiliaryForm: what the playing control, playlist and active filters windows share. They are
// created hidden, centred on the screen, shown on demand, and closing one only hides it. Their
// controls use the forms' font, "MS Sans Serif" at 8 points. Tab moves between their controls, as
// in a dialog.
#pragma once

#include "app/form_window.h"
#include "win/unique_handle.h"

namespace wallcine::app {

class AuxiliaryForm : public FormWindow {
protected:
    // A tool window (no taskbar button of its own) of the given outer size, centred on the
    // primary screen.
    void CreateCentredForm(const char* class_name, const char* caption, DWORD style, DWORD ex_style, int width,
                           int height);
    static win::unique_hfont CreateFormFont(int weight = FW_NORMAL, bool underline = false);

    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    // Gives the focus to the control that last had it, else the first one in the tab order.
    void FocusControl() noexcept;

    HWND focused_control_ = nullptr;  // a child control, not owned
};

}  // namespace wallcine::app
