#include <gtest/gtest.h>

#include <cmath>
#include <vector>

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

// Without an area the frame grows from the image's corners one pixel in.
TEST(Frame, WithoutAnAreaTheCornersAreTheImagesOnePixelIn) {
    const Frame f = rectificationFrame(rolledSample()).value();  // Vv above, Vh left
    EXPECT_EQ(std::vector<double>(
                  {f.angoloX1, f.angoloY1, f.angoloX2, double(f.angoloY2), double(f.casoFughe)}),
              std::vector<double>({799, 599, 1, 1, 4}));
}

// When the far corner toward Vh is carried onto the side at the height of the horizontal
// measuring point, the projecting line would run parallel to nothing it can meet: slope 1 is
// taken instead, so the frame still has a width.
TEST(Frame, AHorizontalProjectionFromTheMeasuringPointTakesSlopeOne) {
    FrameInputs in = rolledSample();
    const Frame plain = rectificationFrame(in).value();
    // Without an area the far corner is (1, 1); Q2 is where the line from Vv through it meets
    // the side toward Vh.
    const Point q2 = *meetingPoint(in.vv, *slopeFrom(in.vv, {1, 1}), in.vh, plain.mOrizz);
    in.orientation.po = {q2.x + 300, q2.y};
    const auto f = rectificationFrame(in);
    ASSERT_TRUE(f.ok());
    const Point po = in.orientation.po;
    const Point b = f.value().maxB;
    EXPECT_NEAR(b.y - po.y, b.x - po.x, 1e-6 * std::abs(b.x - po.x)) << "on the slope-1 line";
    EXPECT_NEAR(b.y - f.value().rif.y, in.orientation.mOrizzonte * (b.x - f.value().rif.x),
                1e-6 * std::abs(b.x - f.value().rif.x));
    EXPECT_GT(f.value().largOut, 0);
}

// Worked by hand: P at the origin, Vv at (-300, -300), Vh at (900, -300). The line Vv-P has
// slope 1, so the horizon through Vh is x + y = 600 and meets it at F = (300, 300). The circle
// on Vv-F has its centre at P and radius 300 sqrt 2; the parallel to the horizon through P cuts
// it at D = (-300, 300). The circle of centre Vv through D (radius 600) cuts Vv-P at
// pv = (-300 + 300 sqrt 2) (1, 1). P-Vh has slope -1/3; the circle of centre P through D cuts the
// perpendicular to it at E = (60 sqrt 5, 180 sqrt 5), so |Vh E|^2 = |Vh P|^2 + |P E|^2 =
// 1080000, and that circle cuts the horizon at po = Vh + sqrt 540000 (-1, 1).
TEST(InteriorOrientation, MatchesTheConstructionWorkedByHand) {
    const auto built = interiorOrientation({900, -300}, {-300, -300}, {0, 0});
    ASSERT_TRUE(built.ok()) << built.error();
    const InteriorOrientation& o = built.value();
    const double r2 = std::sqrt(2.0), r540 = std::sqrt(540000.0);
    const auto near = [](Point p, double x, double y) {
        return std::hypot(p.x - x, p.y - y) < 1e-9;
    };
    EXPECT_NEAR(o.mCentro, 1, 1e-12);
    EXPECT_NEAR(o.mOrizzonte, -1, 1e-12);
    EXPECT_TRUE(near(o.piede, 300, 300));
    EXPECT_TRUE(near(o.puntoDist, -300, 300));
    EXPECT_NEAR(o.distanzaPrinc, 300 * r2, 1e-9);
    EXPECT_NEAR(o.r2, 600, 1e-9);
    EXPECT_TRUE(near(o.pv, -300 + 300 * r2, -300 + 300 * r2));
    EXPECT_NEAR(o.mH, -1.0 / 3, 1e-12);
    EXPECT_TRUE(near(o.e, 60 * std::sqrt(5.0), 180 * std::sqrt(5.0)));
    EXPECT_NEAR(o.r3, std::sqrt(1080000.0), 1e-9);
    EXPECT_TRUE(near(o.po, 900 - r540, -300 + r540));
}

}  // namespace
}  // namespace vesta
