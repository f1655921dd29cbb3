#include "core/geometry.h"

#include <gtest/gtest.h>

namespace wallcine {
namespace {

TEST(AspectFitRect, Table) {
    struct Case {
        Rect target, source, expected;
    };
    const Case cases[] = {
        // Wide picture in a 4:3 window: bars above and below.
        {{0, 0, 400, 300}, {0, 0, 160, 90}, {0, 37, 400, 262}},
        // Tall picture: bars left and right; 168.75 rounds to 169.
        {{0, 0, 400, 300}, {0, 0, 90, 160}, {115, 0, 284, 300}},
        // Same aspect (ratios equal): fills the target exactly.
        {{0, 0, 400, 300}, {0, 0, 800, 600}, {0, 0, 400, 300}},
        // Offset target and offset source: only sizes of the source count.
        {{100, 50, 500, 350}, {10, 10, 170, 100}, {100, 87, 500, 312}},
    };
    for (const Case& c : cases) {
        const Rect r = AspectFitRect(c.target, c.source);
        EXPECT_EQ(r, c.expected) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(AspectFitRect, SourceWithoutAreaLeavesTargetUnchanged) {
    const Rect target{10, 20, 410, 320};
    EXPECT_EQ(AspectFitRect(target, Rect{0, 0, 0, 90}), target);
    EXPECT_EQ(AspectFitRect(target, Rect{0, 0, 160, 0}), target);
    EXPECT_EQ(AspectFitRect(target, Rect{50, 0, 10, 90}), target);
}

TEST(AspectCoverRect, CoversTheTargetAndOverflowsEvenlyOnTheOtherAxis) {
    struct Case {
        Rect target, source, expected;
    };
    const Case cases[] = {
        // Wide picture in a 4:3 area: the height meets, 533 wide, 133 over, split left and right.
        {{0, 0, 400, 300}, {0, 0, 160, 90}, {-66, 0, 467, 300}},
        // Tall picture: the width meets, 711 high.
        {{0, 0, 400, 300}, {0, 0, 90, 160}, {0, -205, 400, 506}},
        // Same aspect: exactly the target.
        {{0, 0, 400, 300}, {0, 0, 800, 600}, {0, 0, 400, 300}},
        // No picture yet: the target.
        {{0, 0, 400, 300}, {0, 0, 0, 0}, {0, 0, 400, 300}},
    };
    for (const Case& c : cases) {
        const Rect r = AspectCoverRect(c.target, c.source);
        EXPECT_EQ(r, c.expected) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(ZoomSourceRect, Table) {
    struct Case {
        std::int32_t width, height, percent;
        ZoomRect expected;
    };
    const Case cases[] = {
        {640, 480, 0, {0, 0, 640, 480}},
        {640, 480, 50, {160, 120, 320, 240}},
        // 6.4 x 4.8 source: the offsets come from the unrounded size.
        {640, 480, 99, {316, 237, 6, 4}},
        // Tall picture: height 6.4 * 3 = 19.2 comes from the unrounded width.
        {640, 1920, 99, {316, 950, 6, 19}},
        // Out-of-range values are clamped to 0..99.
        {640, 480, -20, {0, 0, 640, 480}},
        {640, 480, 1000, {316, 237, 6, 4}},
        // A width whose product with the percentage exceeds int32.
        {2000000000, 1000000000, 50, {500000000, 250000000, 1000000000, 500000000}},
    };
    for (const Case& c : cases) {
        const ZoomRect z = ZoomSourceRect(c.width, c.height, c.percent);
        EXPECT_EQ(z, c.expected) << c.width << "x" << c.height << " @" << c.percent << " -> " << z.left << ","
                                 << z.top << "," << z.width << "," << z.height;
    }
}

TEST(ZoomSourceRect, EmptyPictureIsReturnedWhole) {
    EXPECT_EQ(ZoomSourceRect(0, 480, 50), (ZoomRect{0, 0, 0, 480}));
    EXPECT_EQ(ZoomSourceRect(640, 0, 50), (ZoomRect{0, 0, 640, 0}));
    EXPECT_EQ(ZoomSourceRect(0, 0, 99), (ZoomRect{0, 0, 0, 0}));
}

}  // namespace
}  // namespace wallcine
