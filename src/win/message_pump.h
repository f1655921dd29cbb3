// Dispatching the GUI thread's messages outside the main loop's wait: one message with the
// keyboard navigation of windows that have controls, or every message already queued.
#pragma once

#include <windows.h>

namespace wallcine::win {

// Dispatches one message. A key for a window whose top-level window navigates between its
// controls (WS_EX_CONTROLPARENT) goes through IsDialogMessage first: Tab and Shift+Tab move the
// focus, as in a dialog.
void DispatchWithKeyboardNavigation(MSG& message);

// Dispatches the messages already queued for this thread, without waiting. A quit request is
// left for the main loop.
void ProcessPendingMessages();

}  // namespace wallcine::win
