#include "core/geometry.h"

#include <algorithm>

#include "core/rounding.h"

namespace wallcine {

namespace {

constexpr std::int32_t kMaxZoomPercent = 99;

// C++20 defines int64 -> int32 conversion as wrapping, so no UB for the
// absurd rectangles that could get here.
constexpr std::int32_t ToInt32(std::int64_t value) noexcept {
    return static_cast<std::int32_t>(value);
}

}  // namespace

namespace {

// The picture scaled to meet the target's width or its height, centred: the fitting scale
// (bars) or the covering one (overflow).
Rect AspectScaledRect(const Rect& target, const Rect& source, bool cover) noexcept {
    const std::int32_t targetW = target.width();
    const std::int32_t targetH = target.height();
    const std::int32_t sourceW = source.width();
    const std::int32_t sourceH = source.height();
    if (sourceW <= 0 || sourceH <= 0) return target;

    std::int32_t width;
    std::int32_t height;
    const bool target_taller = static_cast<double>(targetH) / sourceH > static_cast<double>(targetW) / sourceW;
    if (target_taller != cover) {
        width = targetW;  // the width meets: bars above and below, or overflow left and right
        height = MulDiv(sourceH, targetW, sourceW);
    } else {
        height = targetH;  // the height meets
        width = MulDiv(sourceW, targetH, sourceH);
    }

    const std::int64_t left = static_cast<std::int64_t>(target.left) + (static_cast<std::int64_t>(targetW) - width) / 2;
    const std::int64_t top = static_cast<std::int64_t>(target.top) + (static_cast<std::int64_t>(targetH) - height) / 2;
    return Rect{ToInt32(left), ToInt32(top), ToInt32(left + width), ToInt32(top + height)};
}

}  // namespace

Rect AspectFitRect(const Rect& target, const Rect& source) noexcept { return AspectScaledRect(target, source, false); }

Rect AspectCoverRect(const Rect& target, const Rect& source) noexcept { return AspectScaledRect(target, source, true); }

ZoomRect ZoomSourceRect(std::int32_t width, std::int32_t height, std::int32_t percent) noexcept {
    if (width <= 0 || height <= 0) return ZoomRect{0, 0, width, height};
    percent = std::clamp(percent, 0, kMaxZoomPercent);

    const double ratio = static_cast<double>(height) / width;
    // The product is taken in 64 bits: it cannot overflow for any int32 width.
    const double newWidth = width - static_cast<double>(static_cast<std::int64_t>(percent) * width) / 100.0;
    const double newHeight = newWidth * ratio;
    // Everything stays in double until here; each result truncates toward zero
    // and lies within 0..width / 0..height, so the conversions are in range.
    return ZoomRect{static_cast<std::int32_t>((width - newWidth) / 2.0),
                    static_cast<std::int32_t>((height - newHeight) / 2.0), static_cast<std::int32_t>(newWidth),
                    static_cast<std::int32_t>(newHeight)};
}

}  // namespace wallcine
