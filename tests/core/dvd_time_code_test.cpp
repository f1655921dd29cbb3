#include "core/dvd_time_code.h"

#include <gtest/gtest.h>

namespace wallcine {
namespace {

using Fields = std::array<std::uint32_t, 9>;

TEST(UnpackDvdTimeCode, SplitsEveryField) {
    EXPECT_EQ(UnpackDvdTimeCode(0x12345678u), (Fields{1, 2, 3, 4, 5, 6, 7, 2, 0}));
    // Low byte 0xB = 10 11: bits 2-3 = 2, bits 0-1 = 3.
    EXPECT_EQ(UnpackDvdTimeCode(0xFEDCBA9Bu), (Fields{15, 14, 13, 12, 11, 10, 9, 2, 3}));
    EXPECT_EQ(UnpackDvdTimeCode(0u), Fields{});
    EXPECT_EQ(UnpackDvdTimeCode(0xFFFFFFFFu), (Fields{15, 15, 15, 15, 15, 15, 15, 3, 3}));
    // Each single bit lands in exactly one field.
    EXPECT_EQ(UnpackDvdTimeCode(0x00000004u), (Fields{0, 0, 0, 0, 0, 0, 0, 1, 0}));
    EXPECT_EQ(UnpackDvdTimeCode(0x00000002u), (Fields{0, 0, 0, 0, 0, 0, 0, 0, 2}));
    static_assert(UnpackDvdTimeCode(0x10000000u)[0] == 1);
}

}  // namespace
}  // namespace wallcine
