// The batch tool says how sure the proportions of its result are, on photographs rendered from
// known cameras with the clicks floored to whole pixels as a mouse gives them.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "BitmapBytes.h"
#include "cli/BatchRun.h"
#include "facade/FacadeRenderer.h"
#include "geometry/Construction.h"
#include "geometry/FocalLength.h"
#include "image/BitmapFile.h"

namespace vesta {
namespace {

using namespace facade;

Click mouse(ImagePoint p) {
    return {float(std::floor(p.x)), float(std::floor(p.y))};
}

// The photograph of `scene` in `dir`, with the four lines a user clicks on it: cornice bottom,
// string-course top and the facade's two edges, a little inside their ends.
BatchRequest requestFor(const FacadeScene& scene, const test::TempDir& dir,
                        const std::string& name) {
    BatchRequest r;
    r.input = (dir / (name + ".bmp")).string();
    r.output = (dir / (name + "-out.bmp")).string();
    const IndexedImage image = renderFacade(scene);
    EXPECT_TRUE(writeBitmapFile(r.input, classicHeader(image.width, image.height), image));
    int k = 0;
    for (const char* edge : {"cornice-bottom", "string-course-top", "left", "right"}) {
        const ReferenceEdge e = referenceEdge(scene.facade, edge);
        int end = 0;
        for (double t : {0.06, 0.94}) {
            const ImagePoint p = projectFacadePoint(
                scene.camera,
                {e.from.u + t * (e.to.u - e.from.u), e.from.v + t * (e.to.v - e.from.v)});
            EXPECT_TRUE(p.x >= 0 && p.x < scene.camera.width && p.y >= 0 &&
                        p.y < scene.camera.height)
                << name << " " << edge;
            r.lines[k][end++] = mouse(p);
        }
        ++k;
    }
    return r;
}

std::optional<double> printed(const std::string& text, const std::string& name) {
    const std::size_t at = text.find(name + ": ");
    if (at == std::string::npos) {
        return std::nullopt;
    }
    const std::string value = text.substr(at + name.size() + 2, text.find('\n', at) - at);
    if (value.rfind("indeterminato", 0) == 0) {
        return INFINITY;
    }
    return std::stod(value);
}

TEST(ProportionsCli, ALevelCameraIsUnsureAndATiltedOneIsSure) {
    test::TempDir dir;
    // Seen from the side and looking up: both vanishing points near enough.
    const FacadeScene tilted = samples::centred();
    // The same place, level: the vertical vanishing point lies far away.
    FacadeScene level = samples::centred();
    level.camera.pitch = 0.5;
    level.camera.position.y = 450;

    const auto sigmaOf = [&](const FacadeScene& scene, const std::string& name,
                             std::optional<double> clickSigma) {
        BatchRequest r = requestFor(scene, dir, name);
        r.clickSigma = clickSigma;
        const BatchResult done = runBatch(r, dir.path().string());
        EXPECT_TRUE(done.ok) << name << ": " << done.message;
        const std::string text = describe(done.state, false);
        EXPECT_TRUE(printed(text, "distance_sigma").has_value()) << text;
        return printed(text, "aspect_sigma").value_or(-1);
    };
    const double sure = sigmaOf(tilted, "tilted", std::nullopt);
    const double unsure = sigmaOf(level, "level", std::nullopt);
    EXPECT_GT(sure, 0);
    EXPECT_LT(sure, 0.02);
    EXPECT_GT(unsure, 0.02);
    EXPECT_GT(unsure, 5 * sure);
    // Clicks ten times surer give a figure about ten times smaller.
    const double finer = sigmaOf(tilted, "tilted-fine", 0.028867513459481287);
    EXPECT_NEAR(finer / sure, 0.1, 0.03);

    const ParsedArgs bad = parseArgs({"a.bmp", "b.bmp", "--click-sigma", "-1"});
    EXPECT_FALSE(bad.request.has_value());
}

// With the true focal length given, a level camera's proportions come out true: the result's
// width:height against that of the part of the facade it shows.
TEST(ProportionsCli, TheTrueFocalLengthMakesALevelCameraTrue) {
    test::TempDir dir;
    FacadeScene level = samples::centred();
    level.camera.pitch = 0.5;
    level.camera.position.y = 450;
    BatchRequest r = requestFor(level, dir, "level");
    const double diagonal = std::hypot(level.camera.width, level.camera.height);
    r.focal35 = level.camera.focal * kDiagonal35mm / diagonal;
    const BatchResult done = runBatch(r, dir.path().string());
    ASSERT_TRUE(done.ok) << done.message;
    EXPECT_NEAR(done.state.construction->orientation.distanzaPrinc, level.camera.focal, 1e-6);

    ConstructionClicks clicks = ConstructionClicks::from(done.state);
    clicks.givenDistance = done.state.construction->orientation.distanzaPrinc;
    const Result<Construction> c = construction(clicks);
    ASSERT_TRUE(c.ok());
    const std::optional<ShownCorners> shown = shownCorners(c.value());
    ASSERT_TRUE(shown.has_value());
    // A click names a pixel by its corner; the renderer's pixel centre lies half a pixel on.
    const auto facadeAt = [&](Point p) {
        return imageToFacade(level.camera, {p.x + 0.5, p.y + 0.5}).value_or(FacadePoint{});
    };
    const FacadePoint o = facadeAt(shown->o), w = facadeAt(shown->widthEnd),
                      h = facadeAt(shown->heightEnd);
    const double truth = std::hypot(w.u - o.u, w.v - o.v) / std::hypot(h.u - o.u, h.v - o.v);
    EXPECT_NEAR(c.value().aspect / truth, 1, 0.01);
    EXPECT_NEAR(
        done.state.construction->frame.largOut / done.state.construction->frame.altOut / truth, 1,
        0.01);
}

}  // namespace
}  // namespace vesta
