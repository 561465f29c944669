// The lens's radial bend and its inverse on a 6000 x 4000 photograph, and its coefficient fitted
// to lines given by many points on a 3000 x 2000 one.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/LensFit.h"
#include "geometry/RadialLens.h"

namespace vesta {
namespace {

// The model's scale: a corner lies one half diagonal from the centre, so k1 = 0.05 moves it
// 5% outward from the centre. A radius measured in pixels, or about the corner, would
// bend every point by another amount.
TEST(RadialLens, ScaledByTheHalfDiagonalAboutTheCentreAndUndoneWhereItDoesNotFold) {
    const RadialLens lens = RadialLens::ofPhotograph(0.05, 6000, 4000);
    const Point c = lens.centre;
    // The photograph's corner: the outer edge of its first pixel.
    const Point corner = lens.undistorted({-0.5, -0.5});
    EXPECT_NEAR(std::hypot(corner.x - c.x, corner.y - c.y), 1.05 * std::hypot(3000, 2000), 1e-9);
    // Along the ray through the centre: a bend that turned a point would bend straight lines
    // through the centre.
    EXPECT_NEAR((corner.y - c.y) / (corner.x - c.x), 2000.0 / 3000, 1e-12);

    // Every point of the photograph, and for a barrel bend some beyond it, comes back to itself
    // to a millionth of a pixel, for any coefficient allowed; where a pincushion bend turns back
    // (two photograph points on one) nothing is given.
    for (const double k1 : {kLensK1Min, -0.05, 0.0, 0.05, kLensK1Max}) {
        const RadialLens bend = RadialLens::ofPhotograph(k1, 6000, 4000);
        // Beyond the photograph a pincushion bend soon folds.
        const double beyond = k1 < 0 ? 0 : 600;
        for (double x = -beyond; x <= 6000 + beyond; x += 300) {
            for (double y = -beyond; y <= 4000 + beyond; y += 250) {
                const std::optional<Point> back = bend.distorted(bend.undistorted({x, y}));
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

// The photograph the lines are fitted on.
constexpr int kWidth = 3000, kHeight = 2000;

// Straight lines of a facade, away from the centre, as a lens of coefficient k1 bends them:
// seven points along each.
std::vector<std::vector<Point>> bentLines(double k1) {
    const RadialLens lens = RadialLens::ofPhotograph(k1, kWidth, kHeight);
    std::vector<std::vector<Point>> lines;
    const auto line = [&](Point a, Point b) {
        lines.emplace_back();
        for (int i = 0; i <= 6; ++i) {
            const double t = i / 6.0;
            lines.back().push_back(
                lens.distorted({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}).value());
        }
    };
    line({200, 150}, {2800, 260});
    line({250, 1800}, {2750, 1700});
    line({180, 300}, {230, 1750});
    line({2820, 200}, {2700, 1850});
    return lines;
}

// The coefficient that bent the lines comes back, whether barrel or pincushion, and leaves them
// straight; a fit that weighed the points badly, or searched a part of the range, would not.
TEST(LensFit, RecoversTheCoefficientThatBentTheLinesOrRefusesWhatTheyCannotTell) {
    for (const double k1 : {-0.12, 0.05, 0.21}) {
        const Result<LensFit> fit = fitLensK1(bentLines(k1), kWidth, kHeight);
        ASSERT_TRUE(fit.ok()) << k1 << ": " << fit.error();
        EXPECT_NEAR(fit.value().k1, k1, 1e-6);
        EXPECT_LT(fit.value().rmsPx, 1e-3);
    }

    // Lines through the centre (straight under any bend), a bend beyond the plausible range:
    // each refused with its own reason rather than a coefficient.
    const std::vector<std::vector<Point>> throughCentre{{{0, 0}, {1499.5, 999.5}, {2999, 1999}},
                                                        {{0, 999.5}, {1000, 999.5}, {2999, 999.5}}};
    EXPECT_EQ(fitLensK1(throughCentre, kWidth, kHeight).error(), kLensFitUninformative);
    EXPECT_EQ(fitLensK1(bentLines(0.5), kWidth, kHeight).error(), kLensFitImplausible);
}

}  // namespace
}  // namespace vesta
