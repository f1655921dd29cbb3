// Window helpers shared by the Windows tests.
#pragma once

#include <windows.h>

namespace wallcine::test {

// One shown 640 x 480 parent window for every test of the process, as the program has one main
// window for its whole run. (Under Wine 8, destroying a top-level window that once held a
// reparented child and then creating new windows can end the process with an X BadWindow error;
// a parent that lives as long as the process avoids that.)
HWND SuiteParentWindow();

// Dispatches the messages already queued for this thread.
void PumpMessages();

}  // namespace wallcine::test
