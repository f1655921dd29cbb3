#include "app/form1_main.h"

namespace wallcine::app {

TForm1::TForm1() {
    // A hidden top-level window rather than a message-only one: it must hear broadcasts
    // (TaskbarCreated, WM_ENDSESSION, WM_SETTINGCHANGE).
    CreateForm({"TForm1", "Wallcine", WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT, CW_USEDEFAULT, 320, 240});
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CLOSE:
        ::DestroyWindow(Handle());
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return FormWindow::HandleMessage(message, wparam, lparam);
    }
}

}  // namespace wallcine::app
