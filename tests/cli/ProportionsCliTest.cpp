// The batch tool says how sure the proportions of its result are, on photographs rendered from
// known cameras with the clicks floored to whole pixels as a mouse gives them.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "../geometry/FacadeClicks.h"
#include "BitmapBytes.h"
#include "cli/BatchRun.h"
#include "cli/RecordReplay.h"
#include "geometry/FocalLength.h"
#include "image/BitmapFile.h"
#include "sidecar/StateRecord.h"

namespace vesta {
namespace {

using namespace facade;

// The photograph of `scene` in `dir`, with the four lines a user clicks on it.
BatchRequest requestFor(const FacadeScene& scene, const test::TempDir& dir,
                        const std::string& name) {
    BatchRequest r;
    r.input = (dir / (name + ".bmp")).string();
    r.output = (dir / (name + "-out.bmp")).string();
    const IndexedImage image = renderFacade(scene);
    EXPECT_TRUE(writeBitmapFile(r.input, classicHeader(image.width, image.height), image));
    const std::optional<ConstructionClicks> clicks = test::clicksFor(scene.camera);
    EXPECT_TRUE(clicks) << name;
    for (std::size_t k = 0; clicks && k < 4; ++k) {
        for (std::size_t end = 0; end < 2; ++end) {
            const Point p = clicks->lines[k][end];
            r.lines[k][end] = {float(p.x), float(p.y)};
        }
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

// The focal length given as its 35 mm equivalent is the construction's principal distance.
TEST(ProportionsCli, TheFocalLengthGivenIsThePrincipalDistance) {
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
