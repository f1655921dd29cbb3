// Screenshots of the screen as Wine's virtual desktop composes it: a window's rectangle saved as
// a 24-bit BMP file under the build tree (screenshots/) for a person to look at, and captures of
// a screen rectangle kept in memory for a test to read pixels from.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wallcine::e2e {

// The screen's pixels inside `area` at one moment, as the BMP file holds them: 24-bit rows,
// bottom-up, each padded to four bytes. Empty when the screen could not be read.
struct ScreenCapture {
    RECT area{};
    BITMAPINFOHEADER header{};
    std::vector<BYTE> pixels;

    bool Empty() const noexcept { return pixels.empty(); }
    // The pixel at a point of the screen inside `area`.
    COLORREF PixelAt(int x, int y) const;
};

// Copies the screen rectangle from the screen DC, which holds what the user sees: every
// process's windows as the desktop composes them.
ScreenCapture CaptureScreen(const RECT& area);
// The whole virtual screen.
ScreenCapture CaptureWholeScreen();

// Saves a capture as "<name>.bmp" under the screenshots directory and prints the file's path.
// Returns the path (Wine's Windows form), empty when nothing could be saved (the test has then
// been failed).
std::string SaveCapture(const ScreenCapture& capture, const std::string& name);

// Brings the window to the top, lets it repaint, copies its screen rectangle into
// "<name>.bmp" and prints the file's path. Returns the path (Wine's Windows form), empty
// when nothing could be saved.
std::string SaveScreenshot(HWND window, const std::string& name);

}  // namespace wallcine::e2e
