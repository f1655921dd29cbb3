// Texts the player window shows: the scrolling title, position and duration,
// plus the end-of-item test and the position slider's units.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wallcine {

// The marquee title: the path followed by max(4, 60 - length) blanks, so the
// text scrolls with a gap before it repeats.
std::string TitleText(std::string_view path);

// One marquee step: the caption without its first character, then that
// character. Empty and one-character captions come back unchanged.
std::string RotateLeft(std::string_view caption);

// "Position: HH:MM:SS:mmm" / "Duration: HH:MM:SS:mmm" for a time in seconds.
// Hours grow past two digits when needed (360000 s -> "100:00:00:000").
// Milliseconds are the fraction rounded half-even; a fraction that rounds to
// 1000 ms carries into the seconds (59.9996 -> "00:01:00:000") rather than
// showing ":1000". Negative and NaN times show as 0; times above 2^53 seconds
// (including +inf) show as 2^53 seconds.
std::string PositionText(double seconds);
std::string DurationText(double seconds);

// The clock part alone, "HH:MM:SS:mmm", with the same rules.
std::string ClockText(double seconds);

// True when the item has played to its end: whole milliseconds of position
// reach whole milliseconds of duration (both truncated toward zero).
// False when either is NaN.
bool ItemHasEnded(double position, double duration) noexcept;

// A time in seconds in the position slider's tenths of a second, rounded
// half-even. NaN gives 0; values beyond the int32 range saturate.
std::int32_t ToSliderTenths(double seconds) noexcept;

}  // namespace wallcine
