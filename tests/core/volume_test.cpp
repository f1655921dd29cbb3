#include "core/volume.h"

#include <gtest/gtest.h>

#include <limits>

namespace wallcine {
namespace {

TEST(VolumeLevelFromSlider, Table) {
    struct Case {
        std::int32_t position, expected;
    };
    const Case cases[] = {
        {1, 10000}, {100, 9999}, {1000, 9900}, {5000, 7500}, {9000, 1900}, {10000, 0},
        // Clamped into 1..10000.
        {0, 10000}, {-5, 10000}, {std::numeric_limits<std::int32_t>::min(), 10000}, {20000, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(VolumeLevelFromSlider(c.position), c.expected) << c.position;
}

}  // namespace
}  // namespace wallcine
