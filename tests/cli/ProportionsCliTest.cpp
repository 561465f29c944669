// The batch tool by known measures, on photographs rendered from known cameras with the clicks
// floored to whole pixels as a mouse gives them.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "FacadeRuns.h"
#include "measure/Measuring.h"
#include "opening/OpenImage.h"
#include "rectify/KnownMeasuresCommand.h"
#include "rectify/Rectification.h"
#include "sidecar/StateRecord.h"
#include "ui/Undo.h"

namespace vesta {
namespace {

using namespace facade;

// A window loaded on a 1024 x 768 screen with the photograph of `r` open.
void openIn(test::FakeApp& app, const BatchRequest& r) {
    Form_Load(app.ctx, test::screen1024x768());
    app.dialogs.openAnswers = {r.input};
    open_Click(app.ctx);
}

// The rectangle the four clicked lines bound: cornice bottom to string-course top, edge to edge.
constexpr std::array<double, 2> kRectangleCm{1200, 840 - 318};

// With the rectangle's true measures the batch tool rectifies even where both pairs of lines are
// parallel (a frontal level camera: no construction). The window's command, answered in the core,
// writes the same bytes as the batch tool, and measuring then needs no reference pair.
TEST(KnownMeasuresCli, RectifiedWithoutAConstructionAndTheWindowWritesTheSameBytes) {
    test::TempDir dir;
    FacadeScene frontal = samples::centred();
    frontal.camera.yaw = 0;
    frontal.camera.pitch = 0;
    frontal.camera.position = {600, 450, 1300};
    // Its photograph, with the four lines a user clicks on it.
    BatchRequest f = test::requestOn(renderFacade(frontal), dir, "frontal");
    const ConstructionClicks clicks = test::clicksFor(frontal.camera).value();
    for (std::size_t i = 0; i < 8; ++i) {
        const Point p = clicks.lines[i / 2][i % 2];
        f.lines[i / 2][i % 2] = {float(p.x), float(p.y)};
    }
    f.known = kRectangleCm;
    const BatchResult done = runBatch(f, dir.path().string());
    ASSERT_TRUE(done.ok) << done.message;

    // Its kept record, restored in the window: the measures offer Raddrizza with no
    // construction; a line given again takes them away.
    const Result<ConstructionRecord> kept = recordOf(done.state);
    ASSERT_TRUE(kept.ok() && kept.value().knownMeasures);
    for (const bool redrawLine : {false, true}) {
        test::FakeApp app;
        openIn(app, f);
        restoreConstruction(app.ctx, kept.value());
        ASSERT_TRUE(!app.ctx.s.construction && app.ctx.form.RADDRIZZA.enabled);
        if (redrawLine) {
            CANC2(app.ctx);
            const auto& l = kept.value().lines[3];
            test::clickLine(app.ctx, float(l[0]), float(l[1]), float(l[2]), float(l[3]));
            EXPECT_FALSE(app.ctx.s.misureNote || app.ctx.form.RADDRIZZA.enabled);
        } else {
            RADDR1(app.ctx);
            EXPECT_EQ(test::readBytes(app.ctx.paths.scratchFile()), test::readBytes(f.output));
        }
    }

    // The window's command on the same photograph, answered as a user answers it.
    test::FakeApp app;
    Context& ctx = app.ctx;
    openIn(app, f);
    for (const auto& line : f.lines) {
        test::clickLine(ctx, line[0].x, line[0].y, line[1].x, line[1].y);
    }
    ASSERT_TRUE(ctx.form.MISURENOTE.enabled);
    app.dialogs.inputs = {"1200", "522,0"};
    misureNote_Click(ctx);
    ASSERT_EQ(ctx.s.raddrAvviato, 1);
    EXPECT_EQ(test::readBytes(ctx.paths.scratchFile()), test::readBytes(f.output));

    // Measuring: the result's full width is the facade's width it shows, asked nothing.
    const std::size_t asked = app.dialogs.prompts.size();
    RADDR1(ctx);
    const float right = float(ctx.s.largRaddr);
    Picture2_MouseDown(ctx, 0, 10);
    Picture2_MouseDown(ctx, right, 10);
    EXPECT_EQ(app.dialogs.prompts.size(), asked);
    EXPECT_NEAR(ctx.s.misuraReale, done.state.scalaNota * right, 1e-9);
    EXPECT_NE(ctx.form.incertezzaMisura.caption.find("scala ±"), std::string::npos);
}

}  // namespace
}  // namespace vesta
