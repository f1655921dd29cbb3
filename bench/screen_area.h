// Reading what the screen shows, as a user sees it: captures of one area of the screen DC (every
// process's windows as the screen composes them), and the first moving picture in them.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "win/unique_handle.h"

namespace wallcine::bench {

class ScreenArea {
public:
    // The middle of the screen, `fraction` of its width and height across (0.5: the centre half,
    // where a picture lies however it is fitted).
    static RECT Middle(double fraction);

    explicit ScreenArea(const RECT& area);
    ~ScreenArea();
    ScreenArea(const ScreenArea&) = delete;
    ScreenArea& operator=(const ScreenArea&) = delete;

    // The area's pixels as 0x00RRGGBB, row by row; empty when the screen could not be read.
    std::vector<DWORD> Capture();

private:
    int Width() const { return area_.right - area_.left; }
    int Height() const { return area_.bottom - area_.top; }

    RECT area_{};
    win::unique_window_dc screen_ = win::unique_window_dc::get(nullptr);
    win::unique_hdc memory_;
    win::unique_hbitmap bitmap_;
    const DWORD* bits_ = nullptr;
    HGDIOBJ previous_selection_ = nullptr;
};

// Whether more than one pixel in a hundred differs from the first: a picture, not a plain colour
// (compression noise on a plain clip colour stays far below that).
bool HoldsPicture(const std::vector<DWORD>& pixels);
bool Differ(const std::vector<DWORD>& a, const std::vector<DWORD>& b);
// The mean colour of the pixels, as 0x00RRGGBB.
DWORD MeanColour(const std::vector<DWORD>& pixels);

// Captures the middle of the screen until the first moving picture shows: the first capture
// holding a picture that a capture soon after shows changed. Its time (WallSeconds()), or nothing
// after `patience` seconds or once `process` has ended. `capture_interval` gets the mean time
// between two captures, by which the time found can be late.
std::optional<double> WaitForMovingPicture(HANDLE process, double patience, double& capture_interval);

}  // namespace wallcine::bench
