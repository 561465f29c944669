#include <gtest/gtest.h>

#include "Fakes.h"
#include "geometry/Grid.h"

namespace vesta {
namespace {

// A frame laid by hand: the area (100, 100)-(300, 300), its bottom side y = 300 through
// O = (100, 300) carrying the column points, Vv far above.
class GridTest : public test::AppTest {
  protected:
    void SetUp() override {
        const double area[5][2] = {{0, 0}, {100, 100}, {100, 300}, {300, 300}, {300, 100}};
        for (int k = 1; k <= 4; ++k) {
            s.areaCalcolo[k][1] = area[k][0];
            s.areaCalcolo[k][2] = area[k][1];
        }
        s.construction.emplace();
        s.construction->frame.angoloX1 = s.construction->frame.angoloY1 =
            s.construction->frame.rif.x = 100;
        s.construction->frame.angoloX2 = s.construction->frame.angoloY2 =
            s.construction->frame.rif.y = 300;
        s.construction->frame.mOrizz = s.construction->orientation.po.x =
            s.construction->orientation.po.y = 0;
        s.construction->fughe.vv.x = 200;
        s.construction->fughe.vv.y = -100000;
        columns(120);
    }
    void columns(int count) {
        s.construction->frame.largOut = count;
        s.construction->frame.divColonne.assign(std::size_t(count) + 1, DivisionPoint{});
        for (int c = 1; c <= count; ++c) {
            s.construction->frame.divColonne[std::size_t(c)] = {100.0 + c, 300};
        }
    }
    // The grid's own lines, in grey.
    std::vector<std::vector<float>> grey() const {
        std::vector<std::vector<float>> lines;
        for (const auto& call : app.picture1.calls) {
            if (call.figure == "line" && call.colour == Rgb{128, 128, 128}) {
                lines.push_back(call.at);
            }
        }
        return lines;
    }
    int greyLines() const { return int(grey().size()); }
};

TEST_F(GridTest, EveryFiftiethColumnIsDrawnInsideTheRedOutline) {
    griglia1(app.ctx);
    const auto& calls = app.picture1.calls;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].figure, "box");
    EXPECT_EQ(calls[0].colour, colours::red);
    EXPECT_EQ(calls[0].at, (std::vector<float>{100, 100, 300, 300}));
    EXPECT_EQ(greyLines(), 3) << "columns 1, 51 and 101";
    EXPECT_EQ(calls[1].at[0], 101.0f);
    EXPECT_EQ(calls[1].at[1], 300.0f);
}

TEST_F(GridTest, NoColumnsForAnEmptyFrameAndALineWithoutCrossingsRepeatsThePrevious) {
    columns(0);
    griglia1(app.ctx);
    EXPECT_EQ(greyLines(), 0);
    columns(120);
    s.construction->frame.divColonne[51] = {500,
                                            300};  // beyond the right edge: no crossing of its own
    app.picture1.calls.clear();
    griglia1(app.ctx);
    // Its places in the crossing table still hold column 1's points, drawn again.
    EXPECT_EQ(greyLines(), 3);
    EXPECT_EQ(app.picture1.calls[2].at, app.picture1.calls[1].at);
}

TEST_F(GridTest, ALineThatWouldDivideByZeroIsSkipped) {
    s.construction->frame.divColonne[51] = {0, 300};  // same x as the measuring point
    s.construction->frame.divColonne[101] = {0, 0};   // the measuring point itself
    griglia1(app.ctx);
    EXPECT_EQ(greyLines(), 1);
    columns(40000);  // a frame too large for tables: only what exists is walked
    s.construction->frame.divColonne.resize(1);
    app.picture1.calls.clear();
    griglia1(app.ctx);
    EXPECT_EQ(greyLines(), 0);
}

// Rows run from the measuring point of the vertical along the side toward Vv, each line toward
// Vh: here nearly level lines from the left edge x = 100 to the right edge x = 300.
TEST_F(GridTest, RowLinesCrossTheAreaFromSideToSideEveryFiftiethRow) {
    columns(0);
    s.construction->frame.altOut = 160;  // rows 1, 51, 101 and 151
    s.construction->frame.divRighe.assign(161, DivisionPoint{});
    for (int r = 1; r <= 160; ++r) {
        s.construction->frame.divRighe[std::size_t(r)] = {100, 300.0 - r};
    }
    s.construction->orientation.pv.x = -100000, s.construction->orientation.pv.y = 0,
    s.construction->frame.mVert = 1e9;
    s.construction->fughe.vh.x = 100000, s.construction->fughe.vh.y = 200;
    griglia1(app.ctx);
    const auto rows = grey();
    ASSERT_EQ(rows.size(), 4u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const float y = 300.0f - float(1 + 50 * i);
        EXPECT_EQ(rows[i][0], 300.0f) << "from the right edge";
        EXPECT_NEAR(rows[i][1], y, 0.25);
        EXPECT_EQ(rows[i][2], 100.0f) << "to the left edge";
        EXPECT_NEAR(rows[i][3], y, 1e-3);
    }
}

}  // namespace
}  // namespace vesta
