// Screenshots of Wallcine's windows as the screen shows them, saved as 24-bit BMP files under
// the build tree (screenshots/), for a person to look at; no test compares pixels.
#pragma once

#include <windows.h>

#include <string>

namespace wallcine::e2e {

// Brings the window to the top, lets it repaint, copies its screen rectangle into
// "<name>.bmp" and prints the file's path. Returns the path (Wine's Windows form), empty
// when nothing could be saved.
std::string SaveScreenshot(HWND window, const std::string& name);

}  // namespace wallcine::e2e
