// The lens's bend taken out by the batch tool, given or fitted to lines of many points, on
// photographs rendered from known cameras and then bent by a barrel lens, with the clicks a
// mouse gives on the bent picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "../geometry/FacadeClicks.h"
#include "BitmapBytes.h"
#include "cli/BatchRun.h"
#include "geometry/LensFit.h"
#include "geometry/RadialLens.h"
#include "image/BitmapFile.h"
#include "sidecar/ConstructionFile.h"
#include "sidecar/StateRecord.h"

namespace vesta {
namespace {

using namespace facade;

constexpr double kBarrel = 0.05;

// The picture a lens of coefficient k1 makes of `straight`: each pixel shows what the straight
// picture shows at its undistorted point.
IndexedImage bent(const IndexedImage& straight, double k1) {
    const RadialLens lens = RadialLens::ofPhotograph(k1, straight.width, straight.height);
    IndexedImage out = straight;
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const Point u = lens.undistorted({double(x), double(y)});
            const int ux = int(std::lround(u.x)), uy = int(std::lround(u.y));
            const bool inside = ux >= 0 && uy >= 0 && ux < out.width && uy < out.height;
            out.pixels[std::size_t(y) * std::size_t(out.width) + std::size_t(x)] =
                inside ? straight.row(uy)[ux] : 0;
        }
    }
    return out;
}

// The photograph of `scene` bent by k1, written in `dir`, and the lines a user clicks on it;
// with `five`, each line also given by five points along its bent picture.
BatchRequest bentRequest(const FacadeScene& scene, double k1, const test::TempDir& dir,
                         const std::string& name, bool five = false) {
    BatchRequest r;
    r.input = (dir / (name + ".bmp")).string();
    r.output = (dir / (name + "-out.bmp")).string();
    const IndexedImage image = bent(renderFacade(scene), k1);
    EXPECT_TRUE(writeBitmapFile(r.input, classicHeader(image.width, image.height), image));
    const std::optional<ConstructionClicks> exact = test::clicksFor(scene.camera, false);
    EXPECT_TRUE(exact) << name;
    const RadialLens lens = RadialLens::ofPhotograph(k1, image.width, image.height);
    for (std::size_t i = 0; exact && i < 8; ++i) {
        // The renderer's point is half a pixel on from the clicks' coordinates; the mouse gives
        // the pixel the bent point falls in.
        const Point p = exact->lines[i / 2][i % 2];
        const Point d = lens.distorted({p.x - 0.5, p.y - 0.5}).value();
        r.lines[i / 2][i % 2] = {float(std::round(d.x)), float(std::round(d.y))};
    }
    std::size_t k = 0;
    for (const char* edge : {"cornice-bottom", "string-course-top", "left", "right"}) {
        const ReferenceEdge e = referenceEdge(standardFacade(), edge);
        for (const double t : {0.04, 0.27, 0.5, 0.73, 0.96}) {
            const ImagePoint p = projectFacadePoint(
                scene.camera,
                {e.from.u + t * (e.to.u - e.from.u), e.from.v + t * (e.to.v - e.from.v)});
            const Point d = lens.distorted({p.x - 0.5, p.y - 0.5}).value();
            if (five) {
                r.linePoints[k].push_back({float(std::round(d.x)), float(std::round(d.y))});
            }
        }
        ++k;
    }
    return r;
}

// Width over height of the result against that of the part of the facade it shows.
double aspectError(const PinholeCamera& cam, const BatchResult& done) {
    const Construction& c = *done.state.construction;
    return c.frame.largOut / c.frame.altOut / test::shownAspect(cam, c) - 1;
}

// A barrel bend of k1 = 0.05 puts the proportions of a construction from the bent lines off;
// with the same coefficient given, the clicks are taken out of the bend: the proportions
// within 0.3% (a whole pixel of flooring aside).
TEST(LensCli, TheBendTakenOutGivesTrueProportions) {
    test::TempDir dir;
    std::vector<FacadeScene> scenes = {samples::centred(), samples::rolled()};
    for (const auto& [yaw, pitch, roll] : {std::array<double, 3>{30, 20, 0}, {-24, 12, -3}}) {
        scenes.push_back({standardFacade(), test::aimedCamera(yaw, pitch, roll, 700, 450).value()});
    }
    for (const FacadeScene& scene : scenes) {
        const PinholeCamera& cam = scene.camera;
        SCOPED_TRACE(testing::Message() << cam.width << " x " << cam.height << ", yaw " << cam.yaw
                                        << ", roll " << cam.roll);
        const BatchRequest kept = bentRequest(scene, kBarrel, dir, "curva");
        BatchRequest corrected = kept;
        corrected.output = (dir / "corretta.bmp").string();
        corrected.lensK1 = kBarrel;
        const BatchResult k = runBatch(kept, dir.path().string());
        const BatchResult c = runBatch(corrected, dir.path().string());
        ASSERT_TRUE(k.ok && c.ok) << k.message << c.message;
        const Frame& f = c.state.construction->frame;
        const double bentOff = aspectError(cam, k), off = aspectError(cam, c);
        EXPECT_LT(std::fabs(off), 0.003 + 1 / std::min(f.largOut, f.altOut))
            << f.largOut << " x " << f.altOut;
        std::printf("%d x %d: width:height %+.3f%% off bent, %+.3f%% with --lens\n", cam.width,
                    cam.height, 100 * bentOff, 100 * off);
    }
}

