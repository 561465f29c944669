// The lens's radial bend and its inverse, on a 6000 x 4000 photograph.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/RadialLens.h"

namespace vesta {
namespace {

// The model's scale: a corner lies one half diagonal from the centre, so k1 = 0.05 moves it
// 5% outward, and the centre stays. A radius measured in pixels, or about the corner, would
// bend every point by another amount.
TEST(RadialLens, ScaledByTheHalfDiagonalAboutTheCentre) {
    const RadialLens lens = RadialLens::ofPhotograph(0.05, 6000, 4000);
    const Point c = lens.centre;
    EXPECT_EQ(lens.undistorted(c), c);
    // The photograph's corner: the outer edge of its first pixel.
    const Point corner = lens.undistorted({-0.5, -0.5});
    EXPECT_NEAR(std::hypot(corner.x - c.x, corner.y - c.y), 1.05 * std::hypot(3000, 2000), 1e-9);
    // Along the ray through the centre: a bend that turned a point would bend straight lines
    // through the centre.
    EXPECT_NEAR((corner.y - c.y) / (corner.x - c.x), 2000.0 / 3000, 1e-12);
}

// Every point of the photograph, and for a barrel bend some beyond it, comes back to itself to a
// millionth of a pixel, for any coefficient allowed; where a pincushion bend turns back (two
// photograph points on one) nothing is given.
TEST(RadialLens, DistortedUndoesUndistortedAndRefusesWhereTheBendFolds) {
    for (const double k1 : {kLensK1Min, -0.05, 0.0, 0.05, kLensK1Max}) {
        const RadialLens lens = RadialLens::ofPhotograph(k1, 6000, 4000);
        // Beyond the photograph a pincushion bend soon folds.
        const double beyond = k1 < 0 ? 0 : 600;
        for (double x = -beyond; x <= 6000 + beyond; x += 300) {
            for (double y = -beyond; y <= 4000 + beyond; y += 250) {
                const std::optional<Point> back = lens.distorted(lens.undistorted({x, y}));
                ASSERT_TRUE(back) << k1 << " " << x << "," << y;
                EXPECT_NEAR(back->x, x, 1e-6);
                EXPECT_NEAR(back->y, y, 1e-6);
            }
        }
    }
    const RadialLens pincushion = RadialLens::ofPhotograph(-0.3, 6000, 4000);
    EXPECT_FALSE(pincushion.distorted({pincushion.centre.x + 4000, pincushion.centre.y}));
    EXPECT_FALSE(pincushion.distorted({NAN, 0}));
    EXPECT_TRUE(plausibleLensK1(0.3) && plausibleLensK1(-0.3) && !plausibleLensK1(0.31) &&
                !plausibleLensK1(-0.31) && !plausibleLensK1(NAN));
}

}  // namespace
}  // namespace vesta
