#include "core/time_text.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/rounding.h"

namespace wallcine {

namespace {

constexpr std::size_t kTitleWidth = 60;
constexpr std::size_t kMinTitleGap = 4;

// Above 2^53 a double has no fractional part left, and the whole seconds still
// fit easily in int64, so this is a safe ceiling for display.
constexpr double kMaxDisplaySeconds = 9007199254740992.0;

// Decimal digits of `value`, zero-padded on the left to at least `width`
// (printf's "%.2d" / "%.3d" for non-negative values).
void AppendPadded(std::string& out, std::uint64_t value, std::size_t width) {
    char digits[20];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    if (count < width) out.append(width - count, '0');
    while (count > 0) out += digits[--count];
}

}  // namespace

std::string TitleText(std::string_view path) {
    const std::size_t gap = path.size() < kTitleWidth - kMinTitleGap ? kTitleWidth - path.size() : kMinTitleGap;
    std::string text;
    text.reserve(path.size() + gap);
    text.append(path);
    text.append(gap, ' ');
    return text;
}

std::string RotateLeft(std::string_view caption) {
    if (caption.size() < 2) return std::string(caption);
    std::string rotated;
    rotated.reserve(caption.size());
    rotated.append(caption.substr(1));
    rotated += caption.front();
    return rotated;
}

std::string ClockText(double seconds) {
    // !(x > 0) also catches NaN.
    const double t = !(seconds > 0.0) ? 0.0 : std::min(seconds, kMaxDisplaySeconds);
    const double truncated = std::trunc(t);
    auto whole = static_cast<std::uint64_t>(truncated);
    auto ms = static_cast<std::uint64_t>(RoundHalfEven((t - truncated) * 1000.0));
    if (ms >= 1000) {  // fraction >= 0.9995: show the next whole second
        ms -= 1000;
        ++whole;
    }

    std::string text;
    text.reserve(16);
    AppendPadded(text, whole / 3600, 2);
    text += ':';
    AppendPadded(text, whole % 3600 / 60, 2);
    text += ':';
    AppendPadded(text, whole % 60, 2);
    text += ':';
    AppendPadded(text, ms, 3);
    return text;
}

std::string PositionText(double seconds) {
    return "Position: " + ClockText(seconds);
}

std::string DurationText(double seconds) {
    return "Duration: " + ClockText(seconds);
}

bool ItemHasEnded(double position, double duration) noexcept {
    return std::trunc(position * 1000.0) >= std::trunc(duration * 1000.0);
}

std::int32_t ToSliderTenths(double seconds) noexcept {
    const std::int64_t tenths = RoundHalfEven(seconds * 10.0);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        tenths, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace wallcine