// Each line given by five points along its bent picture, as the measure of the fit: the fitted
// coefficient gives the proportions within 0.5%, the true one given within 0.3%.
TEST(LensCli, FiveBentPointsALineFitTheBend) {
    test::TempDir dir;
    std::vector<FacadeScene> scenes = {samples::centred(), samples::rolled()};
    for (const auto& [yaw, pitch, roll] : {std::array<double, 3>{30, 20, 0}, {-24, 12, -3}}) {
        scenes.push_back({standardFacade(), test::aimedCamera(yaw, pitch, roll, 700, 450).value()});
    }
    for (const FacadeScene& scene : scenes) {
        const PinholeCamera& cam = scene.camera;
        SCOPED_TRACE(testing::Message() << cam.width << " x " << cam.height << ", yaw " << cam.yaw);
        BatchRequest fit = bentRequest(scene, kBarrel, dir, "cinque", true);
        BatchRequest given = fit;
        fit.lensFit = true;
        given.lensK1 = kBarrel;
        given.output = (dir / "data.bmp").string();
        const BatchResult f = runBatch(fit, dir.path().string());
        const BatchResult g = runBatch(given, dir.path().string());
        ASSERT_TRUE(f.ok && g.ok) << f.message << g.message;
        const Frame& frame = f.state.construction->frame;
        const double pixel = 1 / std::min(frame.largOut, frame.altOut);
        EXPECT_LT(std::fabs(aspectError(cam, f)), 0.005 + pixel);
        EXPECT_LT(std::fabs(aspectError(cam, g)), 0.003 + pixel);
        std::printf(
            "%d x %d: k1 %.4f fitted (%.2f px rms), width:height %+.3f%% off; %+.3f%% "
            "with --lens 0.05\n",
            cam.width, cam.height, *f.state.lensK1, *f.state.lensFitRms, 100 * aspectError(cam, f),
            100 * aspectError(cam, g));
    }
}

// Without a lens a line of five points runs from its first to its last, to the bytes of those
// two. A fitted lens is kept as a fit with its coefficient and every point, and --from makes
// the same bytes again. With no line of three points the fit is refused, as are a point short
// of a pair and edges sought on a photograph whose bend is to be fitted.
TEST(LensCli, FittedLensAndPointsAreKeptAndReplayed) {
    test::TempDir dir;
    const BatchRequest five = bentRequest(samples::centred(), kBarrel, dir, "punti", true);
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
    const std::string text = constructionJson(record);
    EXPECT_NE(text.find("\"fit\""), std::string::npos) << text;
    const ConstructionRecord read = parseConstructionJson(text).value();
    EXPECT_EQ(read.linePoints, record.linePoints);
    EXPECT_EQ(read.lensFitRms, record.lensFitRms);
    test::writeBytes(dir / "c.json", std::vector<std::uint8_t>(text.begin(), text.end()));
    const std::string again = (dir / "di-nuovo.bmp").string();
    const std::string command = std::string(VESTA_RECTIFY) + " " + again + " --from " +
                                (dir / "c.json").string() + " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(test::readBytes(again), test::readBytes(fit.output));

    two.lensFit = true;
    const BatchResult refused = runBatch(two, dir.path().string());
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, kLensFitNoPoints);
    const auto parsed = [](std::vector<std::string> more) {
        more.insert(more.begin(),
                    {"in.bmp", "out.bmp", "--h2", "0,9,9,9", "--v1", "0,0,0,9", "--v2", "9,0,9,9"});
        return parseArgs(more);
    };
    const ParsedArgs p = parsed({"--h1", "1,2,3,4,5,6", "--lens", "fit"});
    ASSERT_TRUE(p.request) << p.error;
    EXPECT_TRUE(p.request->lensFit);
    EXPECT_EQ(p.request->linePoints[0].size(), 3u);
    EXPECT_EQ(p.request->lines[0][1].x, 5);
    EXPECT_EQ(parsed({"--h1", "1,2,3,4,5"}).error, "--h1 vuole X1,Y1,X2,Y2");
    EXPECT_EQ(parsed({"--h1", "1,2,3,4", "--lens", "fit", "--snap"}).error,
              "--snap non si combina con --lens");
}

}  // namespace
}  // namespace vesta
