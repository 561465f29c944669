// The lens's bend in the window's procedures: edges sought through it, on a facade rendered
// from a known camera and bent by a barrel lens.
#include <gtest/gtest.h>

#include <cmath>

#include "BentFacade.h"
#include "construction/AutoLines.h"
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

// Edges are sought on the bent photograph, where the bent clicks lie: each line finds its edge
// (how true it lies is the lens window and batch tests' measure), snapping chosen before the
// lens. Lines found on the bent photograph are taken out of the bend when
// accepted, as clicks are: the four lie where the user's clicks on the same points would.
TEST_F(LensCommandsTest, EdgesAreSoughtAndFoundLinesTakenThroughTheBend) {
    open();
    agganciaBordi_Click(app.ctx);
    s.lensK1 = kBarrel;
    for (int k = 1; k <= 4; ++k) {
        clickAt(bent.clicked[std::size_t(k - 1)][0]);
        clickAt(bent.clicked[std::size_t(k - 1)][1]);
        SCOPED_TRACE(k);
        EXPECT_TRUE(s.edgeShift(k)) << f.bordi.caption;
    }
    EXPECT_TRUE(s.construction);

    open();
    agganciaBordi_Click(app.ctx);  // off: the lines as found
    s.lensK1 = kBarrel;
    GroupedLines found;
    for (std::size_t k = 0; k < 4; ++k) {
        (k < 2 ? found.horizontal : found.vertical)
            .push_back({bent.clicked[k][0], bent.clicked[k][1]});
    }
    offerFoundLines(app.ctx, found);
    accettaRette_Click(app.ctx);
    ASSERT_EQ(s.nRette, 4);
    for (int k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        const Point end = bent.clicked[std::size_t(k - 1)][1];
        const Point b = clickOutOfLens(app.ctx, float(end.x), float(end.y));
        EXPECT_LT(std::hypot(s.line(k).second.x - b.x, s.line(k).second.y - b.y), 1e-3);
    }
}

}  // namespace
}  // namespace vesta
