#include "core/picture_layout.h"

#include <cstring>

namespace wallcine {

namespace {

int HalfUp(int value) noexcept { return (value + 1) / 2; }

void CopyPlane(const std::uint8_t* source, std::ptrdiff_t source_pitch, std::uint8_t* target,
               std::ptrdiff_t target_pitch, std::size_t row_bytes, int rows) noexcept {
    for (int row = 0; row < rows; ++row) std::memcpy(target + row * target_pitch, source + row * source_pitch, row_bytes);
}

}  // namespace

int BitsPerPixel(PictureFormat format) noexcept {
    switch (format) {
    case PictureFormat::kRgb32:
        return 32;
    case PictureFormat::kYuy2:
        return 16;
    case PictureFormat::kNv12:
    case PictureFormat::kI420:
        return 12;
    }
    return 0;
}

std::ptrdiff_t TightStride(PictureFormat format, int width) noexcept {
    switch (format) {
    case PictureFormat::kRgb32:
        return std::ptrdiff_t{width} * 4;
    case PictureFormat::kYuy2:
        // A YUY2 pixel pair shares its U and V: a row always holds whole pairs.
        return std::ptrdiff_t{HalfUp(width)} * 4;
    case PictureFormat::kNv12:
    case PictureFormat::kI420:
        return width;
    }
    return 0;
}

std::size_t PictureBytes(PictureFormat format, std::ptrdiff_t stride, int height) noexcept {
    const std::size_t first_plane = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
    const std::size_t chroma_rows = static_cast<std::size_t>(HalfUp(height));
    switch (format) {
    case PictureFormat::kRgb32:
    case PictureFormat::kYuy2:
        return first_plane;
    case PictureFormat::kNv12:
        return first_plane + static_cast<std::size_t>(stride) * chroma_rows;
    case PictureFormat::kI420:
        return first_plane + 2 * static_cast<std::size_t>(stride / 2) * chroma_rows;
    }
    return 0;
}

void CopyPicture(PictureFormat format, int width, int height, const PictureSource& source,
                 const PictureTarget& target) noexcept {
    if (width <= 0 || height <= 0) return;
    const std::size_t row_bytes = static_cast<std::size_t>(TightStride(format, width));
    // The first plane, turned over when the target is bottom-up.
    std::uint8_t* first_row = target.bottom_up ? target.data + (height - 1) * target.stride : target.data;
    const std::ptrdiff_t target_pitch = target.bottom_up ? -target.stride : target.stride;
    CopyPlane(source.top_row, source.pitch, first_row, target_pitch, row_bytes, height);

    const int chroma_rows = HalfUp(height);
    const std::uint8_t* source_chroma = source.top_row + source.pitch * source.plane_rows;
    std::uint8_t* target_chroma = target.data + target.stride * height;
    switch (format) {
    case PictureFormat::kRgb32:
    case PictureFormat::kYuy2:
        break;
    case PictureFormat::kNv12:
        CopyPlane(source_chroma, source.pitch, target_chroma, target.stride, 2 * static_cast<std::size_t>(HalfUp(width)),
                  chroma_rows);
        break;
    case PictureFormat::kI420: {
        const std::ptrdiff_t source_half = source.pitch / 2;
        const std::ptrdiff_t target_half = target.stride / 2;
        const std::size_t half_row = static_cast<std::size_t>(HalfUp(width));
        CopyPlane(source_chroma, source_half, target_chroma, target_half, half_row, chroma_rows);
        CopyPlane(source_chroma + source_half * HalfUp(source.plane_rows), source_half,
                  target_chroma + target_half * chroma_rows, target_half, half_row, chroma_rows);
        break;
    }
    }
}

}  // namespace wallcine
