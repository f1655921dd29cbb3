#include "core/rounding.h"

#include <cmath>
#include <limits>

namespace wallcine {

std::int64_t RoundHalfEven(double value) noexcept {
    if (std::isnan(value)) return 0;
    // 2^63 is exact as a double; every double >= it is out of range.
    constexpr double kTwo63 = 9223372036854775808.0;
    if (value >= kTwo63) return std::numeric_limits<std::int64_t>::max();
    if (value < -kTwo63) return std::numeric_limits<std::int64_t>::min();

    // Both the truncation and the subtraction are exact, so `fraction` is the
    // true fractional part and the halfway test below is exact as well.
    const double whole = std::trunc(value);
    const double fraction = value - whole;
    std::int64_t result = static_cast<std::int64_t>(whole);
    const bool odd = (result % 2) != 0;
    if (fraction > 0.5 || (fraction == 0.5 && odd)) {
        ++result;  // no overflow: a fraction means |value| < 2^52
    } else if (fraction < -0.5 || (fraction == -0.5 && odd)) {
        --result;
    }
    return result;
}

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) noexcept {
    if (c == 0) return -1;
    // |a * b| <= 2^62 and |c| <= 2^31, so none of this overflows int64.
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t divisor = c;
    std::int64_t quotient = product / divisor;
    const std::int64_t remainder = product % divisor;
    const std::int64_t absRemainder = remainder < 0 ? -remainder : remainder;
    const std::int64_t absDivisor = divisor < 0 ? -divisor : divisor;
    if (2 * absRemainder >= absDivisor) {
        // Round away from zero, in the direction of the true quotient's sign.
        quotient += ((product < 0) != (divisor < 0)) ? -1 : 1;
    }
    if (quotient > std::numeric_limits<std::int32_t>::max() ||
        quotient < std::numeric_limits<std::int32_t>::min()) {
        return -1;
    }
    return static_cast<std::int32_t>(quotient);
}

}  // namespace wallcine
