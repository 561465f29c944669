// The lens's bend in the real window, on a facade rendered from a known camera and bent by a
// barrel lens: the lines drawn through the bend where they were clicked, the coefficient typed
// or fitted to the edges the lines were drawn onto.
#include <gtest/gtest.h>

#include <QTest>

#include "../construction/BentFacade.h"
#include "WindowFixture.h"
#include "cli/BatchRun.h"
#include "geometry/LensFit.h"

namespace vesta::desktop {
namespace {

constexpr double kBarrel = 0.05;

class LensWindowTest : public test::WindowTest {
  protected:
    LensWindowTest() { openFile(path.string()); }
    Context& ctx() { return window.context(); }
    void clickAt(Point p) { clickPhoto(int(p.x), int(p.y)); }
    void clickLines() {
        for (const auto& line : bent.clicked) {
            clickAt(line[0]);
            clickAt(line[1]);
        }
    }
    const std::vector<Figure>& figures() { return window.picture1().figures(); }
    // Width over height of the construction's result against the facade's part it shows, and
    // a pixel of flooring.
    std::pair<double, double> aspectError(const Construction& c) const {
        return {c.frame.largOut / c.frame.altOut /
                        test::shownAspect(facade::samples::centred().camera, c) -
                    1,
                1 / std::min(c.frame.largOut, c.frame.altOut)};
    }
    RadialLens lens() const { return RadialLens::ofPhotograph(kBarrel, 800, 600); }

    std::filesystem::path path = scratch.path() / "curva.bmp";
    test::BentFacade bent = test::writeBentFacade(facade::samples::centred(), kBarrel, path);
};

// Without a lens a clicked line is the one straight figure it always was. With one, every line
// of the overlay is a polyline through the bend: each clicked line's runs from one clicked
// point to the other, bowed, each vertex on the bent picture of the straight line between them
// (a line drawn straight between the clicks taken out of the bend ends away from them).
TEST_F(LensWindowTest, LinesAreDrawnThroughTheBendOnTheClickedPoints) {
    clickAt(bent.clicked[0][0]);
    clickAt(bent.clicked[0][1]);
    ASSERT_FALSE(figures().empty());
    const Figure straight = figures().back();
    EXPECT_EQ(straight.kind, Figure::Kind::Line);
    EXPECT_EQ(straight.x1, float(bent.clicked[0][1].x));
    EXPECT_EQ(straight.y2, float(bent.clicked[0][0].y));

    openFile(path.string());
    ctx().s.lensK1 = kBarrel;
    window.picture1().refresh();
    clickLines();
    ASSERT_TRUE(ctx().s.construction);
    int clickedLines = 0;
    for (const Figure& f : figures()) {
        EXPECT_NE(f.kind, Figure::Kind::Line);
        if (f.kind != Figure::Kind::Polyline || f.path.size() < 3) {
            continue;
        }
        for (const auto& [a, b] : bent.clicked) {
            const QPointF first = f.path.front(), last = f.path.back();
            if (std::hypot(last.x() - a.x, last.y() - a.y) > 0.01 ||
                std::hypot(first.x() - b.x, first.y() - b.y) > 0.01) {
                continue;
            }
            ++clickedLines;
            const Point ua = lens().undistorted(a), ub = lens().undistorted(b);
            double bow = 0;
            for (const QPointF& v : f.path) {
                bow = std::max(bow, test::offLine({v.x(), v.y()}, a, b));
                EXPECT_LT(test::offLine(lens().undistorted({v.x(), v.y()}), ua, ub), 0.3);
            }
            EXPECT_GT(bow, 0.5);
        }
    }
    EXPECT_EQ(clickedLines, 4);
}

}  // namespace
}  // namespace vesta::desktop
