// Rectangles for placing the video: letterboxing into the window and the
// source area shown by the digital zoom.
#pragma once

#include <cstdint>

namespace wallcine {

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    // Computed in 64 bits; the conversion back wraps instead of overflowing.
    constexpr std::int32_t width() const noexcept {
        return static_cast<std::int32_t>(static_cast<std::int64_t>(right) - left);
    }
    constexpr std::int32_t height() const noexcept {
        return static_cast<std::int32_t>(static_cast<std::int64_t>(bottom) - top);
    }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// The largest rectangle with the source's aspect ratio that fits in `target`,
// centred in it (remainders truncated, so an odd margin puts the extra pixel
// on the right/bottom). A source with zero or negative width or height has no
// aspect to keep, so the target comes back unchanged and the picture fills it.
Rect AspectFitRect(const Rect& target, const Rect& source) noexcept;

// The smallest rectangle with the source's aspect ratio that covers `target`, centred on it
// (it overflows on two sides, which the caller clips). As AspectFitRect for an empty source.
Rect AspectCoverRect(const Rect& target, const Rect& source) noexcept;

struct ZoomRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend constexpr bool operator==(const ZoomRect&, const ZoomRect&) = default;
};

// The part of a width x height picture shown at digital zoom `percent`:
// the width shrinks by percent% (height in proportion) and the area stays
// centred. The UI offers 0..99; other values are clamped to that range here.
// A picture with zero or negative width or height is returned whole,
// (0, 0, width, height), since there is nothing to scale.
ZoomRect ZoomSourceRect(std::int32_t width, std::int32_t height, std::int32_t percent) noexcept;

}  // namespace wallcine
