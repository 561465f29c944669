// How true the proportions are, and how honestly the stated uncertainty says so, checked
// against the camera that took the photograph, with clicks floored to whole pixels as a mouse
// gives them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "FacadeClicks.h"
#include "geometry/Degenerate.h"
#include "geometry/FocalLength.h"
#include "geometry/Homography.h"
#include "geometry/KnownMeasures.h"
#include "geometry/Uncertainty.h"
#include "measure/LengthUncertainty.h"

namespace vesta {
namespace {

using facade::PinholeCamera;

using test::clicksFor;
using test::mouse;

// The facade rectangle the four clicked lines bound: cornice bottom, string-course top and the
// two edges of the facade.
constexpr double kKnownWidth = 1200, kKnownHeight = 840 - 318;

// The hand-worked mapping (u, v) -> (u, v) / (1 + u / 10): the 10 x 10 cm square shows as the
// quadrilateral (0,0) (5,0) (5,5) (0,10), and its centre (5,5) at (10/3, 10/3).
ConstructionClicks handWorked() {
    ConstructionClicks c;
    c.lines = {{{Point{0, 0}, Point{5, 0}},
                {Point{0, 10}, Point{5, 5}},
                {Point{0, 0}, Point{0, 10}},
                {Point{5, 0}, Point{5, 5}}}};
    c.width = c.height = 20;
    return test::withArea(c, 0, 0, 5, 10);
}

void expectNear(Point p, double x, double y) {
    EXPECT_NEAR(std::hypot(p.x - x, p.y - y), 0, 1e-12) << p.x << ", " << p.y;
}

// A wrong sign in the last row or corners taken in another turn put the centre elsewhere or
// mirror the result; each kind of impossible rectangle must be
// refused with its own reason rather than give a twisted image.
TEST(KnownMeasures, HandWorkedMappingAndItsRefusals) {
    const Result<KnownMeasuresFrame> f = knownMeasuresFrame(handWorked(), 10, 10);
    ASSERT_TRUE(f.ok()) << f.error();
    const Homography& h = f.value().rectangleToSource;
    expectNear(h.apply({10, 0}), 5, 0);
    expectNear(h.apply({0, 10}), 0, 10);
    expectNear(h.apply({5, 5}), 10.0 / 3, 10.0 / 3);

    // The area is the quadrilateral's own box: its image on the plane is the square with the
    // strip up to (0, 10) in the source, whose plane image runs from v = 0 to 10.
    const KnownMeasuresFrame& k = f.value();
    EXPECT_EQ(k.clipRight, 5);
    std::vector<double> sx(std::size_t(k.largOut)), sy(std::size_t(k.largOut));
    k.sourcePointsOfRow(k.altOut / 2, sx.data(), sy.data());
    const Point centre = k.outputToSource.apply({k.largOut / 2 + 0.5, k.altOut / 2 + 0.5});
    EXPECT_EQ(sx[std::size_t(k.largOut / 2)], centre.x);
    EXPECT_EQ(sy[std::size_t(k.largOut / 2)], centre.y);

    const auto refused = [](ConstructionClicks c, double w, double h) {
        const Result<KnownMeasuresFrame> r = knownMeasuresFrame(c, w, h);
        return r.ok() ? std::string("accepted") : r.error();
    };
    EXPECT_EQ(refused(handWorked(), 0, 10), degenerate::kMisureNonValide);
    ConstructionClicks parallel = handWorked();
    parallel.lines[3] = {Point{0, 0}, Point{5, 0.0}};  // a vertical line along the top one
    EXPECT_EQ(refused(parallel, 10, 10), degenerate::kRettangoloAperto);
    ConstructionClicks bowTie = handWorked();
    bowTie.lines[1] = {Point{0, -5}, Point{5, 5}};  // crosses the top line between the verticals
    EXPECT_EQ(refused(bowTie, 10, 10), degenerate::kRettangoloStorto);
    // The plane's vanishing line is u = -10, x = 10: an area reaching it has no image.
    const ConstructionClicks farArea = test::withArea(handWorked(), 0, 0, 12, 10);
    EXPECT_EQ(refused(farArea, 10, 10), degenerate::kAreaOltreOrizzonte);
}

// Either way of fixing what far vanishing points leave uncertain gives the facade's proportions,
// even on a level shot: the known rectangle's output corners, carried onto the facade by the
// true camera, make its proportions at the stated scale and within the stated sigmas;
// with the lens's true focal length the stated uncertainty falls (the principal distance and
// proportions it gives are held by RotationFit and the focal length's window test).
TEST(KnownMeasuresOrFocalLength, GiveTheFacadesProportionsAndSaySo) {
    EXPECT_FALSE(principalDistanceFrom35mm(0, 3600, 2400).ok());
    // A 36 x 24 mm frame scanned at 100 pixels a millimetre, told by a camera file in pixels an
    // inch, the unit a file that names none means: 50 mm; the camera's own 35 mm figure comes
    // first.
    CameraFacts facts;
    facts.focalLengthMm = 50;
    facts.pixelXDimension = 3600;
    facts.pixelYDimension = 2400;
    facts.focalPlaneXResolution = facts.focalPlaneYResolution = 2540;
    EXPECT_NEAR(equivalentFocal35(facts).value(), 50, 1e-9);
    facts.focalLength35mm = 28;
    EXPECT_EQ(equivalentFocal35(facts), 28.0);

    // A level shot, where the vertical vanishing point lies far away and the construction alone
    // is least sure, and a rolled one.
    for (const bool level : {true, false}) {
        SCOPED_TRACE(level ? "level" : "rolled");
        const PinholeCamera cam =
            (level ? facade::samples::level() : facade::samples::rolled()).camera;
        const ConstructionClicks clicks = *clicksFor(cam);
        const Result<KnownMeasuresFrame> f = knownMeasuresFrame(clicks, kKnownWidth, kKnownHeight);
        ASSERT_TRUE(f.ok()) << f.error();
        ASSERT_TRUE(f.value().largOut > 200 && f.value().altOut > 100);
        const auto [aspectError, scaleError] =
            test::knownMeasuresErrors(cam, f.value(), [](Point p) { return p; });
        const KnownMeasuresUncertainty u =
            knownMeasuresUncertainty(clicks, kKnownWidth, kKnownHeight);
        EXPECT_LT(std::fabs(aspectError), std::min(0.005, 3 * u.aspectSigma));
        EXPECT_LT(std::fabs(scaleError), std::min(0.005, 3 * u.scaleSigma));

        ConstructionClicks focal = clicks;
        focal.givenDistance = cam.focal;
        EXPECT_LT(proportionUncertainty(focal).aspectSigma, 0.01);
        if (level) {
            EXPECT_GT(proportionUncertainty(clicks).aspectSigma, 0.05);
        }
    }
}

// A length measured on the result against a reference pair, both clicked: over many clicks the
// spread of the measured length is the stated sigma (a missing sqrt(2), or the reference's part
// left out, is off by 30% or more); a result whose width:height is off stretches a vertical
// length measured against a horizontal reference by the stated aspect part.
TEST(LengthUncertainty, StatedSigmaIsTheSpreadOfClickedLengths) {
    // A result at 2 cm a pixel: a horizontal reference of about 60 pixels, a steep length of
    // about 330, each point anywhere in its pixel.
    const Point refA{100, 400}, refB{160, 400}, a{300, 100}, b{340, 430};
    const LengthUncertainty stated = measuredLength(refA, refB, 120, a, b, kMouseClickSigma, 0);
    std::mt19937_64 gen(3);
    const auto somewhere = [&](Point p) {
        return Point{p.x + double(gen() >> 11) * 0x1.0p-53, p.y + double(gen() >> 11) * 0x1.0p-53};
    };
    // Clicks are pixel edges: the true point is half a pixel on (see mouse()).
    const auto clicked = [](Point t) { return mouse({t.x + 0.5, t.y + 0.5}); };
    double sum = 0;
    const int n = 4000;
    for (int i = 0; i < n; ++i) {
        const Point ta = somewhere(refA), tb = somewhere(refB), tc = somewhere(a),
                    td = somewhere(b);
        const LengthUncertainty m = measuredLength(clicked(ta), clicked(tb), 2 * distance(ta, tb),
                                                   clicked(tc), clicked(td), 0, 0);
        const double error = m.length - 2 * distance(tc, td);
        sum += error * error;
    }
    EXPECT_NEAR(std::sqrt(sum / n) / stated.sigma, 1, 0.1);

    const double stretch = 0.02;  // columns 2% too wide
    const Point up{300, 100}, down{300, 500}, left{100, 600}, right{300, 600};
    const auto wide = [&](Point p) { return Point{p.x * (1 + stretch), p.y}; };
    const LengthUncertainty v =
        measuredLength(wide(left), wide(right), 200, wide(up), wide(down), 0, stretch);
    EXPECT_NEAR(std::fabs(v.length - 400) / v.aspectPart, 1, 0.05);

    // At a known scale of 2 cm a pixel, 1% unsure: 100 cm, of which 1 cm is the scale's part.
    const LengthUncertainty known = measuredLengthAtScale({0, 0}, {30, 40}, 2, 0, 0.01);
    EXPECT_TRUE(known.length == 100 && known.scalePart == 1) << known.scalePart;
}

}  // namespace
}  // namespace vesta
