#include <gtest/gtest.h>

#include "Fakes.h"
#include "construction/Grid.h"

namespace vesta {
namespace {

// A frame laid by hand: the area (100, 100)-(300, 300), its bottom side y = 300 through
// O = (100, 300) carrying the column points, Vv far above.
class GridTest : public test::AppTest {
  protected:
    void SetUp() override {
        s.setCorner(1, {100, 100});
        s.setCorner(2, {100, 300});
        s.setCorner(3, {300, 300});
        s.setCorner(4, {300, 100});
        Construction& c = s.construction.emplace();  // the measuring point po at (0, 0)
        c.frame.angoloX1 = c.frame.angoloY1 = c.frame.rif.x = 100;
        c.frame.angoloX2 = c.frame.angoloY2 = c.frame.rif.y = 300;
        c.fughe.vv = {200, -100000};
        columns(120);
    }
    void columns(int count) {
        Frame& f = s.construction->frame;
        f.largOut = count;
        f.divColonne.assign(std::size_t(count) + 1, DivisionPoint{});
        for (int c = 1; c <= count; ++c) {
            f.divColonne[std::size_t(c)] = {100.0 + c, 300};
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
};

// Every fiftieth column inside the area's red outline. At the edge, a column without a crossing
// of its own draws the previous one again; one that would divide by zero is skipped, and a frame
// too large for tables walks only what exists.
TEST_F(GridTest, EveryFiftiethColumnInsideTheRedOutlineAndTheEdgeRule) {
    griglia1(app.ctx);
    const auto& calls = app.picture1.calls;
    ASSERT_EQ(grey().size(), 3u) << "columns 1, 51 and 101";
    EXPECT_EQ(calls[0].figure, "box");
    EXPECT_EQ(calls[0].colour, colours::red);
    EXPECT_EQ(calls[0].at, (std::vector<float>{100, 100, 300, 300}));
    EXPECT_EQ(grey()[0][0], 101.0f);
    EXPECT_EQ(grey()[0][1], 300.0f);

    s.construction->frame.divColonne[51] = {500, 300};  // beyond the right edge
    app.picture1.calls.clear();
    griglia1(app.ctx);
    ASSERT_EQ(grey().size(), 3u);
    EXPECT_EQ(grey()[1], grey()[0]);

    s.construction->frame.divColonne[51] = {0, 300};  // same x as the measuring point
    s.construction->frame.divColonne[101] = {0, 0};   // the measuring point itself
    app.picture1.calls.clear();
    griglia1(app.ctx);
    EXPECT_EQ(grey().size(), 1u);

    columns(40000);
    s.construction->frame.divColonne.resize(1);
    app.picture1.calls.clear();
    griglia1(app.ctx);
    EXPECT_TRUE(grey().empty());
}

// Rows run from the measuring point of the vertical along the side toward Vv, each line toward
// Vh: here nearly level lines from the left edge x = 100 to the right edge x = 300.
TEST_F(GridTest, RowLinesCrossTheAreaFromSideToSideEveryFiftiethRow) {
    columns(0);
    Construction& c = *s.construction;
    c.frame.altOut = 160;  // rows 1, 51, 101 and 151
    c.frame.divRighe.assign(161, DivisionPoint{});
    for (int r = 1; r <= 160; ++r) {
        c.frame.divRighe[std::size_t(r)] = {100, 300.0 - r};
    }
    c.orientation.pv = {-100000, 0};
    c.frame.mVert = 1e9;
    c.fughe.vh = {100000, 200};
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
