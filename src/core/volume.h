// The volume slider's curve: the slider position is squared so that the low
// end of the slider gives fine control over quiet levels.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/rounding.h"

namespace wallcine {

constexpr std::int32_t kVolumeSliderMin = 1;
constexpr std::int32_t kVolumeSliderMax = 10000;

// Slider position 1..10000 to the attenuation level 10000 - x^2 * 10000 with
// x = position / 10000, rounded half-even (1 -> 10000, 5000 -> 7500,
// 10000 -> 0). Positions outside 1..10000 are clamped into it first.
inline std::int32_t VolumeLevelFromSlider(std::int32_t position) noexcept {
    const double x = std::clamp(position, kVolumeSliderMin, kVolumeSliderMax) / 10000.0;
    return static_cast<std::int32_t>(RoundHalfEven(10000.0 - x * x * 10000.0));
}

}  // namespace wallcine
