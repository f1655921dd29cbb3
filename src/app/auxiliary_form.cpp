#include "app/auxiliary_form.h"

namespace wallcine::app {

void AuxiliaryForm::CreateAuxiliaryForm(const char* class_name, const char* caption, int width, int height) {
    CreateForm({class_name, caption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, CW_USEDEFAULT,
                CW_USEDEFAULT, width, height});
}

LRESULT AuxiliaryForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CLOSE) {
        Hide();
        return 0;
    }
    return FormWindow::HandleMessage(message, wparam, lparam);
}

}  // namespace wallcine::app
