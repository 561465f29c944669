// The lens's bend in the window's procedures: edges sought through it, on a facade rendered
// from a known camera and bent by a barrel lens.
#include <gtest/gtest.h>

#include "BentFacade.h"
#include "construction/EdgeSnapping.h"
#include "construction/LensCorrection.h"
#include "construction/PictureInput.h"
#include "opening/OpenImage.h"

namespace vesta {
namespace {

constexpr double kBarrel = 0.05;

class LensCommandsTest : public test::AppTest {
  protected:
    void open() {
        app.dialogs.openAnswers.push_back((app.folder / "curva.bmp").string());
        open_Click(app.ctx);
    }
    // A click of the window: taken out of the lens before the procedures see it.
    void clickAt(Point p) {
        const Point u = clickOutOfLens(app.ctx, float(p.x), float(p.y));
        test::click(app.ctx, float(u.x), float(u.y));
    }
    test::BentFacade bent =
        test::writeBentFacade(facade::samples::centred(), kBarrel, app.folder / "curva.bmp");
};

// Edges are sought on the bent photograph, their points taken out of the bend: each snapped
// line lies on the straight picture's edge (to the jagged bent pixels), where one sought with the
// straightened clicks on the bent photograph is found nowhere or off it. Snapping may come before
// or after the lens.
TEST_F(LensCommandsTest, EdgesAreSoughtThroughTheBend) {
    open();
    agganciaBordi_Click(app.ctx);
    LensProfile offered;
    offered.model = LensModel::Poly3;
    offered.terms = {0.01, 0, 0};
    s.lensOffered = offered;
    offerLensCorrection(app.ctx);
    EXPECT_TRUE(f.distorsioneObiettivo.enabled) << "snapping on: the lens still offered";
    distorsioneObiettivo_Click(app.ctx);
    EXPECT_TRUE(s.lensProfile);
    distorsioneObiettivo_Click(app.ctx);
    s.lensK1 = kBarrel;
    for (int k = 1; k <= 4; ++k) {
        clickAt(bent.clicked[std::size_t(k - 1)][0]);
        clickAt(bent.clicked[std::size_t(k - 1)][1]);
        SCOPED_TRACE(k);
        ASSERT_TRUE(s.edgeShift(k)) << f.bordi.caption;
        const auto [a, b] = bent.straight[std::size_t(k - 1)];
        EXPECT_LT(test::offLine(s.line(k).first, a, b), 0.4);
        EXPECT_LT(test::offLine(s.line(k).second, a, b), 0.4);
    }
    EXPECT_TRUE(s.construction);
}

}  // namespace
}  // namespace vesta
