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

// K1 typed with a comma or a point gives the construction vesta-rectify --lens gives for the
// same clicks, typed before the lines or after them (the lines taken out of the new bend from
// where they were clicked); what RadialLens refuses is refused, and 0 leaves the bend in.
TEST_F(LensWindowTest, TheTypedCoefficientGivesTheBatchToolsProportions) {
    EXPECT_TRUE(window.menuAction("distorsioneK1")->isEnabled());
    EXPECT_FALSE(window.menuAction("correggiDistorsione")->isEnabled());
    for (const char* refused : {"0,5", "-0.31", "k1"}) {
        dialogs.inputs.push_back(refused);
        choose("distorsioneK1");
    }
    EXPECT_EQ(dialogs.messages.size(), 3u);
    EXPECT_FALSE(ctx().s.lensK1);
    dialogs.inputs.push_back("0,05");
    choose("distorsioneK1");
    EXPECT_EQ(ctx().s.lensK1, kBarrel);
    EXPECT_EQ(ctx().form.avviso.caption, "Distorsione tolta (radial_k1): K1 = 0.05.");
    clickLines();
    ASSERT_TRUE(ctx().s.construction);
    const Construction typedFirst = *ctx().s.construction;
    const auto [off, pixel] = aspectError(typedFirst);
    EXPECT_LT(std::fabs(off), 0.003 + pixel);

    BatchRequest r;
    r.input = path.string();
    r.output = (scratch.path() / "batch.bmp").string();
    for (std::size_t i = 0; i < 8; ++i) {
        const Point p = bent.clicked[i / 2][i % 2];
        r.lines[i / 2][i % 2] = {float(p.x), float(p.y)};
    }
    r.lensK1 = kBarrel;
    const BatchResult batch = runBatch(r, scratch.path().string());
    ASSERT_TRUE(batch.ok) << batch.message;
    EXPECT_EQ(batch.state.construction->frame.largOut, typedFirst.frame.largOut);
    EXPECT_EQ(batch.state.construction->frame.altOut, typedFirst.frame.altOut);

    dialogs.inputs.push_back("0");
    choose("distorsioneK1");
    EXPECT_FALSE(ctx().s.lensK1);
    EXPECT_NEAR(ctx().s.clickedLine(1).first.x, bent.clicked[0][0].x, 1e-3);
    dialogs.inputs.push_back("0.05");
    choose("distorsioneK1");
    ASSERT_TRUE(ctx().s.construction);
    EXPECT_NEAR(ctx().s.construction->frame.largOut, typedFirst.frame.largOut, 1);
    EXPECT_NEAR(ctx().s.construction->fughe.vh.x, typedFirst.fughe.vh.x,
                1e-3 * typedFirst.fughe.vh.x);
}

// K1 fitted to the edges the lines were drawn onto, sought on the bent photograph: the
// proportions within 0.5%. Without snapped edges no line has more than two points, and the
// panel says so.
TEST_F(LensWindowTest, TheFitFromSnappedEdgesGivesTrueProportions) {
    clickLines();
    choose("correggiDistorsione");
    EXPECT_EQ(ctx().form.avviso.caption, kLensFitNoPoints);
    EXPECT_FALSE(ctx().s.lensK1);

    openFile(path.string());
    choose("agganciaBordi");
    clickLines();
    choose("correggiDistorsione");
    ASSERT_TRUE(ctx().s.lensK1 && ctx().s.lensFitRms && ctx().s.construction);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(ctx().form.avviso.caption.rfind("Distorsione tolta (fit): K1 = 0.0", 0), 0u)
        << ctx().form.avviso.caption;
    const auto [off, pixel] = aspectError(*ctx().s.construction);
    EXPECT_LT(std::fabs(off), 0.005 + pixel);
    std::printf("k1 %.4f fitted (%.2f px rms), width:height %+.3f%% off\n", *ctx().s.lensK1,
                *ctx().s.lensFitRms, 100 * off);
}

}  // namespace
}  // namespace vesta::desktop
