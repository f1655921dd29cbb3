// Integer rounding that does not depend on the floating-point rounding mode.
#pragma once

#include <cstdint>

namespace wallcine {

// Nearest integer, halves to the even neighbour (0.5 -> 0, 1.5 -> 2,
// 2.5 -> 2, -1.5 -> -2). NaN gives 0; values beyond the int64 range saturate
// to INT64_MIN / INT64_MAX.
std::int64_t RoundHalfEven(double value) noexcept;

// a * b / c as Windows' MulDiv computes it: 64-bit intermediate, rounded to
// the nearest integer with halves away from zero (MulDiv(-5, 1, 2) == -3).
// Returns -1 when c is 0 or the result does not fit in an int32.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) noexcept;

}  // namespace wallcine
