// The playing control window's images: the compiled-in JPEG decoded with libjpeg (and what a
// damaged picture does), and the play/pause glyph strip drawn in code.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/jpeg_picture.h"
#include "app/play_pause_glyphs.h"
#include "app/playing_control_picture.h"
#include "win/unique_handle.h"

namespace wallcine::app {
namespace {

// Pixels of a 24-bit top-down DIB section.
class DibPixels {
public:
    explicit DibPixels(HBITMAP bitmap) {
        DIBSECTION section{};
        EXPECT_EQ(::GetObjectA(bitmap, sizeof section, &section), static_cast<int>(sizeof section));
        bits_ = static_cast<const unsigned char*>(section.dsBm.bmBits);
        stride_ = section.dsBm.bmWidthBytes;
        bits_per_pixel_ = section.dsBm.bmBitsPixel;
    }
    int BitsPerPixel() const { return bits_per_pixel_; }
    COLORREF At(int x, int y) const {
        const unsigned char* pixel = bits_ + y * stride_ + x * 3;
        return RGB(pixel[2], pixel[1], pixel[0]);
    }

private:
    const unsigned char* bits_ = nullptr;
    int stride_ = 0;
    int bits_per_pixel_ = 0;
};

bool IsDark(COLORREF color) { return GetRValue(color) < 0x30 && GetGValue(color) < 0x30 && GetBValue(color) < 0x30; }

bool IsMidGrey(COLORREF color) {
    const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    return r > 0x70 && r < 0xC8 && std::abs(r - g) < 12 && std::abs(r - b) < 12;
}

TEST(PlayingControlPicture, DecodesTo192By144WithADarkGroundAndGreyInTheMiddle) {
    const DecodedPicture picture = DecodeJpeg(PlayingControlPicture());
    ASSERT_TRUE(picture.bitmap);
    EXPECT_EQ(picture.width, 192);
    EXPECT_EQ(picture.height, 144);
    const DibPixels pixels(picture.bitmap.get());
    EXPECT_EQ(pixels.BitsPerPixel(), 24);
    for (const POINT corner : {POINT{2, 2}, POINT{189, 2}, POINT{2, 141}, POINT{189, 141}})
        EXPECT_TRUE(IsDark(pixels.At(corner.x, corner.y))) << corner.x << "," << corner.y;
    EXPECT_TRUE(IsMidGrey(pixels.At(96, 72))) << std::hex << pixels.At(96, 72);
    // Rows top-down: the nose is below the middle, the bone between the eyes above it.
    EXPECT_TRUE(IsDark(pixels.At(96, 82)));
    EXPECT_TRUE(IsMidGrey(pixels.At(96, 61)));
}

TEST(PlayingControlPicture, APictureCutShortStillDecodesWhatItHas) {
    const auto whole = PlayingControlPicture();
    const DecodedPicture picture = DecodeJpeg(whole.first(whole.size() / 2));
    EXPECT_EQ(picture.width, 192);
    EXPECT_EQ(picture.height, 144);
    EXPECT_TRUE(IsDark(DibPixels(picture.bitmap.get()).At(2, 2)));
}

TEST(PlayingControlPicture, DataThatIsNoJpegRaisesAPictureErrorAndTheProcessGoesOn) {
    const auto whole = PlayingControlPicture();
    const std::string gif = "GIF89a\x01\x00\x01\x00\x00\x00\x00;";
    const std::vector<std::vector<unsigned char>> inputs = {
        {},
        {gif.begin(), gif.end()},
        {whole.begin(), whole.begin() + 20},  // the start marker and part of a header, no image
    };
    for (const auto& input : inputs) {
        try {
            DecodeJpeg(input);
            ADD_FAILURE() << "decoded " << input.size() << " bytes";
        } catch (const EPictureError& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with("Cannot decode the picture: ")) << error.what();
        }
    }
}

TEST(PlayPauseGlyphs, AStripOfFourImagesSquaresAndTrianglesOnMagenta) {
    const win::unique_hbitmap strip = MakePlayPauseGlyphs();
    const DibPixels pixels(strip.get());
    BITMAP size{};
    ::GetObjectA(strip.get(), sizeof size, &size);
    EXPECT_EQ(size.bmWidth, 64);
    EXPECT_EQ(size.bmHeight, 15);
    EXPECT_EQ(pixels.BitsPerPixel(), 24);
    const COLORREF black = RGB(0, 0, 0);
    for (int image = 0; image < kGlyphCount; ++image) {
        const int left = image * kGlyphWidth;
        const bool square = image == static_cast<int>(GlyphImage::Up) || image == static_cast<int>(GlyphImage::Pressed);
        SCOPED_TRACE("image " + std::to_string(image));
        EXPECT_EQ(pixels.At(left, 0), kGlyphTransparentColor);
        EXPECT_EQ(pixels.At(left + 15, 14), kGlyphTransparentColor);
        EXPECT_EQ(pixels.At(left + 7, 7), black);
        // A square fills its top right corner; a right-pointing triangle leaves it out.
        EXPECT_EQ(pixels.At(left + 12, 3), square ? black : kGlyphTransparentColor);
    }
}

TEST(PlayPauseGlyphs, DrawingLeavesTheMagentaGroundOut) {
    const win::unique_hbitmap strip = MakePlayPauseGlyphs();
    win::unique_hdc target(::CreateCompatibleDC(nullptr));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, 16, -15, 1, 24, BI_RGB};
    void* bits = nullptr;
    win::unique_hbitmap canvas(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(canvas);
    {
        win::select_object_scope select(target.get(), canvas.get());
        RECT all{0, 0, 16, 15};
        ::FillRect(target.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        DrawGlyph(target.get(), strip.get(), GlyphImage::Down, 0, 0);
        ::GdiFlush();
    }
    const DibPixels pixels(canvas.get());
    EXPECT_EQ(pixels.At(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(pixels.At(12, 3), RGB(255, 255, 255));
    EXPECT_EQ(pixels.At(7, 7), RGB(0, 0, 0));
}

}  // namespace
}  // namespace wallcine::app
