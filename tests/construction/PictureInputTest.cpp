#include <gtest/gtest.h>

#include "Fakes.h"
#include "construction/Commands.h"
#include "construction/PictureInput.h"
#include "state/Prompts.h"
#include "ui/Startup.h"

namespace vesta {
namespace {

class PictureInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Form_Load(app.ctx, test::screen1024x768());
        app.ctx.decimalSeparator = ',';
        s.larghezzaPic1 = 800;
        s.altezzaPic1 = 600;
        s.centroX = 400;
        s.centroY = 300;
    }
    void click(float x, float y) {
        PICTURE1_MouseDown(app.ctx, x, y);
        Picture1_MouseUp(app.ctx, x, y);
    }
    void line(float x1, float y1, float x2, float y2) {
        click(x1, y1);
        click(x2, y2);
    }
    test::FakeApp app;
    WorkingState& s = app.ctx.s;
    FormModel& f = app.ctx.form;
};

TEST_F(PictureInputTest, EachLineShowsItsAngleAndThePromptForTheNext) {
    line(100, 200, 300, 200);
    EXPECT_EQ(f.Text6[1].caption, "0");
    EXPECT_EQ(f.domanda1.caption, prompts::kSecondaOrizz);
    EXPECT_TRUE(f.cancella.enabled);
    line(100, 200, 200, 100);
    EXPECT_EQ(f.Text6[2].caption, "-45") << "-45.00000000000004 to 15 digits";
    EXPECT_EQ(f.domanda1.caption, prompts::kPrimaVert);
    line(0, 0, 2, 1);
    EXPECT_EQ(f.Text6[3].caption, "26,565051177078") << "the user's decimal separator";
    EXPECT_EQ(f.domanda1.caption, prompts::kSecondaVert);
    EXPECT_EQ(f.tfuvx.caption, "2");
    EXPECT_EQ(s.rette[3][3], 2);
    EXPECT_EQ(s.nRette, 3);
}

TEST_F(PictureInputTest, AVerticalLineShows90AndKeepsTheSlope) {
    line(10, 20, 30, 40);
    const double before = s.pendenza;
    line(150, 50, 150, 400);
    EXPECT_EQ(f.Text6[2].caption, "90");
    EXPECT_EQ(s.pendenza, before);
}

TEST_F(PictureInputTest, TheFourthLineRunsTheVanishingPointsOnRelease) {
    line(100, 100, 700, 160);
    line(100, 500, 700, 450);
    line(120, 520, 150, 80);
    PICTURE1_MouseDown(app.ctx, 680, 520);
    PICTURE1_MouseDown(app.ctx, 650, 90);
    EXPECT_EQ(f.domanda1.caption, prompts::kFughe);
    EXPECT_FALSE(f.RETTANG.enabled);
    Picture1_MouseUp(app.ctx, 650, 90);
    EXPECT_NE(s.fughe->vv.y, 0) << "FUGHE ran";
    EXPECT_TRUE(f.RETTANG.enabled) << "the overlay enabled the next steps";
    // With four lines a further click stores nothing.
    const double stored = s.rette[4][1];
    click(5, 5);
    EXPECT_EQ(s.nRette, 4);
    EXPECT_EQ(s.rette[4][1], stored);
}

TEST_F(PictureInputTest, AreaCornersAreNormalisedWhicheverWayTheDiagonalRuns) {
    RETTANG3(app.ctx);
    click(300, 250);
    click(100, 50);
    const double expected[5][2] = {{0, 0}, {100, 50}, {100, 250}, {300, 250}, {300, 50}};
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(s.areaCalcolo[k][1], expected[k][0]) << k;
        EXPECT_EQ(s.areaCalcolo[k][2], expected[k][1]) << k;
    }
    EXPECT_EQ(f.tfuvx.caption, "100");
    EXPECT_EQ(f.tfuvy.caption, "50");
    EXPECT_EQ(app.picture1.calls.back().at, (std::vector<float>{100, 50, 300, 250}));
    EXPECT_FALSE(f.RADDRIZZA.enabled) << "an area without lines is nothing to rectify";
    EXPECT_EQ(s.modoClick, ClickMode::AreaCorner) << "a further pair defines a new area";
}

TEST_F(PictureInputTest, APrincipalPointClickDrawsTheCyanCrossAndGoesBackToLines) {
    line(100, 200, 300, 200);
    line(100, 300, 300, 310);
    s.modoClick = ClickMode::PrincipalPoint;
    app.picture1.calls.clear();
    click(40, 10);
    EXPECT_EQ(s.centroX, 40);
    EXPECT_EQ(s.centroY, 10);
    EXPECT_EQ(s.modoClick, ClickMode::LineEnd);
    EXPECT_EQ(f.domanda1.caption, prompts::kDueRetteVert);
    EXPECT_EQ(app.picture1.calls.back().at, (std::vector<float>{40, 10, 4}));
    EXPECT_EQ(app.picture1.calls.back().colour, colours::lightCyan);
}

}  // namespace
}  // namespace vesta
