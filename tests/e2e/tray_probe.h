// Whether the notification area holds a program's icon. Under Wine the tray lives in the virtual
// desktop's explorer and draws every icon itself into its "Shell_TrayWnd" window (no window per
// icon), so the one exact question to ask from outside is the shell's own: a modification with no
// fields to change succeeds only for an icon (owner window, id) that the tray holds. It changes
// nothing, and it works the same on Windows.
#pragma once

#include <windows.h>

namespace wallcine::e2e {

bool TrayHoldsIcon(HWND owner, UINT id);

}  // namespace wallcine::e2e
