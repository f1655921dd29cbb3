// Uncompressed pictures on their way from a decoder to a DirectShow renderer: the formats the
// media source offers, how big a picture is in DirectShow's layout, and the copy of one picture
// from a decoder's buffer (rows padded, planes further apart than the picture is high) into a
// renderer's buffer (rows tight or as wide as the renderer asked, RGB stored bottom-up).
#pragma once

#include <cstddef>
#include <cstdint>

namespace wallcine {

// RGB32 is one plane of 4-byte pixels; YUY2 one plane of 2-byte pixels; NV12 a luma plane and one
// plane of interleaved U/V at half size both ways; I420 a luma plane and separate U and V planes.
enum class PictureFormat { kRgb32, kNv12, kYuy2, kI420 };

// Average bits per pixel (DirectShow's biBitCount).
int BitsPerPixel(PictureFormat format) noexcept;

// Bytes from one row of the first plane to the next when rows are not padded.
std::ptrdiff_t TightStride(PictureFormat format, int width) noexcept;

// Bytes of a whole picture whose first plane's rows lie `stride` bytes apart, with the other
// planes following it directly (DirectShow's biSizeImage).
std::size_t PictureBytes(PictureFormat format, std::ptrdiff_t stride, int height) noexcept;

// A decoder's picture: the top row of the first plane, the distance from one row to the next
// (negative for a single-plane buffer stored bottom-up), and how many rows the first plane holds
// before the next plane starts (at least the picture's height; more when the decoder pads).
// Planar pictures have a positive pitch; their chroma rows are half as long (I420) or as long
// (NV12) as the luma rows.
struct PictureSource {
    const std::uint8_t* top_row = nullptr;
    std::ptrdiff_t pitch = 0;
    int plane_rows = 0;
};

// A renderer's buffer: rows `stride` bytes apart, planes directly after each other. DirectShow
// stores RGB bottom-up unless its height is negative; YUV is always top-down.
struct PictureTarget {
    std::uint8_t* data = nullptr;
    std::ptrdiff_t stride = 0;
    bool bottom_up = false;
};

// Copies the visible `width` x `height` picture; padding on either side is neither read nor
// written.
void CopyPicture(PictureFormat format, int width, int height, const PictureSource& source,
                 const PictureTarget& target) noexcept;

}  // namespace wallcine
