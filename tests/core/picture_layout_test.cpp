#include "core/picture_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace wallcine {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Padding bytes of the decoder's buffer, and what a target holds before the copy: neither may
// turn up where a pixel belongs.
constexpr std::uint8_t kSourcePad = 0xEE;
constexpr std::uint8_t kUntouched = 0xCC;
constexpr std::uint8_t E = kSourcePad;
constexpr std::uint8_t C = kUntouched;

Bytes Copied(PictureFormat format, int width, int height, const Bytes& source, std::ptrdiff_t pitch, int plane_rows,
             std::ptrdiff_t target_stride, bool bottom_up, std::size_t target_size) {
    Bytes target(target_size, kUntouched);
    // A negative pitch starts at the last row of the buffer, which is the picture's top row.
    const std::uint8_t* top = pitch < 0 ? source.data() + (-pitch) * (height - 1) : source.data();
    CopyPicture(format, width, height, PictureSource{top, pitch, plane_rows},
                PictureTarget{target.data(), target_stride, bottom_up});
    return target;
}

TEST(PictureLayout, SizesAsDirectShowCountsThem) {
    struct Case {
        PictureFormat format;
        int width;
        int height;
        std::ptrdiff_t stride;
        std::size_t bytes;
    };
    const Case cases[] = {
        {PictureFormat::kRgb32, 1280, 720, 5120, 3686400},
        {PictureFormat::kYuy2, 320, 240, 640, 153600},
        {PictureFormat::kNv12, 320, 240, 320, 115200},
        {PictureFormat::kI420, 320, 240, 320, 115200},
        // Odd sizes: chroma rows and YUY2 pairs round up.
        {PictureFormat::kYuy2, 3, 1, 8, 8},
        {PictureFormat::kNv12, 4, 3, 4, 4 * 3 + 4 * 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TightStride(c.format, c.width), c.stride) << c.width << "x" << c.height;
        EXPECT_EQ(PictureBytes(c.format, c.stride, c.height), c.bytes) << c.width << "x" << c.height;
    }
}

TEST(PictureLayout, Rgb32FromATopDownPaddedBufferIsStoredBottomUp) {
    // 2x2 pixels, rows padded to 12 bytes; pixel bytes name their row and column.
    const Bytes source = {0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x01, 0x01, E, E, E, E,
                          0x10, 0x10, 0x10, 0x10, 0x11, 0x11, 0x11, 0x11, E, E, E, E};
    const Bytes expected = {0x10, 0x10, 0x10, 0x10, 0x11, 0x11, 0x11, 0x11,
                            0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x01, 0x01};
    EXPECT_EQ(Copied(PictureFormat::kRgb32, 2, 2, source, 12, 2, 8, true, 16), expected);
}

TEST(PictureLayout, Rgb32FromABottomUpBufferStaysInItsOrderForABottomUpTarget) {
    // In memory the bottom row (0x1y) comes first, as DirectShow wants it.
    const Bytes source = {0x10, 0x10, 0x10, 0x10, 0x11, 0x11, 0x11, 0x11,
                          0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x01, 0x01};
    EXPECT_EQ(Copied(PictureFormat::kRgb32, 2, 2, source, -8, 2, 8, true, 16), source);
}

TEST(PictureLayout, Rgb32IntoAWiderTopDownRowLeavesTheRenderersPaddingAlone) {
    const Bytes source = {0x00, 0x00, 0x00, 0x00, 0x10, 0x10, 0x10, 0x10};
    const Bytes expected = {0x00, 0x00, 0x00, 0x00, C, C, C, C, 0x10, 0x10, 0x10, 0x10, C, C, C, C};
    EXPECT_EQ(Copied(PictureFormat::kRgb32, 1, 2, source, 4, 2, 8, false, 16), expected);
}

TEST(PictureLayout, Nv12ChromaIsTakenFromBelowTheDecodersPaddedRows) {
    // 4x2 luma with a pitch of 6, in a buffer coded 4 rows high: the U/V plane starts at 6 * 4.
    const Bytes source = {0x00, 0x01, 0x02, 0x03, E, E,  // luma row 0
                          0x10, 0x11, 0x12, 0x13, E, E,  // luma row 1
                          E,    E,    E,    E,    E, E,  // rows the decoder coded beyond the picture
                          E,    E,    E,    E,    E, E,
                          0x80, 0x81, 0x82, 0x83, E, E,  // U V U V
                          E,    E,    E,    E,    E, E};
    const Bytes expected = {0x00, 0x01, 0x02, 0x03, 0x10, 0x11, 0x12, 0x13, 0x80, 0x81, 0x82, 0x83};
    EXPECT_EQ(Copied(PictureFormat::kNv12, 4, 2, source, 6, 4, 4, false, 12), expected);
}

TEST(PictureLayout, I420PlanesAreFoundAtHalfThePitch) {
    // 4x2 with a pitch of 8 and 4 coded rows: U at 32 (pitch 4, 2 rows coded), V at 32 + 4 * 2.
    Bytes source(48, kSourcePad);
    const Bytes luma = {0x00, 0x01, 0x02, 0x03};
    for (int i = 0; i < 4; ++i) {
        source[i] = luma[i];
        source[8 + i] = static_cast<std::uint8_t>(0x10 + i);
    }
    source[32] = 0xA0;
    source[33] = 0xA1;
    source[40] = 0xB0;
    source[41] = 0xB1;
    const Bytes expected = {0x00, 0x01, 0x02, 0x03, 0x10, 0x11, 0x12, 0x13, 0xA0, 0xA1, 0xB0, 0xB1};
    EXPECT_EQ(Copied(PictureFormat::kI420, 4, 2, source, 8, 4, 4, false, 12), expected);
}

TEST(PictureLayout, Yuy2OfAnOddWidthCopiesTheWholeLastPair) {
    const Bytes source = {1, 2, 3, 4, 5, 6, 7, 8, E, E};
    const Bytes expected = {1, 2, 3, 4, 5, 6, 7, 8, C, C};
    EXPECT_EQ(Copied(PictureFormat::kYuy2, 3, 1, source, 10, 1, 10, false, 10), expected);
}

}  // namespace
}  // namespace wallcine
