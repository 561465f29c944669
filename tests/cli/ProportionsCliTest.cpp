// The batch tool says how sure the proportions of its result are, on photographs rendered from
// known cameras with the clicks floored to whole pixels as a mouse gives them.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <string>

#include "../geometry/FacadeClicks.h"
#include "BitmapBytes.h"
#include "cli/BatchRun.h"
#include "cli/RecordReplay.h"
#include "construction/KnownMeasuresCommand.h"
#include "geometry/FocalLength.h"
#include "image/BitmapFile.h"
#include "image/OpenImage.h"
#include "measure/Measuring.h"
#include "rectify/KnownMeasuresRectification.h"
#include "rectify/Rectification.h"
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
    for (std::size_t i = 0; clicks && i < 8; ++i) {
        const Point p = clicks->lines[i / 2][i % 2];
        r.lines[i / 2][i % 2] = {float(p.x), float(p.y)};
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
    const FacadeScene level = test::levelScene();

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
    EXPECT_TRUE(sure > 0 && sure < 0.02 && unsure > 5 * sure && unsure > 0.02)
        << sure << " " << unsure;
    // Clicks ten times surer give a figure about ten times smaller.
    const double finer = sigmaOf(tilted, "tilted-fine", 0.028867513459481287);
    EXPECT_NEAR(finer / sure, 0.1, 0.03);

    const ParsedArgs bad = parseArgs({"a.bmp", "b.bmp", "--click-sigma", "-1"});
    EXPECT_FALSE(bad.request.has_value());
}

// The focal length given as its 35 mm equivalent is the construction's principal distance, and
// part of the kept construction: replayed, it gives the very bytes again, where the distance
// the lines alone give would make another image.
TEST(ProportionsCli, AGivenFocalLengthIsThePrincipalDistanceAndReplaysToTheSameBytes) {
    test::TempDir dir;
    const FacadeScene level = test::levelScene();
    BatchRequest r = requestFor(level, dir, "level");
    r.focal35 =
        level.camera.focal * kDiagonal35mm / std::hypot(level.camera.width, level.camera.height);
    const BatchResult done = runBatch(r, dir.path().string());
    ASSERT_TRUE(done.ok) << done.message;
    EXPECT_NEAR(done.state.construction->orientation.distanzaPrinc, level.camera.focal, 1e-6);
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

// The rectangle the four clicked lines bound: cornice bottom to string-course top, edge to edge.
constexpr std::array<double, 2> kRectangleCm{1200, 840 - 318};

// With the rectangle's true measures the result's proportions and scale are the facade's,
// whether the vanishing points lie near, far or nowhere (a frontal level camera: both pairs of
// lines parallel, the construction refused). The window's command, answered in the core,
// writes the same bytes as the batch tool, and measuring then needs no reference pair.
TEST(KnownMeasuresCli, TrueProportionsAndScaleOnEveryCamera) {
    test::TempDir dir;
    const FacadeScene level = test::levelScene();
    FacadeScene frontal = samples::centred();
    frontal.camera.yaw = 0;
    frontal.camera.pitch = 0;
    frontal.camera.position = {600, 450, 1300};
    for (const auto& [name, scene] : {std::pair{"level", level}, std::pair{"frontal", frontal}}) {
        BatchRequest r = requestFor(scene, dir, name);
        r.known = kRectangleCm;
        const BatchResult done = runBatch(r, dir.path().string());
        ASSERT_TRUE(done.ok) << name << ": " << done.message;
        const Result<SourceBitmap> out = readSourceBitmap(r.output);
        ASSERT_TRUE(out.ok()) << name;
        const int w = out.value().image.width, h = out.value().image.height;
        // The output's corners on the facade, through the mapping the result was sampled with.
        const Result<KnownMeasuresFrame> frame = knownMeasuresFrameOf(done.state);
        ASSERT_TRUE(frame.ok()) << name;
        ASSERT_TRUE(frame.value().largOut == w && frame.value().altOut == h) << name;
        const auto facadeAt = [&](double x, double y) {
            const Point p = frame.value().outputToSource.apply({x, y});
            return imageToFacade(scene.camera, {p.x + 0.5, p.y + 0.5}).value_or(FacadePoint{});
        };
        const FacadePoint o = facadeAt(0, 0), across = facadeAt(w, 0), down = facadeAt(0, h);
        const double width = std::hypot(across.u - o.u, across.v - o.v);
        const double height = std::hypot(down.u - o.u, down.v - o.v);
        EXPECT_NEAR((double(w) / h) / (width / height), 1, 0.005) << name;
        const std::string json = describe(done.state, true);
        const std::size_t at = json.find("\"cm_per_pixel\": ");
        ASSERT_NE(at, std::string::npos) << json;
        EXPECT_NEAR(std::stod(json.substr(at + 16)) * w / width, 1, 0.005) << name;
    }

    // The window's command on the level photograph, answered as a user answers it.
    BatchRequest r = requestFor(level, dir, "window");
    r.known = kRectangleCm;
    const BatchResult batch = runBatch(r, dir.path().string());
    ASSERT_TRUE(batch.ok) << batch.message;
    test::FakeApp app;
    Context& ctx = app.ctx;
    Form_Load(ctx, test::screen1024x768());
    app.dialogs.openAnswers = {r.input};
    open_Click(ctx);
    for (const auto& line : r.lines) {
        for (const Click& c : line) {
            test::click(ctx, c.x, c.y);
        }
    }
    ASSERT_TRUE(ctx.form.MISURENOTE.enabled);
    // Cancel at the height, then a measure that is no number: nothing changes.
    const std::size_t shown = app.dialogs.messages.size();
    app.dialogs.inputs = {"1200", std::nullopt, "1200", "zero"};
    misureNote_Click(ctx);
    misureNote_Click(ctx);
    EXPECT_TRUE(!ctx.s.misureNote.has_value() && ctx.s.raddrAvviato == 0);
    ASSERT_EQ(app.dialogs.messages.size(), shown + 1);
    app.dialogs.inputs = {"1200", "522,0"};
    misureNote_Click(ctx);
    ASSERT_EQ(ctx.s.raddrAvviato, 1);
    EXPECT_EQ(test::readBytes(ctx.paths.scratchFile()), test::readBytes(r.output));

    // Measuring: the result's full width is the facade's width it shows, asked nothing.
    const std::size_t asked = app.dialogs.prompts.size();
    RADDR1(ctx);
    const float right = float(ctx.s.largRaddr);
    Picture2_MouseDown(ctx, 0, 10);
    Picture2_MouseDown(ctx, right, 10);
    EXPECT_EQ(app.dialogs.prompts.size(), asked);
    EXPECT_NEAR(ctx.s.misuraReale, batch.state.scalaNota * right, 1e-9);
    EXPECT_NE(ctx.form.incertezzaMisura.caption.find("scala ±"), std::string::npos);
}

}  // namespace
}  // namespace vesta
