#include "fakes/test_windows.h"

namespace wallcine::test {

HWND SuiteParentWindow() {
    static HWND parent = [] {
        WNDCLASSA parent_class{};
        parent_class.lpfnWndProc = ::DefWindowProcA;
        parent_class.hInstance = ::GetModuleHandleA(nullptr);
        parent_class.lpszClassName = "WallcineTestParent";
        ::RegisterClassA(&parent_class);
        HWND window = ::CreateWindowExA(0, "WallcineTestParent", "parent", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 640, 480,
                                        nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ::ShowWindow(window, SW_SHOWNOACTIVATE);
        return window;
    }();
    return parent;
}

void PumpMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

}  // namespace wallcine::test
