// The rectification frame, its interior orientation worked by hand, and the grid drawn on it.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "Fakes.h"
#include "construction/Grid.h"
#include "geometry/Frame.h"

namespace vesta {
namespace {

// The rolled sample's construction, with no area: the frame spans the image.
FrameInputs rolledSample() {
    FrameInputs in;
    in.vh = {-838.0, 285.1};
    in.vv = {766.9, -2688.5};
    in.orientation = interiorOrientation(in.vh, in.vv, {400, 300}).value();
    in.width = 800;
    in.height = 600;
    return in;
}

// Without an area the frame grows from the image's corners one pixel in. When the far corner
// toward Vh is carried onto the side at the height of the horizontal measuring point, the
// projecting line would run parallel to nothing it can meet: slope 1 is taken instead, so the
// frame still has a width.
TEST(Frame, WithoutAnAreaTheImagesCornersAndAHorizontalProjectionTakesSlopeOne) {
    FrameInputs in = rolledSample();
    const Frame plain = rectificationFrame(in).value();  // Vv above, Vh left
    EXPECT_EQ(std::vector<double>({plain.angoloX1, plain.angoloY1, plain.angoloX2,
                                   double(plain.angoloY2), double(plain.casoFughe)}),
              std::vector<double>({799, 599, 1, 1, 4}));
    // Q2 is where the line from Vv through the far corner (1, 1) meets the side toward Vh.
    const Point q2 = *meetingPoint(in.vv, *slopeFrom(in.vv, {1, 1}), in.vh, plain.mOrizz);
    in.orientation.po = {q2.x + 300, q2.y};
    const auto f = rectificationFrame(in);
    ASSERT_TRUE(f.ok());
    const Point po = in.orientation.po;
    const Point b = f.value().maxB;
    EXPECT_NEAR(b.y - po.y, b.x - po.x, 1e-6 * std::abs(b.x - po.x)) << "on the slope-1 line";
    EXPECT_GT(f.value().largOut, 0);
}

// Worked by hand: P at the origin, Vv at (-300, -300), Vh at (900, -300). The line Vv-P has
// slope 1, so the horizon through Vh is x + y = 600 and meets it at F = (300, 300). The circle
// on Vv-F has its centre at P and radius 300 sqrt 2; the parallel to the horizon through P cuts
// it at D = (-300, 300). The circle of centre Vv through D (radius 600) cuts Vv-P at
// pv = (-300 + 300 sqrt 2) (1, 1). P-Vh has slope -1/3; the circle of centre P through D cuts the
// perpendicular to it at E = (60 sqrt 5, 180 sqrt 5), so |Vh E|^2 = |Vh P|^2 + |P E|^2 =
// 1080000, and that circle cuts the horizon at po = Vh + sqrt 540000 (-1, 1).
TEST(InteriorOrientation, MatchesTheConstructionWorkedByHand) {
    const auto built = interiorOrientation({900, -300}, {-300, -300}, {0, 0});
    ASSERT_TRUE(built.ok()) << built.error();
    const InteriorOrientation& o = built.value();
    const double r2 = std::sqrt(2.0), r540 = std::sqrt(540000.0);
    const auto near = [](Point p, double x, double y) {
        return std::hypot(p.x - x, p.y - y) < 1e-9;
    };
    EXPECT_TRUE(near(o.piede, 300, 300));
    EXPECT_TRUE(near(o.puntoDist, -300, 300));
    EXPECT_NEAR(o.distanzaPrinc, 300 * r2, 1e-9);
    EXPECT_TRUE(near(o.pv, -300 + 300 * r2, -300 + 300 * r2));
    EXPECT_TRUE(near(o.po, 900 - r540, -300 + r540));
}

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
    // The grid drawn afresh: its own lines, in grey.
    std::vector<std::vector<float>> grid() {
        app.picture1.calls.clear();
        griglia1(app.ctx);
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
// too large for tables walks only what exists. Then every fiftieth row.
TEST_F(GridTest, EveryFiftiethColumnAndRowInsideTheRedOutlineAndTheEdgeRule) {
    const auto first = grid();
    ASSERT_EQ(first.size(), 3u) << "columns 1, 51 and 101";
    const test::DrawCall& outline = app.picture1.calls[0];
    EXPECT_EQ(std::tie(outline.figure, outline.colour, outline.at),
              std::tuple("box", colours::red, std::vector<float>{100, 100, 300, 300}));
    EXPECT_TRUE(first[0][0] == 101.0f && first[0][1] == 300.0f);

    s.construction->frame.divColonne[51] = {500, 300};  // beyond the right edge
    const auto edge = grid();
    ASSERT_EQ(edge.size(), 3u);
    EXPECT_EQ(edge[1], edge[0]);

    s.construction->frame.divColonne[51] = {0, 300};  // same x as the measuring point
    s.construction->frame.divColonne[101] = {0, 0};   // the measuring point itself
    EXPECT_EQ(grid().size(), 1u);

    columns(40000);
    s.construction->frame.divColonne.resize(1);
    EXPECT_TRUE(grid().empty());

    // Rows run from the measuring point of the vertical along the side toward Vv, each line
    // toward Vh: here nearly level lines from the left edge x = 100 to the right edge x = 300.
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
    const auto rows = grid();
    ASSERT_EQ(rows.size(), 4u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const float y = 300.0f - float(1 + 50 * i);
        EXPECT_TRUE(rows[i][0] == 300.0f && rows[i][2] == 100.0f) << "right edge to left edge";
        EXPECT_NEAR(rows[i][1], y, 0.25);
        EXPECT_NEAR(rows[i][3], y, 1e-3);
    }
}

}  // namespace
}  // namespace vesta
