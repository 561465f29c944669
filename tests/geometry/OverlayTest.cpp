#include <gtest/gtest.h>

#include <algorithm>
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
        s.fughe.emplace();  // as FUGHE leaves them
        s.fughe->vh.x = -838.0;
        s.fughe->vh.y = 285.1;
        s.fughe->vv.x = 766.9;
        s.fughe->vv.y = -2688.5;
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
    EXPECT_NEAR(s.construction->orientation.distanzaPrinc, 640, 1.0);
}

// Points thousands of pixels away would be drawn as lines across the whole screen.
TEST_F(OverlayTest, AnEyePointBeyondTenThousandPixelsIsNotDrawn) {
    const auto touches = [&](double x, double y) {
        return std::any_of(app.picture1.calls.begin(), app.picture1.calls.end(), [&](auto& c) {
            return (c.at.size() == 4 && c.at[2] == float(x) && c.at[3] == float(y)) ||
                   (c.at.size() == 3 && c.at[0] == float(x) && c.at[1] == float(y));
        });
    };
    ASSERT_TRUE(CERCHIONUOVO(app.ctx));
    EXPECT_TRUE(
        touches(s.construction->orientation.puntoDist.x, s.construction->orientation.puntoDist.y))
        << "the line P-D and D's circle";
    app.picture1.calls.clear();
    // Vv a thousand times as far along the same line from P: a lens of some 20000 pixels, so D
    // lies far off the photograph.
    s.fughe->vv.x = 400 + 366.9e3;
    s.fughe->vv.y = 300 - 2988.5e3;
    ASSERT_TRUE(CERCHIONUOVO(app.ctx));
    ASSERT_GE(std::max(std::abs(s.construction->orientation.puntoDist.x),
                       std::abs(s.construction->orientation.puntoDist.y)),
              10000);
    EXPECT_FALSE(
        touches(s.construction->orientation.puntoDist.x, s.construction->orientation.puntoDist.y));
}

TEST_F(OverlayTest, FarPointsAreNotDrawnButStillComputed) {
    ASSERT_TRUE(CERCHIONUOVO(app.ctx));
    const auto near = figures();
    app.picture1.calls.clear();
    // Beyond 10000 the line F-Vh goes, and with it the circle through E (radius beyond 10000);
    // the lines of the foot point stay.
    s.fughe->vh.x = -15000;
    ASSERT_TRUE(CERCHIONUOVO(app.ctx));
    const auto far = figures();
    EXPECT_EQ(std::count(far.begin(), far.end(), "line"), 3);
    EXPECT_EQ(std::count(far.begin(), far.end(), "circle"),
              std::count(near.begin(), near.end(), "circle") - 1);
    EXPECT_LT(s.fughe->vh.x - s.construction->orientation.po.x, 0) << "computed all the same";
}

TEST_F(OverlayTest, TextsShowFloorValuesUntilAnAreaExists) {
    ASSERT_TRUE(CERCHIONUOVO(app.ctx));
    EXPECT_EQ(f.Text6[1].caption.substr(0, 3), "pox");
    EXPECT_EQ(f.Text6[4].caption,
              "DIS " + std::to_string(long(std::floor(s.construction->orientation.distanzaPrinc))));
    EXPECT_TRUE(f.RETTANG.enabled && f.GRIGLIA.enabled && f.RADDRIZZA.enabled);
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
        EXPECT_FALSE(s.construction) << "nothing stands to rectify";
        ASSERT_TRUE(s.fughe);
        EXPECT_EQ(s.fughe->vh.x, before.fughe->vh.x);
        EXPECT_EQ(s.fughe->vv.y, before.fughe->vv.y);
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
    s.centroX = s.fughe->vv.x * (1 + 1e-15);
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
    s.centroY = s.fughe->vh.y;
    EXPECT_FALSE(CERCHIONUOVO(app.ctx));
    expectNothingChanged();
}

}  // namespace
}  // namespace vesta
