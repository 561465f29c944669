#include <gtest/gtest.h>

#include <array>

#include "Fakes.h"
#include "construction/Commands.h"
#include "construction/PictureInput.h"
#include "state/Prompts.h"
#include "ui/Undo.h"

namespace vesta {
namespace {

using test::click;
using test::clickLine;

class PictureInputTest : public test::AppTest {
  protected:
    void SetUp() override {
        app.ctx.decimalSeparator = ',';
        s.larghezzaPic1 = 800;
        s.altezzaPic1 = 600;
        s.centroX = 400;
        s.centroY = 300;
    }
    Context& ctx = app.ctx;
};

// Each line shows its angle and the prompt for the next; a principal point clicked between
// them moves the centre and goes back to the lines.
TEST_F(PictureInputTest, EachLineShowsItsAngleAndThePromptForTheNext) {
    clickLine(ctx, 100, 200, 300, 200);
    EXPECT_EQ(f.Text6[1].caption, "0");
    EXPECT_EQ(f.domanda1.caption, prompts::kSecondaOrizz);
    clickLine(ctx, 100, 200, 200, 100);
    EXPECT_EQ(f.Text6[2].caption, "-45") << "-45.00000000000004 to 15 digits";
    EXPECT_EQ(f.domanda1.caption, prompts::kPrimaVert);
    centro1_Click(ctx);
    click(ctx, 40, 10);
    EXPECT_EQ((Point{s.centroX, s.centroY}), (Point{40, 10}));
    EXPECT_EQ(f.domanda1.caption, prompts::kDueRetteVert);
    const double slope = s.pendenza;
    clickLine(ctx, 150, 50, 150, 400);
    EXPECT_EQ(f.Text6[3].caption, "90");
    EXPECT_EQ(s.pendenza, slope) << "a vertical line keeps the last slope";
    CANC2(ctx);
    clickLine(ctx, 0, 0, 2, 1);
    EXPECT_EQ(f.Text6[3].caption, "26,57") << "to the hundredth, the user's separator";
    EXPECT_EQ(f.domanda1.caption, prompts::kSecondaVert);
    EXPECT_EQ(s.nRette, 3);
}

// The fourth line runs the vanishing points on release; then an area's corners are normalised
// whichever way its diagonal runs.
TEST_F(PictureInputTest, TheFourthLineRunsTheVanishingPointsOnReleaseAndTheAreaFollows) {
    clickLine(ctx, 100, 100, 700, 160);
    clickLine(ctx, 100, 500, 700, 450);
    clickLine(ctx, 120, 520, 150, 80);
    PICTURE1_MouseDown(ctx, 680, 520);
    PICTURE1_MouseDown(ctx, 650, 90);
    EXPECT_EQ(f.domanda1.caption, prompts::kFughe);
    EXPECT_FALSE(f.RETTANG.enabled);
    Picture1_MouseUp(ctx, 650, 90);
    EXPECT_NE(s.fughe->vv.y, 0) << "FUGHE ran";
    // With four lines a further click stores nothing.
    const Point stored = s.line(4).first;
    click(ctx, 5, 5);
    EXPECT_EQ(s.nRette, 4);
    EXPECT_EQ(s.line(4).first, stored);

    RETTANG3(ctx);
    click(ctx, 300, 250);
    click(ctx, 100, 50);
    EXPECT_EQ((std::array{s.corner(1), s.corner(2), s.corner(3), s.corner(4)}),
              (std::array<Point, 4>{{{100, 50}, {100, 250}, {300, 250}, {300, 50}}}));
    EXPECT_EQ(s.modoClick, ClickMode::AreaCorner) << "a further pair defines a new area";
}

// The size factor is built by repeated addition, as the output size depends on those very bits.
TEST_F(PictureInputTest, SizeStepsAccumulateTheirRoundingWithinOneToOnePointNine) {
    // Steps up, and the factor after them: the tenth would pass 2.0 and is held at 1.9.
    for (const auto& [steps, factor] : {std::pair{9, 1.9000000000000008}, {1, 1.9}}) {
        for (int i = 0; i < steps; ++i) {
            GRANDEZZA_SpinUp(ctx);
        }
        EXPECT_EQ(s.grandezza, factor) << steps;
    }
    EXPECT_EQ(f.Text3.caption, "1,9") << "the user's decimal separator";
    for (int i = 0; i < 11; ++i) {
        GRANDEZZA_SpinDown(ctx);
    }
    EXPECT_EQ(s.grandezza, 1.0);
    EXPECT_EQ(f.Text3.caption, "1");
}

}  // namespace
}  // namespace vesta
