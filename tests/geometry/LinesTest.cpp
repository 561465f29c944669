#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/Lines.h"

namespace vesta {
namespace {

TEST(Lines, MeetingPointOfTwoLinesInPointSlopeForm) {
    // Slopes 0.1 and -0.1 through (0, 0) and (0, 100) meet at (500, 50).
    const auto m = meetingPoint({0, 0}, 0.1, {0, 100}, -0.1);
    ASSERT_TRUE(m);
    EXPECT_DOUBLE_EQ(m->x, 500);
    EXPECT_DOUBLE_EQ(m->y, 50);
    EXPECT_FALSE(meetingPoint({0, 0}, 0.3, {5, 5}, 0.3)) << "parallel lines never meet";
    // Slopes equal but for their last bits: a meeting point beyond any photograph.
    EXPECT_FALSE(meetingX({0, 0}, 0.1, {0, 100}, std::nextafter(0.1, 1.0)));
}

TEST(Lines, SlopeFromAPointRefusesTheVerticalThroughIt) {
    EXPECT_DOUBLE_EQ(*slopeFrom({1, 1}, {3, 5}), 2.0);
    EXPECT_FALSE(slopeFrom({400, 10}, {400, 300}));
    // A vanishing point computed a rounding away from the principal point's x is the same
    // vertical: dividing by the difference would give slopes of 1e8 to 1e16.
    EXPECT_FALSE(slopeFrom({400.00000000000006, -2000}, {400, 300}));
    EXPECT_FALSE(slopeFrom({399.99997952, -2993}, {400, 300}));
    EXPECT_TRUE(slopeFrom({400.01, -2000}, {400, 300}));
}

TEST(Lines, LineCircleRootsAreOrderedAndMissesAreRefused) {
    // Circle of radius 5 at (0, 0) cut by the horizontal y = 3: x = -4 and 4.
    const auto r = lineCircleRoots({0, 0}, 5, {10, 3}, 0);
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ(r->minus, -4);
    EXPECT_DOUBLE_EQ(r->plus, 4);
    // The diagonal through the centre cuts at ±5/sqrt(2).
    const auto d = lineCircleRoots({2, 2}, 5, {2, 2}, 1);
    ASSERT_TRUE(d);
    EXPECT_NEAR(d->plus - 2, 5 / std::sqrt(2.0), 1e-12);
    EXPECT_FALSE(lineCircleRoots({0, 0}, 5, {0, 6}, 0)) << "the line passes above the circle";
    EXPECT_FALSE(lineCircleRoots({0, 0}, std::numeric_limits<double>::infinity(), {0, 0}, 1));
}

TEST(Lines, ZeroUpToRoundingIsRelativeToTheNumbers) {
    EXPECT_TRUE(zeroUpToRounding(0, 0));
    EXPECT_TRUE(zeroUpToRounding(1e6, 1e6 + 1));
    EXPECT_FALSE(zeroUpToRounding(1, 1 + 1e-4));
    EXPECT_FALSE(zeroUpToRounding(0, 1e-300));
}

}  // namespace
}  // namespace vesta
