#include "clip_on_screen.h"

#include "testsrc_picture.h"

namespace wallcine::e2e {

RECT LetterboxedPicture(int clip_width, int clip_height) {
    const int screen_width = ::GetSystemMetrics(SM_CXSCREEN);
    const int screen_height = ::GetSystemMetrics(SM_CYSCREEN);
    int width = screen_width;
    int height = ::MulDiv(screen_width, clip_height, clip_width);
    if (height > screen_height) {
        height = screen_height;
        width = ::MulDiv(screen_height, clip_width, clip_height);
    }
    const int left = (screen_width - width) / 2;
    const int top = (screen_height - height) / 2;
    return {left, top, left + width, top + height};
}

POINT ScreenPoint(const RECT& picture, int clip_x, int clip_y) {
    return {picture.left + ::MulDiv(2 * clip_x + 1, picture.right - picture.left, 2 * test::kTestsrcWidth),
            picture.top + ::MulDiv(2 * clip_y + 1, picture.bottom - picture.top, 2 * test::kTestsrcHeight)};
}

RECT VisiblePicture(const RECT& picture) {
    RECT visible = picture;
    HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
    RECT bar{};
    if (taskbar && ::IsWindowVisible(taskbar) && ::GetWindowRect(taskbar, &bar) && bar.top > visible.top &&
        bar.top < visible.bottom)
        visible.bottom = bar.top;
    return visible;
}

ClipColourReading ReadClipColours(const ScreenCapture& capture, const RECT& picture, const RECT& area) {
    ClipColourReading reading;
    for (const test::TestsrcColourPoint& point : test::kTestsrcColours) {
        const POINT at = ScreenPoint(picture, point.x, point.y);
        if (!::PtInRect(&area, at)) continue;
        ++reading.checked;
        const COLORREF shown = capture.PixelAt(at.x, at.y);
        if (test::NearColour(shown, point.colour))
            ++reading.shown;
        else
            reading.misses += " (" + std::to_string(at.x) + "," + std::to_string(at.y) + ") shows " +
                              test::ColourText(shown) + " for " + test::ColourText(point.colour) + ";";
    }
    return reading;
}

double ChangedFraction(const ScreenCapture& before, const ScreenCapture& after, const RECT& area,
                       const RECT& excluded) {
    long counted = 0;
    long changed = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (::PtInRect(&excluded, {x, y})) continue;
            ++counted;
            if (!test::NearColour(before.PixelAt(x, y), after.PixelAt(x, y))) ++changed;
        }
    }
    return counted ? static_cast<double>(changed) / counted : 0.0;
}

}  // namespace wallcine::e2e
