// The lens's bend taken out by the batch tool, given or fitted to lines of many points, on
// photographs rendered from known cameras and then bent by a barrel lens, with the clicks a
// mouse gives on the bent picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "../construction/BentFacade.h"
#include "BatchRuns.h"
#include "FacadeRuns.h"
#include "geometry/LensFit.h"
#include "geometry/RadialLens.h"

namespace vesta {
namespace {

using namespace facade;

constexpr double kBarrel = 0.05;

// The photograph of `scene` bent by k1, written in `dir`, and the lines a user clicks on it, each
// also given by five points along its bent picture.
BatchRequest bentRequest(const FacadeScene& scene, double k1, const test::TempDir& dir,
                         const std::string& name) {
    BatchRequest r = test::requestOn(test::bentPicture(renderFacade(scene), k1), dir, name);
    const std::optional<ConstructionClicks> exact = test::clicksFor(scene.camera, false);
    EXPECT_TRUE(exact) << name;
    const RadialLens lens = RadialLens::ofPhotograph(k1, scene.camera.width, scene.camera.height);
    // The renderer's point is half a pixel on from the clicks' coordinates; the mouse gives the
    // pixel the bent point falls in.
    const auto clicked = [&](double x, double y) {
        const Point d = lens.distorted({x - 0.5, y - 0.5}).value();
        return Click{float(std::round(d.x)), float(std::round(d.y))};
    };
    for (std::size_t i = 0; exact && i < 8; ++i) {
        const Point p = exact->lines[i / 2][i % 2];
        r.lines[i / 2][i % 2] = clicked(p.x, p.y);
    }
    std::size_t k = 0;
    for (const char* edge : {"cornice-bottom", "string-course-top", "left", "right"}) {
        const ReferenceEdge e = referenceEdge(standardFacade(), edge);
        for (const double t : {0.04, 0.27, 0.5, 0.73, 0.96}) {
            const ImagePoint p = projectFacadePoint(
                scene.camera,
                {e.from.u + t * (e.to.u - e.from.u), e.from.v + t * (e.to.v - e.from.v)});
            r.linePoints[k].push_back(clicked(p.x, p.y));
        }
        ++k;
    }
    return r;
}

// A barrel bend of k1 = 0.05 taken out of the clicks: the proportions come true (a whole pixel of
// flooring aside): within 0.3% with the coefficient given, the lines given by two points or by five
// along their bent picture; within 0.5% with it fitted to the five points a line.
TEST(LensCli, TheBendGivenOrFittedGivesTrueProportions) {
    test::TempDir dir;
    for (const FacadeScene& scene : test::facadeScenes()) {
        const PinholeCamera& cam = scene.camera;
        SCOPED_TRACE(testing::Message() << cam.width << " x " << cam.height << ", yaw " << cam.yaw
                                        << ", roll " << cam.roll);
        BatchRequest givenFive = bentRequest(scene, kBarrel, dir, "curva");
        BatchRequest fit = givenFive;
        givenFive.lensK1 = kBarrel;
        BatchRequest givenTwo = givenFive;
        givenTwo.linePoints = {};
        fit.lensFit = true;
        // The run's width:height off the facade's, in %, held within `tolerance` and a pixel;
        // `k1` the coefficient it took out.
        double k1 = 0;
        const auto offBy = [&](const BatchRequest& request, double tolerance) {
            const BatchResult done = runBatch(request, dir.path().string());
            EXPECT_TRUE(done.ok) << done.message;
            if (!done.ok) {
                return double(NAN);
            }
            const Frame& f = done.state.construction->frame;
            const double off = test::aspectError(cam, done);
            EXPECT_LT(std::fabs(off), tolerance + 1 / std::min(f.largOut, f.altOut))
                << f.largOut << " x " << f.altOut;
            k1 = done.state.lensK1.value_or(0);
            return 100 * off;
        };
        const double offTwo = offBy(givenTwo, 0.003), offFive = offBy(givenFive, 0.003),
                     offFit = offBy(fit, 0.005);
        std::printf(
            "%d x %d: width:height %+.3f%% off with --lens 0.05 (%+.3f%% five points a "
            "line), %+.3f%% with k1 %.4f fitted\n",
            cam.width, cam.height, offTwo, offFive, offFit, k1);
    }
}

// Without a lens a line of five points runs from its first to its last, to the bytes of those
// two. A fitted lens is kept as a fit with its coefficient and every point, and --from makes
// the same bytes again. With no line of three points the fit is refused, as are a point short
// of a pair and edges sought on a photograph whose bend is to be fitted.
TEST(LensCli, FittedLensAndPointsAreKeptAndReplayed) {
    test::TempDir dir;
    const BatchRequest five = bentRequest(samples::centred(), kBarrel, dir, "punti");
    BatchRequest two = five;
    two.linePoints = {};
    two.output = (dir / "due.bmp").string();
    ASSERT_TRUE(runBatch(five, dir.path().string()).ok && runBatch(two, dir.path().string()).ok);
    EXPECT_EQ(test::readBytes(five.output), test::readBytes(two.output));

    BatchRequest fit = five;
    fit.lensFit = true;
    fit.output = (dir / "adattata.bmp").string();
    const BatchResult done = runBatch(fit, dir.path().string());
    ASSERT_TRUE(done.ok) << done.message;
    EXPECT_NE(describe(done.state, true).find("\"lens_fit_rms_px\": "), std::string::npos);
    const ConstructionRecord record = recordOf(done.state).value();
    ASSERT_EQ(record.linePoints[2].size(), 5u);
    EXPECT_NE(constructionJson(record).find("\"fit\""), std::string::npos);
    test::replayed(done, fit.output, dir, "di-nuovo");

    two.lensFit = true;
    const BatchResult refused = runBatch(two, dir.path().string());
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, kLensFitNoPoints);
}

}  // namespace
}  // namespace vesta
