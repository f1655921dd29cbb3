#include "win/message_pump.h"

namespace wallcine::win {

void DispatchWithKeyboardNavigation(MSG& message) {
    if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST && message.hwnd) {
        const HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
        if (root && (::GetWindowLongA(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && ::IsDialogMessageA(root, &message))
            return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
}

void ProcessPendingMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave the quit request for the main loop.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        DispatchWithKeyboardNavigation(message);
    }
}

}  // namespace wallcine::win
