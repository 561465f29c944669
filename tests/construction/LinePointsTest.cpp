// Points along the lines standing (Altri punti sulla retta): a click joins the nearest line,
// which then runs through all its points; Canc. takes the last back; a new lens and the record
// keep them.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "construction/LensCommands.h"
#include "construction/LensCorrection.h"
#include "construction/LinePoints.h"
#include "geometry/LensFit.h"
#include "sidecar/StateRecord.h"
#include "ui/Undo.h"

namespace vesta {
namespace {

class LinePointsTest : public test::AppTest {
  protected:
    LinePointsTest() {
        test::openBitmap(app, 800, 600);
        test::clickFourLines(app.ctx);
    }
    // Line 1 runs from (100, 100) to (700, 160): y = 130 at x = 400.
    const ClickedLine first{{100, 100}, {700, 160}};
    const ClickedLine third{{120, 520}, {150, 80}};
};

// Only once asked for does a click join a line, and only within reach of one; the line then runs
// through its points (the clicked ends among them, in order along it) and the vanishing points
// follow it. Canc. takes the points back, last first, to the very lines clicked, then a line as
// ever; a line holds no more points than a record keeps.
TEST_F(LinePointsTest, AClickJoinsTheNearestLineAndCancTakesItBack) {
    const VanishingPoints clicked = s.fughe.value();
    altriPunti_Click(app.ctx);
    test::click(app.ctx, 400, 300);
    EXPECT_TRUE(s.pointsAlong.empty()) << "far from every line";

    test::click(app.ctx, 400, 136);
    ASSERT_EQ(s.pointsAlong.size(), 1u);
    const std::vector<Point> points{{100, 100}, {400, 136}, {700, 160}};
    EXPECT_EQ(s.pointsAlong[0].points, points);
    const std::array<Point, 2> fitted = endsOnFittedLine(points);
    EXPECT_NEAR(s.clickedLine(1).first.y, fitted[0].y, 1e-4);
    EXPECT_NEAR(s.clickedLine(1).second.x, fitted[1].x, 1e-4);
    ASSERT_TRUE(s.fughe);
    EXPECT_NE(s.fughe->vh.x, clicked.vh.x);
    test::click(app.ctx, 138, 300);
    ASSERT_EQ(s.pointsAlong.size(), 2u);
    EXPECT_EQ(s.pointsAlong[1].points[1], (Point{138, 300}));

    CANC2(app.ctx);
    EXPECT_EQ(s.pointsAlong.size(), 1u);
    EXPECT_EQ(s.clickedLine(3), third);
    CANC2(app.ctx);
    EXPECT_TRUE(s.pointsAlong.empty());
    EXPECT_EQ(s.clickedLine(1), first);
    ASSERT_TRUE(s.fughe);
    EXPECT_EQ(s.fughe->vh.x, clicked.vh.x);
    CANC2(app.ctx);
    EXPECT_EQ(s.nRette, 3);
    EXPECT_FALSE(s.pointsAlongAsked);

    test::clickLine(app.ctx, 680, 520, 650, 90);
    altriPunti_Click(app.ctx);
    for (int i = 0; i < 100; ++i) {
        test::click(app.ctx, float(110 + 5 * i), float(101 + 0.5 * i));
    }
    EXPECT_EQ(s.pointsAlong.at(0).points.size(), 100u);
}

// A new coefficient moves the points with the clicks and the line through them; Canc. still
// finds the last one. The record keeps them, and replayed they give the same construction.
TEST_F(LinePointsTest, TheLensAndTheRecordKeepThePoints) {
    altriPunti_Click(app.ctx);
    test::click(app.ctx, 400, 133);
    test::click(app.ctx, 250, 117);
    app.dialogs.inputs.push_back("0,05");
    distorsioneK1_Click(app.ctx);
    ASSERT_EQ(s.pointsAlong.size(), 1u);
    ASSERT_EQ(s.pointsAlong[0].points.size(), 4u);
    const RadialLens lens = RadialLens::ofPhotograph(0.05, 800, 600);
    EXPECT_EQ(s.pointsAlong[0].points[2], asClick(lens.undistorted({400, 133})));
    EXPECT_EQ(s.clickedLine(1), s.pointsAlong[0].line);
    ASSERT_TRUE(s.construction);

    const ConstructionRecord record = recordOf(s, std::nullopt).value();
    const VanishingPoints made = s.fughe.value();
    test::openBitmap(app, 800, 600);
    restoreConstruction(app.ctx, record);
    ASSERT_EQ(s.pointsAlong.size(), 1u);
    EXPECT_EQ(s.pointsAlong[0].points.size(), 4u);
    EXPECT_EQ(s.fughe.value().vh.x, made.vh.x);

    test::openBitmap(app, 800, 600);
    app.dialogs.inputs.push_back("0,05");
    distorsioneK1_Click(app.ctx);
    test::clickFourLines(app.ctx);
    altriPunti_Click(app.ctx);
    const ClickedLine taken = s.clickedLine(1);
    test::click(app.ctx, 400, 132);
    app.dialogs.inputs.push_back("0,04");
    distorsioneK1_Click(app.ctx);
    CANC2(app.ctx);
    EXPECT_TRUE(s.pointsAlong.empty());
    EXPECT_EQ(s.nRette, 4);
    app.dialogs.inputs.push_back("0,05");
    distorsioneK1_Click(app.ctx);
    EXPECT_NEAR(s.clickedLine(1).first.x, taken.first.x, 1e-3);
}

}  // namespace
}  // namespace vesta
