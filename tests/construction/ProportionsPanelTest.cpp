// The panel says how sure the proportions of the construction are, and what helps when they
// are not sure enough.
#include <gtest/gtest.h>

#include <algorithm>

#include "Fakes.h"
#include "construction/Commands.h"
#include "geometry/Uncertainty.h"
#include "sidecar/StateRecord.h"

namespace vesta {
namespace {

class ProportionsPanelTest : public test::AppTest {
  protected:
    void SetUp() override {
        app.ctx.decimalSeparator = ',';
        test::openBitmap(app, 800, 600);
    }
    void line(float x1, float y1, float x2, float y2) { test::clickLine(app.ctx, x1, y1, x2, y2); }
};

TEST_F(ProportionsPanelTest, ASureConstructionShowsItsFigureAnUnsureOneSaysWhatHelpsOnThePanel) {
    test::clickFourLines(app.ctx);
    const std::string& shown = app.ctx.form.incertezza.caption;
    ASSERT_EQ(shown.rfind("±", 0), 0u) << shown;
    EXPECT_NE(shown.find(','), std::string::npos) << "the user's decimal separator";
    EXPECT_EQ(app.ctx.form.incertezza.tooltip.find("Aiutano"), std::string::npos);

    // Short lines that meet far away: a pixel more or less moves them a great deal.
    test::openBitmap(app, 800, 600);
    line(300, 200, 340, 202);
    line(300, 400, 340, 399);
    line(200, 300, 203, 260);
    line(600, 300, 598, 260);
    EXPECT_TRUE(app.ctx.form.RADDRIZZA.enabled) << "a warning, never a refusal";
    EXPECT_TRUE(app.ctx.s.aspectIndeterminate || app.ctx.s.aspectSigma > 0.02)
        << app.ctx.s.aspectSigma;
    EXPECT_EQ(app.ctx.form.incertezza.foreground, colours::red);
    // Told on the panel, never in a box that would stop the road.
    EXPECT_TRUE(app.dialogs.messages.empty());
    EXPECT_NE(app.ctx.form.incertezza.tooltip.find("Misure note"), std::string::npos);
    GRANDEZZA_SpinUp(app.ctx);
    EXPECT_TRUE(app.dialogs.messages.empty());
    EXPECT_NE(app.ctx.form.incertezza.tooltip.find("Misure note"), std::string::npos);
}

// A click is as sure as a pixel of the view it was made on. Lines clicked on the fit view of a
// photograph four times the window's size state four times the 1:1 figure, which stays exactly
// today's; the batch tool's one sigma for every click gives the same figures; a view clicked
// only in part at 1:4 lies between.
TEST_F(ProportionsPanelTest, EachLineEndIsAsSureAsAPixelOfItsView) {
    const auto figure = [&](double firstLines, double lastLines) {
        test::openBitmap(app, 800, 600);
        f.viewScale = firstLines;
        line(100, 100, 700, 160);
        line(100, 500, 700, 450);
        f.viewScale = lastLines;
        line(120, 520, 150, 80);
        line(680, 520, 650, 90);
        return s.aspectSigma;
    };
    const auto oneSigma = [&](double sigma) {
        ConstructionClicks clicks = ConstructionClicks::from(s);
        clicks.setClickSigma(sigma);
        return proportionUncertainty(clicks).aspectSigma;
    };
    const double plain = figure(1, 1);
    EXPECT_EQ(plain, oneSigma(0.28867513459481287));
    const double reduced = figure(0.25, 0.25);
    EXPECT_EQ(reduced, oneSigma(4 * 0.28867513459481287));
    EXPECT_NEAR(reduced / plain, 4, 0.4);
    const double part = figure(1, 0.25);
    EXPECT_TRUE(plain < part && part < reduced) << part;

    // Restored at 1:1, a kept construction's ends keep the view they were clicked on.
    ConstructionRecord kept = recordOf(s).value();
    kept.area = {1, 1, 799, 599};
    test::openBitmap(app, 800, 600);
    f.viewScale = 1;
    restoreConstruction(app.ctx, kept);
    EXPECT_EQ(s.aspectSigma, part);
    app.ctx.clickSigma = 0.5;
    EXPECT_EQ(figure(0.25, 0.25), oneSigma(0.5)) << "one sigma given for all wins";
}

}  // namespace
}  // namespace vesta
