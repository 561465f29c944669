// Further lines in the window: asked for from the Edit menu, fitted with the four, their
// residuals on the panel, a stray one flagged and taken away, Canc. taking back the last.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "construction/ExtraLines.h"
#include "geometry/Construction.h"
#include "state/Prompts.h"
#include "ui/Undo.h"

namespace vesta {
namespace {

class ExtraLinesTest : public test::AppTest {
  protected:
    void SetUp() override {
        app.ctx.decimalSeparator = ',';
        test::openBitmap(app, 800, 600);
        test::clickFourLines(app.ctx);
        four = *s.construction;
    }
    void horizontal(float x1, float y1, float x2, float y2) {
        altraRettaOrizz_Click(app.ctx);
        test::clickLine(app.ctx, x1, y1, x2, y2);
    }
    Construction four;
};

// The four lines meet toward (2281.8, 318.2): a further line through it changes little and
// strays by nothing; one 8 px off at its far end is flagged and can be taken away. Canc. takes
// back the further lines, the last first, and the four alone give their own construction to
// the bit: a line left in the fit, or residuals left on the panel, fail here.
TEST_F(ExtraLinesTest, FittedFlaggedTakenAwayAndTakenBack) {
    EXPECT_TRUE(f.altraRettaOrizz.enabled && f.altraRettaVert.enabled);
    EXPECT_FALSE(f.scarti.visible);
    altraRettaOrizz_Click(app.ctx);
    EXPECT_EQ(f.domanda1.caption, prompts::kAltraOrizz);
    test::click(app.ctx, 100, 300);
    // Canc. on the first end gives up that line only.
    CANC2(app.ctx);
    EXPECT_TRUE(s.extraLines.empty() && s.nRette == 4 && s.construction);

    horizontal(100, 300, 700, 305);
    ASSERT_EQ(s.residualsH.size(), 3u);
    EXPECT_LT(s.residualsH[2], 0.1);
    ASSERT_TRUE(s.construction);
    EXPECT_NEAR(s.construction->fughe.vh.x, four.fughe.vh.x, 30);
    EXPECT_TRUE(f.scarti.visible);
    EXPECT_EQ(f.scarti.caption.find("anomala"), std::string::npos) << f.scarti.caption;
    EXPECT_FALSE(f.togliRetta.enabled);

    horizontal(150, 200, 650, 236);
    ASSERT_EQ(s.residualsH.size(), 4u);
    EXPECT_NE(f.scarti.caption.find("retta orizz. 4 anomala"), std::string::npos)
        << f.scarti.caption;
    EXPECT_EQ(f.scarti.foreground, colours::red);
    EXPECT_NE(f.scarti.tooltip.find("(anomala)"), std::string::npos);
    ASSERT_TRUE(f.togliRetta.enabled);
    togliRetta_Click(app.ctx);
    EXPECT_EQ(s.extraLines.size(), 1u);
    EXPECT_EQ(f.scarti.caption.find("anomala"), std::string::npos);

    CANC2(app.ctx);
    EXPECT_TRUE(s.extraLines.empty() && s.residualsH.empty() && !f.scarti.visible);
    ASSERT_TRUE(s.construction);
    EXPECT_TRUE(s.construction->fughe.vh == four.fughe.vh &&
                s.construction->fughe.vv == four.fughe.vv);
    EXPECT_EQ(s.construction->aspect, four.aspect);
    // Then Canc. takes back the fourth line, as it always did.
    CANC2(app.ctx);
    EXPECT_EQ(s.nRette, 3);
}

// A stray line among the four is replaced by the last further line of its direction.
TEST_F(ExtraLinesTest, AStrayLineAmongTheFourGivesWayToAFurtherOne) {
    horizontal(100, 300, 700, 305);
    // The first line clicked 8 px off at its end.
    test::openBitmap(app, 800, 600);
    test::clickLine(app.ctx, 100, 100, 700, 168);
    test::clickLine(app.ctx, 100, 500, 700, 450);
    test::clickLine(app.ctx, 120, 520, 150, 80);
    test::clickLine(app.ctx, 680, 520, 650, 90);
    EXPECT_TRUE(s.extraLines.empty()) << "a new photograph has none";
    horizontal(100, 300, 700, 305);
    horizontal(150, 200, 650, 227.72f);
    horizontal(120, 400, 600, 400 - 480 * 81.82f / 2161.8f);
    EXPECT_NE(f.scarti.caption.find("retta orizz. 1 anomala"), std::string::npos)
        << f.scarti.caption << f.scarti.tooltip;
    togliRetta_Click(app.ctx);
    EXPECT_EQ(s.line(1).first, (Point{120, 400}));
    EXPECT_EQ(s.extraLines.size(), 2u);
    EXPECT_EQ(f.scarti.caption.find("anomala"), std::string::npos) << f.scarti.caption;
}

}  // namespace
}  // namespace vesta
