#include <gtest/gtest.h>

#include <cmath>

#include "geometry/Frame.h"
#include "state/Numbers.h"

namespace vesta {
namespace {

// The rolled sample's construction, with no area: the frame spans the image.
FrameInputs rolledSample() {
    FrameInputs in;
    in.vh = {-838.0, 285.1};
    in.vv = {766.9, -2688.5};
    in.orientation = interiorOrientation(in.vh, in.vv, {400, 300}).value();
    in.width = 800;
    in.height = 600;
    return in;
}

TEST(CornerCase, FollowsTheVanishingPointsAndTheLaterTestWinsOnABoundary) {
    const Point vh{2000, 300}, vv{400, -3000};   // Vv above (smaller y), Vh right
    EXPECT_EQ(cornerCase(500, 100, vh, vv), 1);  // right of Vv, above Vh
    EXPECT_EQ(cornerCase(500, 400, vh, vv), 2);
    EXPECT_EQ(cornerCase(300, 100, vh, vv), 3);
    EXPECT_EQ(cornerCase(300, 400, vh, vv), 4);
    EXPECT_EQ(cornerCase(500, 300, vh, vv), 2) << "y on the horizontal of Vh: B decides";
    EXPECT_EQ(cornerCase(400, 100, vh, vv), 3) << "x on the vertical of Vv: L decides";
    const Point vvBelow{400, 3000};
    EXPECT_EQ(cornerCase(500, 100, vh, vvBelow), 2);
    EXPECT_EQ(cornerCase(300, 400, {-2000, 300}, vvBelow), 1);
    EXPECT_EQ(cornerCase(500, 100, {-2000, 300}, vv), 3);
}

TEST(Frame, WithoutAnAreaTheCornersAreTheImagesOnePixelIn) {
    FrameInputs in = rolledSample();  // Vv above (y smaller), Vh left
    const Frame f = rectificationFrame(in).value();
    EXPECT_EQ(f.angoloX1, 799);
    EXPECT_EQ(f.angoloY1, 599);
    EXPECT_EQ(f.angoloX2, 1);
    EXPECT_EQ(f.angoloY2, 1);
    EXPECT_EQ(f.casoFughe, 4);
    in.vv = {766.9, 2688.5};  // below
    in.orientation = interiorOrientation(in.vh, in.vv, {400, 300}).value();
    const auto below = rectificationFrame(in);
    ASSERT_TRUE(below.ok());
    EXPECT_EQ(below.value().casoFughe, 3);
    EXPECT_EQ(below.value().angoloX1, 799);
    EXPECT_EQ(below.value().angoloY1, 1);
}

TEST(Frame, WithAnAreaTheCornersComeFromIt) {
    FrameInputs in = rolledSample();
    in.areaDefined = true;
    const double area[5][2] = {{0, 0}, {100, 50.5}, {100, 450.5}, {700, 450.5}, {700, 50.5}};
    for (int k = 1; k <= 4; ++k) {
        in.area[k][1] = area[k][0];
        in.area[k][2] = area[k][1];
    }
    const Frame f = rectificationFrame(in).value();
    // Vv above and Vh left: corner 3, then corner 1, its y rounded half to even.
    EXPECT_EQ(f.angoloX1, 700);
    EXPECT_EQ(f.angoloY1, 450.5);
    EXPECT_EQ(f.angoloX2, 100);
    EXPECT_EQ(f.angoloY2, 50);
    EXPECT_EQ(f.casoFughe, cornerCase(700, 450.5, in.vh, in.vv));
}

TEST(Frame, OutputSizeIsTheTrueSideOverTheSizeFactorRoundedDown) {
    FrameInputs in = rolledSample();
    const Frame one = rectificationFrame(in).value();
    EXPECT_EQ(one.largOut, std::floor(distance(one.maxB, one.rif)));
    EXPECT_EQ(one.altOut, std::floor(distance(one.maxA, one.rif)));
    ASSERT_EQ(one.divColonne.size(), std::size_t(one.largOut) + 1);
    in.grandezza = 1.5;
    const Frame larger = rectificationFrame(in).value();
    EXPECT_EQ(larger.largOut, std::floor(distance(larger.maxB, larger.rif) / 1.5));
    EXPECT_EQ(floorInt(1000.7 / 1.0), 1000);
    EXPECT_EQ(floorInt(1000.7 / 1.5), 667);
    EXPECT_EQ(floorInt(301 / 1.5), 200);
}

// The column points must run along the horizon itself: its slope taken as an angle would
// skew every rolled photograph.
TEST(Frame, DivisionPointsRunAlongAndAcrossTheHorizonAtTheSizeFactorsSpacing) {
    FrameInputs in = rolledSample();
    in.grandezza = 1.3;
    const Frame f = rectificationFrame(in).value();
    const double m = in.orientation.mOrizzonte;
    ASSERT_GT(std::fabs(m), 0.05) << "the rolled sample has a sloping horizon";
    const auto& c = f.divColonne;
    const auto& r = f.divRighe;
    EXPECT_EQ(c[0][2], 0);
    EXPECT_NEAR((c[10][3] - c[1][3]) / (c[10][2] - c[1][2]), m, 1e-12);
    EXPECT_NEAR(distance({c[1][2], c[1][3]}, {c[2][2], c[2][3]}), 1.3, 1e-12);
    EXPECT_NEAR((r[10][3] - r[1][3]) * m + (r[10][2] - r[1][2]), 0, 1e-9) << "square to it";
    EXPECT_NEAR(distance({r[5][2], r[5][3]}, f.rif), 5 * 1.3, 1e-12);
    EXPECT_EQ(c[1][2], f.rif.x + 1 * (f.segnoX * 1.3) * std::cos(std::atan(m)));
}

TEST(Frame, NoTablesForASideNoBitmapCouldHold) {
    FrameInputs in = rolledSample();
    in.vh = {-1e9, 285.1};  // nearly parallel horizontal lines
    const auto built = interiorOrientation(in.vh, in.vv, {400, 300});
    if (!built.ok()) {
        GTEST_SKIP() << "refused already by the orientation";
    }
    in.orientation = built.value();
    const auto f = rectificationFrame(in);
    if (f.ok()) {
        EXPECT_LE(f.value().divColonne.size(), 32768u);
        EXPECT_LE(f.value().divRighe.size(), 32768u);
    }
}

}  // namespace
}  // namespace vesta
