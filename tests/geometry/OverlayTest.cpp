#include <gtest/gtest.h>

#include <cmath>

#include "Fakes.h"
#include "geometry/Degenerate.h"
#include "geometry/Lines.h"
#include "geometry/Overlay.h"
#include "ui/Startup.h"

namespace vesta {
namespace {

// The rolled sample: its true vanishing points, the principal point at the centre, focal
// length 640 pixels.
class OverlayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Form_Load(app.ctx, test::screen1024x768());
        s.larghezzaPic1 = 800;
        s.altezzaPic1 = 600;
        s.centroX = 400;
        s.centroY = 300;
        s.fugaOrizzX = -838.0;
        s.fugaOrizzY = 285.1;
        s.fugaVertX = 766.9;
        s.fugaVertY = -2688.5;
        s.construction = ConstructionStage::VanishingPoints;  // as FUGHE leaves it
    }
    std::vector<std::string> figures() const {
        std::vector<std::string> out;
        for (const auto& c : app.picture1.calls) {
            out.push_back(c.figure);
        }
        return out;
    }
    test::FakeApp app;
    WorkingState& s = app.ctx.s;
    FormModel& f = app.ctx.form;
};

TEST_F(OverlayTest, ThePrincipalDistanceIsTheCamerasFocalLength) {
    ASSERT_TRUE(CERCHIONUOVO(app.ctx));
    const Point p{400, 300};
    const double pvv = distance(p, {s.fugaVertX, s.fugaVertY});
    const double pf = distance(p, {s.piedeX, s.piedeY});
    EXPECT_NEAR(s.distanzaPrinc, std::sqrt(pvv * pf), 1e-9 * s.distanzaPrinc);
    EXPECT_NEAR(s.distanzaPrinc, 640, 1.0);
    EXPECT_DOUBLE_EQ(s.mOrizzonte, -1 / s.mCentro);
    EXPECT_EQ(s.pendenza, (s.fugaOrizzY - 300) / (s.fugaOrizzX - 400)) << "scratch slope of P-Vh";
}

TEST_F(OverlayTest, DrawsTheConstructionInItsOrderAndColours) {
    ASSERT_TRUE(CERCHIONUOVO(app.ctx));
    const std::vector<std::string> expected = {"line",   "circle", "line",   "circle",
                                               "circle", "line",   "circle", "line",
                                               "circle", "circle", "circle"};
    EXPECT_EQ(figures(), expected);
    const auto& c = app.picture1.calls;
    EXPECT_EQ(c[0].colour, colours::blue);  // P to the eye point
    EXPECT_EQ(c[1].colour, colours::red);
    EXPECT_EQ(c[3].at[2],
              float(distance({s.fugaVertX, s.fugaVertY}, {s.puntoDistX, s.puntoDistY})));
    EXPECT_EQ(c[10].colour, colours::darkCyan);  // the vertical measuring point
    EXPECT_EQ(c[10].at, (std::vector<float>{float(s.pvx), float(s.pvy), 4}));
}

TEST_F(OverlayTest, FarPointsAreNotDrawnButStillComputed) {
    ASSERT_TRUE(CERCHIONUOVO(app.ctx));
    const auto near = figures();
    app.picture1.calls.clear();
    // Beyond 10000 the line F-Vh goes, and with it the circle through E (radius beyond 10000);
    // the lines of the foot point stay.
    s.fugaOrizzX = -15000;
    ASSERT_TRUE(CERCHIONUOVO(app.ctx));
    const auto far = figures();
    EXPECT_EQ(std::count(far.begin(), far.end(), "line"), 3);
    EXPECT_EQ(std::count(far.begin(), far.end(), "circle"),
              std::count(near.begin(), near.end(), "circle") - 1);
    EXPECT_LT(s.fugaOrizzX - s.pox, 0) << "computed all the same";
}

TEST_F(OverlayTest, TextsShowFloorValuesUntilAnAreaExists) {
    ASSERT_TRUE(CERCHIONUOVO(app.ctx));
    EXPECT_EQ(f.Text6[1].caption,
              "pox" + std::string(s.pox < 0 ? "" : " ") + std::to_string(long(std::floor(s.pox))));
    EXPECT_EQ(f.Text6[4].caption, "DIS " + std::to_string(long(std::floor(s.distanzaPrinc))));
    EXPECT_EQ(f.tfuox.caption, " " + std::to_string(long(s.largOut)) + " x");
    EXPECT_EQ(f.tfuox.tooltip, "Dimensione in X dell'immagine raddrizzata");
    EXPECT_TRUE(f.RETTANG.enabled && f.GRIGLIA.enabled && f.RADDRIZZA.enabled);
    EXPECT_TRUE(f.area.enabled && f.griglia2.enabled && f.centro1.enabled && f.start.enabled);
    f.Text6[1].caption = "kept";
    s.nAree = 1;
    ASSERT_TRUE(CERCHIONUOVO(app.ctx));
    EXPECT_EQ(f.Text6[1].caption, "kept");
}

class DegenerateOverlayTest : public OverlayTest {
  protected:
    void SetUp() override {
        OverlayTest::SetUp();
        ASSERT_TRUE(CERCHIONUOVO(app.ctx));
        before = s;
        app.picture1.calls.clear();
        f.area.enabled = false;
    }
    void expectNothingChanged() {
        EXPECT_TRUE(app.picture1.calls.empty());
        EXPECT_EQ(s.largOut, before.largOut);
        EXPECT_EQ(s.altOut, before.altOut);
        EXPECT_EQ(s.pox, before.pox);
        EXPECT_EQ(s.divColonne, before.divColonne);
        EXPECT_EQ(s.mOrizzonte, before.mOrizzonte);
        EXPECT_FALSE(f.area.enabled);
        ASSERT_EQ(app.dialogs.messages.size(), 1u);
        EXPECT_EQ(app.dialogs.messages[0].title, degenerate::kTitle);
        EXPECT_EQ(f.domanda1.caption, "Impossibile raddrizzare");
    }
    WorkingState before;
};

// A level camera puts the vertical vanishing point straight above the principal point; a few
// bits of difference must not pass for a slope.
TEST_F(DegenerateOverlayTest, APrincipalPointBelowTheVanishingPointIsRefused) {
    s.centroX = s.fugaVertX * (1 + 1e-15);
    EXPECT_FALSE(CERCHIONUOVO(app.ctx));
    expectNothingChanged();
    EXPECT_EQ(app.dialogs.messages[0].text, degenerate::kCentroAllineato);
}

TEST_F(DegenerateOverlayTest, APrincipalPointBeyondTheHorizonMissesTheCircle) {
    s.centroY = 2000;
    EXPECT_FALSE(CERCHIONUOVO(app.ctx));
    expectNothingChanged();
    EXPECT_EQ(app.dialogs.messages[0].text, degenerate::kCerchioMancato);
}

TEST_F(DegenerateOverlayTest, APrincipalPointLevelWithTheHorizontalVanishingPoint) {
    s.centroY = s.fugaOrizzY;
    EXPECT_FALSE(CERCHIONUOVO(app.ctx));
    expectNothingChanged();
}

}  // namespace
}  // namespace vesta
