#include "core/dvd_time_code.h"

#include <gtest/gtest.h>

namespace wallcine {
namespace {

using Fields = std::array<std::uint32_t, 9>;

// Packs a time the way a DVD navigator reports it.
constexpr std::uint32_t TimeCode(unsigned h, unsigned m, unsigned s, unsigned f, unsigned rate_code) {
    return (h % 10) | (h / 10) << 4 | (m % 10) << 8 | (m / 10) << 12 | (s % 10) << 16 | (s / 10) << 20 |
           (f % 10) << 24 | (f / 10) << 28 | rate_code << 30;
}

TEST(UnpackDvdTimeCode, SplitsTheDigitsFromTheLowBitsUp) {
    // 01:23:45, frame 12, 25 fps.
    EXPECT_EQ(UnpackDvdTimeCode(TimeCode(1, 23, 45, 12, 1)), (Fields{1, 0, 3, 2, 5, 4, 2, 1, 1}));
    // 10:59:59, frame 29, 30 fps: the two-bit fields at their widest.
    EXPECT_EQ(UnpackDvdTimeCode(TimeCode(10, 59, 59, 29, 3)), (Fields{0, 1, 9, 5, 9, 5, 9, 2, 3}));
    EXPECT_EQ(UnpackDvdTimeCode(0u), Fields{});
    EXPECT_EQ(UnpackDvdTimeCode(0xFFFFFFFFu), (Fields{15, 15, 15, 15, 15, 15, 15, 3, 3}));
    static_assert(UnpackDvdTimeCode(0x1u)[0] == 1);
}

}  // namespace
}  // namespace wallcine
