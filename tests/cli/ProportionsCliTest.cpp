// The batch tool says how sure the proportions of its result are, on photographs rendered from
// known cameras with the clicks floored to whole pixels as a mouse gives them.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "BitmapBytes.h"
#include "cli/BatchRun.h"
#include "cli/RecordReplay.h"
#include "facade/FacadeRenderer.h"
#include "geometry/Construction.h"
#include "geometry/FocalLength.h"
#include "image/BitmapFile.h"
#include "sidecar/StateRecord.h"

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
    EXPECT_NEAR(done.state.distanzaPrinc, level.camera.focal, 1e-6);

    ConstructionClicks clicks = ConstructionClicks::from(done.state);
    clicks.givenDistance = done.state.distanzaPrinc;
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
    EXPECT_NEAR(done.state.largOut / done.state.altOut / truth, 1, 0.01);
}

// The focal length is part of the kept construction: replayed, it gives the very bytes again,
// where the distance the lines alone give would make another image.
TEST(ProportionsCli, AKeptFocalLengthReplaysToTheSameBytes) {
    test::TempDir dir;
    FacadeScene level = samples::centred();
    level.camera.pitch = 0.5;
    level.camera.position.y = 450;
    BatchRequest r = requestFor(level, dir, "level");
    r.focal35 = 31.5;
    const BatchResult done = runBatch(r, dir.path().string());
    ASSERT_TRUE(done.ok) << done.message;
    const Result<ConstructionRecord> record = recordOf(done.state, r.focal35);
    ASSERT_TRUE(record.ok()) << record.error();
    const std::string json = constructionJson(record.value());
    test::writeBytes(dir / "level.json", std::vector<std::uint8_t>(json.begin(), json.end()));

    const ParsedArgs args =
        parseArgs({(dir / "again.bmp").string(), "--from", (dir / "level.json").string()});
    ASSERT_TRUE(args.request.has_value()) << args.error;
    const Result<BatchRequest> replay = requestFromRecord(*args.from, *args.request);
    ASSERT_TRUE(replay.ok()) << replay.error();
    const BatchResult again = runBatch(replay.value(), dir.path().string());
    ASSERT_TRUE(again.ok) << again.message;
    EXPECT_EQ(test::readBytes(dir / "again.bmp"), test::readBytes(r.output));
    EXPECT_TRUE(parseArgs({"b.bmp", "--from", "a.json", "--focal35", "28"}).request.has_value());

    // A bitmap declares no focal length to take.
    r.focal35.reset();
    r.focal35FromExif = true;
    const BatchResult refused = runBatch(r, dir.path().string());
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.message.find("non dichiara"), std::string::npos) << refused.message;
}

}  // namespace
}  // namespace vesta
