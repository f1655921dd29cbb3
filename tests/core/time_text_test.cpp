#include "core/time_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace wallcine {
namespace {

TEST(TitleText, PadsToSixtyWithAtLeastFourBlanks) {
    struct Case {
        std::size_t length, blanks;
    };
    const Case cases[] = {{0, 60}, {10, 50}, {55, 5}, {56, 4}, {57, 4}, {200, 4}};
    for (const Case& c : cases) {
        const std::string path(c.length, 'p');
        EXPECT_EQ(TitleText(path), path + std::string(c.blanks, ' ')) << c.length;
    }
}

TEST(RotateLeft, MovesFirstCharacterToTheEnd) {
    EXPECT_EQ(RotateLeft("abc "), "bc a");
    EXPECT_EQ(RotateLeft("ab"), "ba");
    EXPECT_EQ(RotateLeft("x"), "x");
    EXPECT_EQ(RotateLeft(""), "");
    // A full cycle gives the caption back.
    std::string caption = TitleText("clip.avi");
    const std::string original = caption;
    for (std::size_t i = 0; i < original.size(); ++i) caption = RotateLeft(caption);
    EXPECT_EQ(caption, original);
}

TEST(ClockText, Table) {
    struct Case {
        double seconds;
        const char* expected;
    };
    const Case cases[] = {
        {0.0, "00:00:00:000"},
        {0.25, "00:00:00:250"},
        {3661.5, "01:01:01:500"},
        {59.0, "00:00:59:000"},
        {3599.999, "00:59:59:999"},
        // Exact binary fractions whose milliseconds end in .5: halves go to even.
        {0.0625, "00:00:00:062"},
        {3.1875, "00:00:03:188"},
        {3.3125, "00:00:03:312"},
        {0.9994, "00:00:00:999"},
        {0.9996, "00:00:01:000"},   // rounds to 1000 ms: carried into the seconds
        {59.9996, "00:01:00:000"},
        {3599.9996, "01:00:00:000"},
        {360000.0, "100:00:00:000"},
        {-1.5, "00:00:00:000"},     // negative shows as zero
        {std::nan(""), "00:00:00:000"},
        {std::numeric_limits<double>::infinity(), "2501999792983:36:32:000"},  // 2^53 s
    };
    for (const Case& c : cases) EXPECT_EQ(ClockText(c.seconds), c.expected) << c.seconds;
}

TEST(PositionAndDurationText, PrefixTheClock) {
    EXPECT_EQ(PositionText(3661.5), "Position: 01:01:01:500");
    EXPECT_EQ(DurationText(0.25), "Duration: 00:00:00:250");
}

TEST(ItemHasEnded, ComparesWholeMilliseconds) {
    struct Case {
        double position, duration;
        bool ended;
    };
    const Case cases[] = {
        {1.0004, 1.0009, true},  // both 1000 ms
        {1.0, 1.002, false},
        {1.0035, 1.002, true},
        {0.0, 0.0, true},
        {std::nan(""), 1.0, false},
        {1.0, std::nan(""), false},
    };
    for (const Case& c : cases) EXPECT_EQ(ItemHasEnded(c.position, c.duration), c.ended) << c.position << " / " << c.duration;
}

TEST(ToSliderTenths, RoundsHalfEvenAndSaturates) {
    struct Case {
        double seconds;
        std::int32_t tenths;
    };
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    const Case cases[] = {
        {0.0, 0},     {1.0, 10},  {12.34, 123}, {0.25, 2},  {0.75, 8},  {-0.25, -2},
        {1e12, kMax}, {-1e12, kMin}, {std::numeric_limits<double>::infinity(), kMax}, {std::nan(""), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ToSliderTenths(c.seconds), c.tenths) << c.seconds;
}

}  // namespace
}  // namespace wallcine
