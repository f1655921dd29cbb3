#include "app/play_pause_glyphs.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>

namespace wallcine::app {
namespace {

constexpr int kStripWidth = kGlyphWidth * kGlyphCount;
constexpr int kStride = kStripWidth * 3;  // 192 bytes: already a whole number of 32-bit words

struct Pixels {
    std::uint8_t* bits;
    void Set(int x, int y, COLORREF color) const {
        std::uint8_t* pixel = bits + y * kStride + x * 3;
        pixel[0] = GetBValue(color);
        pixel[1] = GetGValue(color);
        pixel[2] = GetRValue(color);
    }
};

// A 9 x 9 square in the middle of image `index`.
void DrawSquare(const Pixels& pixels, int index) {
    const int left = index * kGlyphWidth + 4;
    for (int y = 3; y <= 11; ++y)
        for (int x = left; x < left + 9; ++x) pixels.Set(x, y, RGB(0, 0, 0));
}

// A triangle 11 rows high pointing right, its tip on the middle row.
void DrawTriangle(const Pixels& pixels, int index) {
    const int left = index * kGlyphWidth + 5;
    for (int y = 2; y <= 12; ++y) {
        const int width = 6 - std::abs(y - 7);
        for (int x = left; x < left + width; ++x) pixels.Set(x, y, RGB(0, 0, 0));
    }
}

}  // namespace

win::unique_hbitmap MakePlayPauseGlyphs() {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kStripWidth;
    info.bmiHeader.biHeight = -kGlyphHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::unique_hbitmap strip(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!strip || !bits) throw std::runtime_error("Cannot create the play/pause glyphs");
    ::GdiFlush();

    const Pixels pixels{static_cast<std::uint8_t*>(bits)};
    for (int y = 0; y < kGlyphHeight; ++y)
        for (int x = 0; x < kStripWidth; ++x) pixels.Set(x, y, kGlyphTransparentColor);
    DrawSquare(pixels, static_cast<int>(GlyphImage::Up));
    DrawTriangle(pixels, static_cast<int>(GlyphImage::Disabled));
    DrawSquare(pixels, static_cast<int>(GlyphImage::Pressed));
    DrawTriangle(pixels, static_cast<int>(GlyphImage::Down));
    return strip;
}

void DrawGlyph(HDC target, HBITMAP strip, GlyphImage image, int left, int top) {
    win::unique_hdc source(::CreateCompatibleDC(target));
    if (!source) return;
    win::select_object_scope select(source.get(), strip);
    ::GdiTransparentBlt(target, left, top, kGlyphWidth, kGlyphHeight, source.get(),
                        static_cast<int>(image) * kGlyphWidth, 0, kGlyphWidth, kGlyphHeight, kGlyphTransparentColor);
}

}  // namespace wallcine::app
