// The play/pause button's glyph strip, drawn in code: 64 x 15 pixels, 24 bits per pixel, four
// 16 x 15 images side by side on a magenta ground that drawing leaves out:
//   up: black square; disabled: black right-pointing triangle; pressed: black square;
//   down: black right-pointing triangle.
// The button is down while the item plays, so a playing item shows the triangle.
#pragma once

#include <windows.h>

#include "win/unique_handle.h"

namespace wallcine::app {

inline constexpr int kGlyphWidth = 16;
inline constexpr int kGlyphHeight = 15;
inline constexpr int kGlyphCount = 4;
inline constexpr COLORREF kGlyphTransparentColor = RGB(255, 0, 255);

enum class GlyphImage { Up = 0, Disabled = 1, Pressed = 2, Down = 3 };

// The strip as a top-down DIB section.
win::unique_hbitmap MakePlayPauseGlyphs();

// Draws one image of the strip with its top left corner at (left, top); magenta is not drawn.
void DrawGlyph(HDC target, HBITMAP strip, GlyphImage image, int left, int top);

}  // namespace wallcine::app
