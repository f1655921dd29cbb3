#include "core/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace wallcine {
namespace {

TEST(RoundHalfEven, Table) {
    struct Case {
        double value;
        std::int64_t expected;
    };
    const Case cases[] = {
        {0.0, 0},   {0.5, 0},     {1.5, 2},     {2.5, 2},      {3.5, 4},   {-0.5, 0},
        {-1.5, -2}, {-2.5, -2},   {0.49999999999999994, 0},    {2.5000000000000004, 3},
        {1.4, 1},   {-1.6, -2},   {-7.0, -7},   {4503599627370497.0, 4503599627370497},
    };
    for (const Case& c : cases) EXPECT_EQ(RoundHalfEven(c.value), c.expected) << c.value;
}

TEST(RoundHalfEven, NanAndOutOfRange) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
    EXPECT_EQ(RoundHalfEven(INFINITY), kMax);
    EXPECT_EQ(RoundHalfEven(-INFINITY), kMin);
    EXPECT_EQ(RoundHalfEven(9223372036854775808.0), kMax);
    EXPECT_EQ(RoundHalfEven(-9223372036854775808.0), kMin);
    EXPECT_EQ(RoundHalfEven(1e300), kMax);
}

TEST(MulDiv, Table) {
    struct Case {
        std::int32_t a, b, c, expected;
    };
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const Case cases[] = {
        {5, 1, 2, 3},       {-5, 1, 2, -3},    {5, -1, 2, -3},   {-5, -1, 2, 3},  {5, 1, -2, -3},
        {7, 1, 3, 2},       {8, 1, 3, 3},      {-7, 1, 3, -2},   {-8, 1, 3, -3},  {90, 400, 160, 225},
        {90, 300, 160, 169},  // 168.75
        {kMax, kMax, kMax, kMax},   // needs the 64-bit intermediate
        {kMin, 1, 1, kMin},
        {1, 1, 0, -1},              // division by zero
        {kMax, 2, 1, -1},           // result overflows
        {kMin, -1, 1, -1},          // 2^31 does not fit
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " * " << c.b << " / " << c.c;
    }
}

}  // namespace
}  // namespace wallcine
