#include "tray_probe.h"

#include <shellapi.h>

namespace wallcine::e2e {

bool TrayHoldsIcon(HWND owner, UINT id) {
    NOTIFYICONDATAA question{};
    question.cbSize = NOTIFYICONDATAA_V1_SIZE;
    question.hWnd = owner;
    question.uID = id;
    question.uFlags = 0;  // change nothing
    return ::Shell_NotifyIconA(NIM_MODIFY, &question) != FALSE;
}

}  // namespace wallcine::e2e
